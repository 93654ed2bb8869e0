#pragma once
// The general options dialog ("Talvix-Option") as state without widgets.
//
// The dialog is created once and kept for the whole run; its fields hold what the user typed
// even after Cancel, and those texts are what the next save writes. Only OK hands the password
// to the main window (cut to 40 characters) and folds the dialog's change flag into the main
// window's. The GUI shows the fields through OptionsDialogView and reports every edit through
// the Change/Click operations, which set Modify.

#include <string>

namespace talvix {

class Tfm_TalvixOption {
public:
    const std::string& EditPassword() const { return editPassword_; }
    const std::string& EditEditor() const { return editEditor_; }
    // The check box lb_OptionWinState "Starten als Icon".
    bool StartAsIcon() const { return startAsIcon_; }

    // The values of the settings file at the main window's first showing; not a change.
    void Fill(const std::string& editor, const std::string& password, bool startAsIcon);

    // User edits: a changed text or a click on the check box sets Modify.
    void EditPasswordChange(const std::string& text);
    void EditEditorChange(const std::string& text);
    void lb_OptionWinStateClick();

    bool Modify = false;

private:
    std::string editPassword_;
    std::string editEditor_;
    bool startAsIcon_ = false;
};

// Shows the dialog modally (translated, with the fields above); true when it closed with OK.
class OptionsDialogView {
public:
    virtual ~OptionsDialogView() = default;
    virtual bool ShowModal(Tfm_TalvixOption& dialog) = 0;
};

} // namespace talvix
