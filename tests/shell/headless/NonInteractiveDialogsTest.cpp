// The fixed answers of --headless: which button each message box gets, and that every other
// dialog is cancelled, with a notice line for each.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "shell/headless/NonInteractiveDialogs.h"

using namespace talvix;

namespace {

struct ButtonCase {
    const char* boxes;
    unsigned buttons;
    TModalResult answer;
    friend void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.boxes; }
};

class NonInteractiveAnswerTest : public ::testing::TestWithParam<ButtonCase> { };

TEST_P(NonInteractiveAnswerTest, TheRefusingButtonIsChosen)
{
    EXPECT_EQ(
        ModalResultName(NonInteractiveAnswer(GetParam().buttons)), std::string(ModalResultName(GetParam().answer)));
}

INSTANTIATE_TEST_SUITE_P(ButtonSets, NonInteractiveAnswerTest,
    ::testing::Values(ButtonCase { "OK", mbOK, TModalResult::mrOk },
        ButtonCase { "OK Help", mbOK | mbHelp, TModalResult::mrOk },
        ButtonCase { "OK Cancel", mbOK | mbCancel, TModalResult::mrCancel },
        ButtonCase { "Yes No", mbYes | mbNo, TModalResult::mrNo },
        ButtonCase { "Yes No Cancel", mbYes | mbNo | mbCancel, TModalResult::mrNo },
        ButtonCase { "Yes YesToAll No NoToAll", mbYes | mbYesToAll | mbNo | mbNoToAll, TModalResult::mrNo },
        ButtonCase { "All NoToAll YesToAll", mbAll | mbNoToAll | mbYesToAll, TModalResult::mrNoToAll },
        ButtonCase { "Abort Retry Ignore", mbAbort | mbRetry | mbIgnore, TModalResult::mrAbort },
        ButtonCase { "Retry Cancel", mbRetry | mbCancel, TModalResult::mrCancel },
        // Nothing refusing and no OK: the box counts as closed.
        ButtonCase { "Yes", mbYes, TModalResult::mrCancel },
        ButtonCase { "Retry Ignore", mbRetry | mbIgnore, TModalResult::mrCancel },
        ButtonCase { "none", 0u, TModalResult::mrCancel }),
    [](const auto& c) {
        std::string name;
        for (const char ch : std::string(c.param.boxes))
            if (ch != ' ')
                name += ch;
        return name;
    });

// Every dialog, asked once: its answer, and the notice line it leaves on standard error.
struct DialogCase {
    const char* dialog;
    std::function<std::string(std::ostream& notices)> ask;
    std::string answer;
    std::string notice;
    friend void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.dialog; }
};

class NonInteractiveDialogTest : public ::testing::TestWithParam<DialogCase> { };

TEST_P(NonInteractiveDialogTest, AnswersWithoutAskingAndSaysSo)
{
    std::ostringstream notices;
    EXPECT_EQ(GetParam().ask(notices), GetParam().answer);
    EXPECT_EQ(notices.str(), GetParam().notice);
}

std::string askPassword(std::ostream& notices, const std::string& password)
{
    NonInteractiveMessages messages(notices);
    NonInteractivePasswordView view(notices);
    Tfm_Password dialog(messages, "");
    return CheckPassword(password, dialog, view) ? "passed" : "refused";
}

INSTANTIATE_TEST_SUITE_P(Dialogs, NonInteractiveDialogTest,
    ::testing::Values(DialogCase { "ShowMessage",
                          [](std::ostream& n) {
                              NonInteractiveMessages(n).ShowMessage("Initialization File not found!");
                              return std::string("shown");
                          },
                          "shown", "talvix5: Initialization File not found!\n" },
        DialogCase { "Confirmation",
            [](std::ostream& n) {
                return std::string(ModalResultName(
                    NonInteractiveMessages(n).MessageDlg("Overwrite now?", TMsgDlgType::mtConfirmation, mbYes | mbNo)));
            },
            "No", "talvix5: confirmation: Overwrite now? [answered No]\n" },
        DialogCase { "ErrorBox",
            [](std::ostream& n) {
                return std::string(ModalResultName(NonInteractiveMessages(n).MessageDlg(
                    "In /x.ini kann nicht geschrieben werden", TMsgDlgType::mtError, mbOK)));
            },
            "OK", "talvix5: error: In /x.ini kann nicht geschrieben werden [answered OK]\n" },
        DialogCase { "FileChooser",
            [](std::ostream& n) {
                OpenDialogRequest request;
                request.Title = "Datei bearbeiten";
                request.InitialDir = "/data/";
                return NonInteractiveFileDialogs(n).OpenFile(request).value_or("cancelled");
            },
            "cancelled", "talvix5: file chooser \"Datei bearbeiten\" cancelled\n" },
        DialogCase { "PortChoice",
            [](std::ostream& n) {
                const auto port = NonInteractiveSelectPort(n).selectPort({ 1, 3 });
                return port ? "COM" + std::to_string(*port) : std::string("cancelled");
            },
            "cancelled", "talvix5: the configured serial port is not valid; port choice cancelled\n" },
        DialogCase { "OptionsDialog",
            [](std::ostream& n) {
                Tfm_TalvixOption options;
                return std::string(NonInteractiveOptionsView(n).ShowModal(options) ? "OK" : "Cancel");
            },
            "Cancel", "talvix5: options dialog cancelled\n" },
        DialogCase { "PasswordSet", [](std::ostream& n) { return askPassword(n, "geheim"); }, "refused",
            "talvix5: password asked for, refused (nobody to enter it)\n" },
        DialogCase { "NoPassword", [](std::ostream& n) { return askPassword(n, ""); }, "passed", "" }),
    [](const auto& c) { return std::string(c.param.dialog); });

} // namespace
