#pragma once
// Starting another program, as engines need it. A program and its arguments are always handed
// over as a list, never pasted into a shell line, so a file name with blanks, quotes or ";" is
// one argument and nothing else. The GUI starts detached processes (QProcess), tests record.

#include <string>
#include <vector>

namespace talvix {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts program with arguments and does not wait for it; true when it started.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

} // namespace talvix
