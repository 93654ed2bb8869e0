#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/TerminalPath.h"

using namespace talvix;

TEST(SafeRelativePath, KeepsNamesFromTheTerminalInsideTheDataFolder)
{
    struct Case {
        std::string name;
        std::string path;
    };
    const std::vector<Case> cases = {
        { "list.txt", "list.txt" },
        { "sub\\list.txt", "sub/list.txt" },
        { "x\\..\\..\\..\\etc\\y", "x/etc/y" },
        { "%%STX/A/B/C/x\\..\\..\\..\\etc\\y", "%%STX/A/B/C/x/etc/y" },
        { "../../etc/passwd", "etc/passwd" },
        { "/etc/passwd", "etc/passwd" },
        { "\\etc\\passwd", "etc/passwd" },
        { "C:\\x", "x" },
        { "C:x", "x" },
        { "c:/Windows/../win.ini", "Windows/win.ini" },
        { "\\\\server\\share", "" },
        { "\\\\server\\share\\dir\\f.txt", "dir/f.txt" },
        { "//server/share/f.txt", "f.txt" },
        { "\\\\?\\C:\\data\\f.txt", "data/f.txt" },
        { "./a/./b/", "a/b" },
        { "a//b\\\\c", "a/b/c" },
        { "..", "" },
        { "", "" },
        { ".hidden\\...\\x", ".hidden/.../x" },
        { "dir\\a:b.txt", "dir/a:b.txt" },
        { "M\xFCller.txt", "M\xC3\xBCller.txt" },
        { "M\xC3\xBCller.txt", "M\xC3\xBCller.txt" },
        { std::string("a\x01"
                      "b\x7F"
                      "c\0d",
              7),
            "a_b_c_d" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(safeRelativePath(c.name), c.path) << c.name;
}
