#pragma once
// INI files with the semantics of the Windows private-profile functions.
//
// Sections and keys match without regard to case (ASCII); the first of two equal keys (and the
// first of two equal sections) wins; values are trimmed and cut at 2047 characters. Every read
// sees the file's current content and every write goes to the file at once, leaving every other
// line (comments, order, unknown keys, line ends) as it was. A missing file reads as all
// defaults and is created by the first write. Files are read as UTF-8 when valid, else as
// Windows-1252, and written back in the encoding they were read in (a UTF-8 byte order mark is
// kept), so files of the Windows program keep working. A file without write permission counts as
// read-only. A value or key holding a line break is flattened to one line, so a written value can
// never create keys of its own.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace talvix {

// "In %s kann nicht geschrieben werden", with the path.
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const std::string& path);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class ProfileFile {
public:
    static constexpr std::size_t maxValueLength = 2047;

    explicit ProfileFile(std::string path);
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    const std::string& path() const { return path_; }
    bool exists() const;

    std::string readString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // A value that is not a whole decimal (or $/0x hexadecimal) integer gives the default.
    int readInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // As an integer: 0 is false, any other number true, anything else the default.
    bool readBool(const std::string& section, const std::string& key, bool defaultValue) const;

    bool sectionExists(const std::string& section) const;
    bool valueExists(const std::string& section, const std::string& key) const;
    // The keys of a section in file order (first spelling of each).
    std::vector<std::string> keys(const std::string& section) const;
    std::vector<std::string> sections() const;

    // Throw ProfileWriteError when the file cannot be written; the file is then unchanged.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBool(const std::string& section, const std::string& key, bool value);
    void eraseSection(const std::string& section);

private:
    struct Content;
    const Content& load() const;
    void store(const Content& content);

    std::string path_;
    mutable std::unique_ptr<Content> cache_;
};

} // namespace talvix
