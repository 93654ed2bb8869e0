#pragma once
// The standard message boxes, as engines need them. The GUI shows real dialogs (titles and
// buttons from the text catalogue), --headless answers without asking, tests script the answers.

#include <string>

namespace talvix {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Button sets are bit masks of these.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10
};

enum class TModalResult { mrNone, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo, mrAll, mrNoToAll, mrYesToAll };

class MessageDialogs {
public:
    virtual ~MessageDialogs() = default;
    // The plain message: application title, one OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A typed message box; returns the button chosen (mrCancel when the box is closed).
    virtual TModalResult MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) = 0;
};

} // namespace talvix
