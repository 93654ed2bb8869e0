#include "shell/headless/NonInteractiveDialogs.h"

#include <array>
#include <utility>

namespace talvix {

namespace {

const char* typeName(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning:
        return "warning";
    case TMsgDlgType::mtError:
        return "error";
    case TMsgDlgType::mtInformation:
        return "information";
    case TMsgDlgType::mtConfirmation:
        return "confirmation";
    case TMsgDlgType::mtCustom:
        break;
    }
    return "message";
}

} // namespace

TModalResult NonInteractiveAnswer(unsigned buttons)
{
    // Retry, Yes, Yes to all and All are never chosen: each would go ahead (or repeat) on
    // nobody's word. OK is chosen only when nothing refusing is offered.
    static constexpr std::array<std::pair<TMsgDlgBtn, TModalResult>, 5> preferred { {
        { mbNo, TModalResult::mrNo },
        { mbNoToAll, TModalResult::mrNoToAll },
        { mbCancel, TModalResult::mrCancel },
        { mbAbort, TModalResult::mrAbort },
        { mbOK, TModalResult::mrOk },
    } };
    for (const auto& [button, result] : preferred)
        if (buttons & button)
            return result;
    return TModalResult::mrCancel;
}

const char* ModalResultName(TModalResult result)
{
    switch (result) {
    case TModalResult::mrNone:
        return "none";
    case TModalResult::mrOk:
        return "OK";
    case TModalResult::mrCancel:
        return "Cancel";
    case TModalResult::mrAbort:
        return "Abort";
    case TModalResult::mrRetry:
        return "Retry";
    case TModalResult::mrIgnore:
        return "Ignore";
    case TModalResult::mrYes:
        return "Yes";
    case TModalResult::mrNo:
        return "No";
    case TModalResult::mrAll:
        return "All";
    case TModalResult::mrNoToAll:
        return "No to all";
    case TModalResult::mrYesToAll:
        return "Yes to all";
    }
    return "none";
}

void NonInteractiveMessages::ShowMessage(const std::string& text)
{
    notices_ << NoticePrefix << text << std::endl;
}

TModalResult NonInteractiveMessages::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons)
{
    const TModalResult answer = NonInteractiveAnswer(buttons);
    notices_ << NoticePrefix << typeName(type) << ": " << text << " [answered " << ModalResultName(answer) << "]"
             << std::endl;
    return answer;
}

std::optional<std::string> NonInteractiveFileDialogs::OpenFile(const OpenDialogRequest& request)
{
    notices_ << NoticePrefix << "file chooser \"" << request.Title << "\" cancelled" << std::endl;
    return std::nullopt;
}

std::optional<std::uint16_t> NonInteractiveSelectPort::selectPort(const std::vector<std::uint16_t>&)
{
    notices_ << NoticePrefix << "the configured serial port is not valid; port choice cancelled" << std::endl;
    return std::nullopt;
}

bool NonInteractivePasswordView::ShowModal(Tfm_Password&)
{
    notices_ << NoticePrefix << "password asked for, refused (nobody to enter it)" << std::endl;
    return false;
}

bool NonInteractiveOptionsView::ShowModal(Tfm_TalvixOption&)
{
    notices_ << NoticePrefix << "options dialog cancelled" << std::endl;
    return false;
}

} // namespace talvix
