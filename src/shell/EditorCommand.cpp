#include "shell/EditorCommand.h"

namespace talvix {

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> parts;
    std::string part;
    bool inPart = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inPart = true; // "" is an empty argument of its own
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inPart)
                parts.push_back(std::move(part));
            part.clear();
            inPart = false;
        } else {
            part += c;
            inPart = true;
        }
    }
    if (inPart)
        parts.push_back(std::move(part));
    return parts;
}

EditorCommand EditorCommandFor(const std::string& editorSetting, const std::string& FileName)
{
    std::vector<std::string> parts = SplitCommandLine(editorSetting);
    if (parts.empty() || parts.front().empty())
        return {};
    EditorCommand command { parts.front(), { parts.begin() + 1, parts.end() } };
    command.arguments.push_back(FileName);
    return command;
}

} // namespace talvix
