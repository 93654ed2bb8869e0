#include "shell/headless/HeadlessProgram.h"

#include <exception>

namespace talvix {

HeadlessProgram::HeadlessProgram(const HeadlessServices& services, std::string progPath, std::string settingsArgument)
    : messages_(services.dialogs.messages)
{
    HeadlessDialogs& d = services.dialogs;
    form_ = std::make_unique<TMainForm>(MainFormServices { services.loop, d.messages, boxTexts_, d.password, d.options,
                                            d.files, services.processes, view_, services.stations },
        std::move(progPath), std::move(settingsArgument));
}

HeadlessProgram::~HeadlessProgram()
{
    close();
}

bool HeadlessProgram::start()
{
    if (state_ != State::NotStarted)
        return false;
    state_ = State::Ended;
    if (!form_->FormCreate())
        return false;
    try {
        form_->FormShow();
    } catch (const std::exception& e) {
        messages_.ShowMessage(e.what());
        return false;
    }
    state_ = State::Running;
    return true;
}

void HeadlessProgram::close()
{
    if (state_ != State::Running)
        return;
    state_ = State::Ended;
    form_->FormClose();
}

} // namespace talvix
