#include "shell/PasswordCheck.h"

#include "shell/TextCatalogue.h"

namespace talvix {

std::string CutPassword(const std::string& password)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < password.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(password[i]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == MaxPasswordLength)
            return password.substr(0, i);
    }
    return password;
}

Tfm_Password::Tfm_Password(MessageDialogs& messages, std::string languageFile)
    : messages_(messages), languageFile_(std::move(languageFile))
{
}

bool Tfm_Password::bn_PasswordOKClick()
{
    if (PasswordField == AppPassword)
        return true;
    messages_.ShowMessage(GetMessageText(languageFile_, LabelSection, "dlg_InvalidPassword"));
    return false;
}

bool CheckPassword(const std::string& Password, Tfm_Password& dialog, PasswordDialogView& view)
{
    if (Password.empty())
        return true;
    dialog.AppPassword = Password;
    dialog.PasswordField.clear();
    return view.ShowModal(dialog) && dialog.PasswordField == Password;
}

} // namespace talvix
