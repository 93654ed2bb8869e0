#include "shell/TalvixOptions.h"

namespace talvix {

void Tfm_TalvixOption::Fill(const std::string& editor, const std::string& password, bool startAsIcon)
{
    editEditor_ = editor;
    editPassword_ = password;
    startAsIcon_ = startAsIcon;
}

void Tfm_TalvixOption::EditPasswordChange(const std::string& text)
{
    if (text != editPassword_)
        Modify = true;
    editPassword_ = text;
}

void Tfm_TalvixOption::EditEditorChange(const std::string& text)
{
    if (text != editEditor_)
        Modify = true;
    editEditor_ = text;
}

void Tfm_TalvixOption::lb_OptionWinStateClick()
{
    startAsIcon_ = !startAsIcon_;
    Modify = true;
}

} // namespace talvix
