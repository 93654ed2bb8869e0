#pragma once
// Starting another program with QProcess: detached, with the argument list handed over as it is
// (no shell ever sees it). The child's standard channels go to the null device, so an editor's
// chatter never mixes with the program's own output (the headless report on standard output).

#include "platform/ProcessStarter.h"

namespace talvix {

class QtProcessStarter final : public ProcessStarter {
public:
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override;
};

} // namespace talvix
