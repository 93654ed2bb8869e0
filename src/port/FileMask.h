#pragma once
// The file a send mask names: a path whose last part may hold the wildcards * and ?. Names are
// matched exactly as written (case-sensitive); of several matches the first in name order wins.

#include <string>

namespace talvix {

struct MaskMatch {
    std::string path; // the file to send, when error is 0
    int error; // 0, -6002 (no mask), -6003 (no file matched), -6004 (no such directory)
};

MaskMatch firstFileMatching(const std::string& mask);

} // namespace talvix
