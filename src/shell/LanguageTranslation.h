#pragma once
// Translating a dialog from the names of its controls.
//
// The GUI describes the controls of a dialog (name, kind, caption, list items), this module
// replaces their texts from the language file, and the GUI applies the result. A control is
// translatable when its name begins with a character above "Z" (in practice a lower-case prefix
// such as "lb_", "bn_"); "Label1" or "EditPassword" keep their design captions. A translatable
// control whose key is missing shows its own name, so a missing text is plain to see. List items
// are keyed by the control's name followed by the item's index (rg_Parity0, rg_Parity1, ...).

#include <string>
#include <vector>

#include "platform/ProfileFile.h"

namespace talvix {

enum class ControlKind {
    Label,
    SpeedButton,
    Panel,
    Button,
    GroupBox,
    CheckBox,
    RadioButton,
    TabSheet,
    MenuItem,
    RadioGroup, // caption and items
    TabSet,     // items only
    ComboBox,   // items only
    Other       // edit fields, grids, memos: never touched
};

struct ControlText {
    std::string name;
    ControlKind kind = ControlKind::Other;
    std::string caption;
    std::vector<std::string> items;
};

bool IsTranslatableName(const std::string& name);

// Empty when the name is not translatable, else its text in section, with the name as default.
std::string TranslateName(const ProfileFile& languageFile, const std::string& section, const std::string& name);

// Translates every control of Form in order. When LngFile does not exist nothing is changed and
// the result is false. The number of list items never changes.
bool ChangeLanguage(std::vector<ControlText>& Form, const std::string& LngFile, const std::string& Section);

} // namespace talvix
