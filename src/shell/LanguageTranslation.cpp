#include "shell/LanguageTranslation.h"

namespace talvix {

namespace {

bool hasCaption(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label:
    case ControlKind::SpeedButton:
    case ControlKind::Panel:
    case ControlKind::Button:
    case ControlKind::GroupBox:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::TabSheet:
    case ControlKind::MenuItem:
    case ControlKind::RadioGroup:
        return true;
    default:
        return false;
    }
}

bool hasItems(ControlKind kind)
{
    return kind == ControlKind::RadioGroup || kind == ControlKind::TabSet || kind == ControlKind::ComboBox;
}

} // namespace

bool IsTranslatableName(const std::string& name)
{
    return !name.empty() && static_cast<unsigned char>(name.front()) > 'Z';
}

std::string TranslateName(const ProfileFile& languageFile, const std::string& section, const std::string& name)
{
    return IsTranslatableName(name) ? languageFile.readString(section, name, name) : std::string();
}

bool ChangeLanguage(std::vector<ControlText>& Form, const std::string& LngFile, const std::string& Section)
{
    const ProfileFile file(LngFile);
    if (LngFile.empty() || !file.exists())
        return false;
    for (ControlText& control : Form) {
        if (!IsTranslatableName(control.name))
            continue;
        if (hasCaption(control.kind))
            control.caption = TranslateName(file, Section, control.name);
        if (hasItems(control.kind))
            for (std::size_t i = 0; i < control.items.size(); ++i)
                control.items[i] = TranslateName(file, Section, control.name + std::to_string(i));
    }
    return true;
}

} // namespace talvix
