#include "shell/headless/HeadlessProgram.h"

#include <exception>

namespace talvix {

HeadlessProgram::HeadlessProgram(const HeadlessServices& services, std::string progPath, std::string settingsArgument)
    : messages_(services.notices)
    , files_(services.notices)
    , password_(services.notices)
    , options_(services.notices)
    , notices_(services.notices)
{
    form_ = std::make_unique<TMainForm>(MainFormServices { services.loop, messages_, boxTexts_, password_, options_,
                                            files_, services.processes, view_, services.stations },
        std::move(progPath), std::move(settingsArgument));
}

HeadlessProgram::~HeadlessProgram()
{
    close();
}

bool HeadlessProgram::start()
{
    state_ = State::Ended;
    if (!form_->FormCreate())
        return false;
    try {
        form_->FormShow();
    } catch (const std::exception& e) {
        notices_ << "talvix5: " << e.what() << std::endl;
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
