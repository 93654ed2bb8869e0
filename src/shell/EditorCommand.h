#pragma once
// The editor setting as a program and its arguments.
//
// The setting is a command line ("mousepad", "\"/opt/My Editor/edit\" --new-window"). It is
// split at blanks and tabs; double quotes group a part that holds blanks and are themselves
// dropped; a backslash is an ordinary character, so Windows paths survive. The file to open is
// appended as an argument of its own, never pasted into the line, so no file name can start
// another program and there is no length limit.

#include <string>
#include <vector>

namespace talvix {

struct EditorCommand {
    std::string program;
    std::vector<std::string> arguments;
};

// The parts of a command line; empty when it holds nothing but blanks.
std::vector<std::string> SplitCommandLine(const std::string& line);

// The command that opens FileName with the editor setting; an empty program when the setting is
// blank.
EditorCommand EditorCommandFor(const std::string& editorSetting, const std::string& FileName);

} // namespace talvix
