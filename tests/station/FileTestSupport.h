#pragma once
// Helpers for the file function tests: the shared scratch folder,
// whole-file reading and writing for the small files the tests build, and a file size limit that
// makes writes fail part way (the way a full disk does) without needing a small file system.

#include <sys/resource.h>

#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace talvix::test {

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

// Files of this process cannot grow beyond `bytes` while it lives: writes beyond fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_ {};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace talvix::test
