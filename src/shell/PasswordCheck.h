#pragma once
// The program password and its dialog ("Passwort-Dialog").
//
// An empty password guards nothing: CheckPassword is true without asking. Otherwise the dialog
// is shown with an empty field; its OK button compares the entry with AppPassword exactly (case
// matters) and, on a mismatch, shows the "dlg_InvalidPassword" text and stays open for another
// try, as often as the user likes. Only OK with the right entry passes; Cancel refuses.

#include <cstddef>
#include <string>

#include "platform/MessageDialogs.h"

namespace talvix {

inline constexpr std::size_t MaxPasswordLength = 40;

// The first 40 characters (UTF-8 code points, never a cut character).
std::string CutPassword(const std::string& password);

class Tfm_Password {
public:
    // languageFile: where "dlg_InvalidPassword" is looked up (the main window's LanguageFile).
    Tfm_Password(MessageDialogs& messages, std::string languageFile);
    void setLanguageFile(std::string languageFile) { languageFile_ = std::move(languageFile); }

    std::string AppPassword;
    std::string PasswordField; // the masked edit

    // The OK button: true when the dialog closes with OK; false after the wrong-password message.
    bool bn_PasswordOKClick();

private:
    MessageDialogs& messages_;
    std::string languageFile_;
};

// Shows the dialog modally until it closes: true for OK (which bn_PasswordOKClick allowed),
// false for Cancel.
class PasswordDialogView {
public:
    virtual ~PasswordDialogView() = default;
    virtual bool ShowModal(Tfm_Password& dialog) = 0;
};

bool CheckPassword(const std::string& Password, Tfm_Password& dialog, PasswordDialogView& view);

} // namespace talvix
