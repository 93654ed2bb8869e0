#pragma once
// The answers of --headless to every question the program would ask a user.
//
// Nobody sits at an unattended PC, so each dialog gets one fixed answer that never starts
// anything the user did not configure: a message box gets the refusing button it offers (No,
// then No to all, Cancel, Abort; a box with nothing but OK is acknowledged with OK; a box whose
// buttons all go ahead counts as closed, mrCancel); a file chooser and the port choice of a
// serial station without a valid port are cancelled; the password
// dialog is cancelled, so with a password set every password-guarded action is refused (with
// none set nothing is asked and the action goes ahead); the general options dialog is cancelled.
// Every message and every answer is written as one line to the notice stream (standard error),
// which is all the user will ever see of them.

#include <optional>
#include <ostream>
#include <string>

#include "platform/FileDialogs.h"
#include "platform/MessageDialogs.h"
#include "port/SelectPortDialog.h"
#include "shell/PasswordCheck.h"
#include "shell/TalvixOptions.h"

namespace talvix {

// How every notice line starts.
inline constexpr const char* NoticePrefix = "talvix5: ";

// The button a message box with these buttons is answered with.
TModalResult NonInteractiveAnswer(unsigned buttons);
// "OK", "Cancel", "No" ... as the notice lines name a result.
const char* ModalResultName(TModalResult result);

class NonInteractiveMessages final : public MessageDialogs {
public:
    explicit NonInteractiveMessages(std::ostream& notices)
        : notices_(notices)
    { }
    void ShowMessage(const std::string& text) override;
    TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;

private:
    std::ostream& notices_;
};

class NonInteractiveFileDialogs final : public FileDialogs {
public:
    explicit NonInteractiveFileDialogs(std::ostream& notices)
        : notices_(notices)
    { }
    std::optional<std::string> OpenFile(const OpenDialogRequest& request) override;

private:
    std::ostream& notices_;
};

class NonInteractiveSelectPort final : public SelectPortDialog {
public:
    explicit NonInteractiveSelectPort(std::ostream& notices)
        : notices_(notices)
    { }
    std::optional<std::uint16_t> selectPort(const std::vector<std::uint16_t>& availablePorts) override;

private:
    std::ostream& notices_;
};

class NonInteractivePasswordView final : public PasswordDialogView {
public:
    explicit NonInteractivePasswordView(std::ostream& notices)
        : notices_(notices)
    { }
    bool ShowModal(Tfm_Password& dialog) override;

private:
    std::ostream& notices_;
};

class NonInteractiveOptionsView final : public OptionsDialogView {
public:
    explicit NonInteractiveOptionsView(std::ostream& notices)
        : notices_(notices)
    { }
    bool ShowModal(Tfm_TalvixOption& dialog) override;

private:
    std::ostream& notices_;
};

// One of each, on one notice stream: what the main window and the stations of --headless are
// given wherever the windowed program would show a dialog.
struct HeadlessDialogs {
    explicit HeadlessDialogs(std::ostream& notices)
        : messages(notices)
        , files(notices)
        , ports(notices)
        , password(notices)
        , options(notices)
    { }
    NonInteractiveMessages messages;
    NonInteractiveFileDialogs files;
    NonInteractiveSelectPort ports;
    NonInteractivePasswordView password;
    NonInteractiveOptionsView options;
};

} // namespace talvix
