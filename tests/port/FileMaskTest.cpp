#include <gtest/gtest.h>

#include "port/FileMask.h"
#include "support/TempDir.h"

using namespace talvix;
using namespace talvix::test;

TEST(FileMaskTest, TheFileToSend)
{
    TempDir dir;
    WriteFile(dir / "Prog.mot", "x");
    WriteFile(dir / "b.tbl", "x");
    WriteFile(dir / "a.tbl", "x");
    std::filesystem::create_directory(dir / "sub.tbl");

    struct Case {
        std::string mask;
        std::string path;
        int error;
    };
    const Case cases[] = {
        { "", "", -6002 },
        { dir / "Prog.mot", dir / "Prog.mot", 0 },
        { dir / "PROG.MOT", "", -6003 }, // exactly the name given
        { dir / "*.tbl", dir / "a.tbl", 0 },
        { dir / "?.tbl", dir / "a.tbl", 0 },
        { dir / "*.cfg", "", -6003 },
        { dir / "sub.tbl", "", -6003 },
        { dir / "missing/x.tbl", "", -6004 },
    };
    for (const Case& c : cases) {
        const MaskMatch m = firstFileMatching(c.mask);
        EXPECT_EQ(m.error, c.error) << c.mask;
        EXPECT_EQ(m.path, c.path) << c.mask;
    }
}
