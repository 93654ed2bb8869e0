#pragma once
// The file chooser, as engines need it. The GUI shows a real open dialog, --headless cancels
// every choice, tests script the answer.

#include <optional>
#include <string>

namespace talvix {

struct OpenDialogRequest {
    std::string Title;
    // Pairs of description and pattern, separated by "|": "All|*.*|Text File |*.txt".
    std::string Filter;
    int FilterIndex = 1; // 1-based, as the filter pairs are counted
    std::string InitialDir;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen file, or nothing when the user cancelled.
    virtual std::optional<std::string> OpenFile(const OpenDialogRequest& request) = 0;
};

} // namespace talvix
