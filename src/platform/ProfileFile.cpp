#include "platform/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/Windows1252.h"

namespace talvix {

namespace {

bool equalsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trim(const std::string& s)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Cuts UTF-8 text after maxChars code points.
std::string cutChars(const std::string& s, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == maxChars)
                return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

// One line break or control run becomes a blank: a value stays on its own line.
std::string flatten(const std::string& s)
{
    std::string out = s;
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    return out;
}

constexpr std::string_view utf8Bom = "\xEF\xBB\xBF";

} // namespace

ProfileWriteError::ProfileWriteError(const std::string& path)
    : std::runtime_error("In " + path + " kann nicht geschrieben werden"), path_(path)
{
}

struct ProfileFile::Content {
    enum class Kind { Section, Key, Other };
    struct Line {
        Kind kind = Kind::Other;
        std::string text;  // the line as read (UTF-8), rewritten when the line is changed
        std::string name;  // section name or key
        std::string value; // key value, trimmed, not yet cut
    };
    std::vector<Line> lines;
    bool windows1252 = false;
    bool byteOrderMark = false;
    std::string eol = "\n";
    bool endsWithEol = true;
    // The bytes the lines were parsed from: a read whose bytes are equal reuses the parse.
    bool present = false;
    std::string raw;

    // Index of the first header of the section, or npos.
    std::size_t findSection(const std::string& section) const
    {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].kind == Kind::Section && equalsNoCase(lines[i].name, section))
                return i;
        return std::string::npos;
    }
    // One past the last line of the section starting at header.
    std::size_t sectionEnd(std::size_t header) const
    {
        std::size_t i = header + 1;
        while (i < lines.size() && lines[i].kind != Kind::Section)
            ++i;
        return i;
    }
    const Line* findKey(const std::string& section, const std::string& key) const
    {
        const std::size_t header = findSection(section);
        if (header == std::string::npos)
            return nullptr;
        for (std::size_t i = header + 1; i < sectionEnd(header); ++i)
            if (lines[i].kind == Kind::Key && equalsNoCase(lines[i].name, key))
                return &lines[i];
        return nullptr;
    }

    static Line parseLine(std::string text)
    {
        Line line;
        line.text = std::move(text);
        const std::string t = trim(line.text);
        if (!t.empty() && t.front() == '[') {
            const std::size_t close = t.find(']');
            line.kind = Kind::Section;
            line.name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        } else if (!t.empty() && t.front() != ';' && t.find('=') != std::string::npos) {
            const std::size_t eq = t.find('=');
            line.kind = Kind::Key;
            line.name = trim(t.substr(0, eq));
            line.value = trim(t.substr(eq + 1));
            if (line.name.empty())
                line.kind = Kind::Other;
        }
        return line;
    }

    void parse(std::string_view bytes)
    {
        // Editors on Windows often start UTF-8 files with a byte order mark; it is kept on write.
        byteOrderMark = bytes.starts_with(utf8Bom);
        if (byteOrderMark)
            bytes.remove_prefix(utf8Bom.size());
        windows1252 = !IsValidUtf8(bytes);
        const std::string text = windows1252 ? Windows1252ToUtf8(bytes) : std::string(bytes);
        const std::size_t firstLf = text.find('\n');
        eol = (firstLf != std::string::npos && firstLf > 0 && text[firstLf - 1] == '\r') ? "\r\n" : "\n";
        endsWithEol = text.empty() || text.back() == '\n';
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t lf = text.find('\n', start);
            std::size_t end = lf == std::string::npos ? text.size() : lf;
            std::size_t contentEnd = end;
            if (contentEnd > start && text[contentEnd - 1] == '\r')
                --contentEnd;
            lines.push_back(parseLine(text.substr(start, contentEnd - start)));
            start = lf == std::string::npos ? text.size() : lf + 1;
        }
    }

    std::string serialize() const
    {
        std::string out;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += lines[i].text;
            if (i + 1 < lines.size() || endsWithEol)
                out += eol;
        }
        if (windows1252)
            return Utf8ToWindows1252(out);
        return byteOrderMark ? std::string(utf8Bom) + out : out;
    }
};

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

ProfileFile::~ProfileFile() = default;

bool ProfileFile::exists() const
{
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const ProfileFile::Content& ProfileFile::load() const
{
    // Every read looks at the file's current bytes; timestamps are too coarse to tell two quick
    // edits apart, the bytes are not.
    struct stat st {};
    const bool present = ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    std::string raw;
    if (present) {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        raw = bytes.str();
    }
    if (cache_ && cache_->present == present && cache_->raw == raw)
        return *cache_;

    auto content = std::make_unique<Content>();
    content->present = present;
    content->parse(raw);
    content->raw = std::move(raw);
    cache_ = std::move(content);
    return *cache_;
}

void ProfileFile::store(const Content& content)
{
    // Write beside the target and rename over it, so a failed write never leaves half a file.
    char resolved[PATH_MAX];
    const std::string target = ::realpath(path_.c_str(), resolved) ? std::string(resolved) : path_;
    const std::string temp = target + ".~wr";
    const std::string data = content.serialize();

    struct stat st {};
    const bool existing = ::stat(target.c_str(), &st) == 0;
    // A file without any write permission is read-only, as the Windows attribute would make it,
    // even for a user whose rights would let the rename below replace it.
    if (existing && (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        throw ProfileWriteError(path_);
    const mode_t mode = existing ? (st.st_mode & 07777) : 0644;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        throw ProfileWriteError(path_);
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const bool ok = written == data.size() && ::close(fd) == 0;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw ProfileWriteError(path_);
    }
    cache_.reset();
}

std::string ProfileFile::readString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const
{
    const auto* line = load().findKey(section, key);
    return line ? cutChars(line->value, maxValueLength) : defaultValue;
}

int ProfileFile::readInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    const auto* line = load().findKey(section, key);
    if (!line)
        return defaultValue;
    std::string v = cutChars(line->value, maxValueLength);
    if (v.empty())
        return defaultValue;
    bool negative = false;
    std::size_t i = 0;
    if (v[0] == '-' || v[0] == '+') {
        negative = v[0] == '-';
        i = 1;
    }
    int base = 10;
    if (i < v.size() && v[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < v.size() && v[i] == '0' && (v[i + 1] == 'x' || v[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= v.size())
        return defaultValue;
    long long value = 0;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return defaultValue;
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL)
            return defaultValue;
    }
    if (base == 16 && !negative)
        return static_cast<int>(static_cast<std::uint32_t>(value));
    if (negative)
        value = -value;
    if (value > 2147483647LL || value < -2147483648LL)
        return defaultValue;
    return static_cast<int>(value);
}

bool ProfileFile::readBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool ProfileFile::sectionExists(const std::string& section) const
{
    return load().findSection(section) != std::string::npos;
}

bool ProfileFile::valueExists(const std::string& section, const std::string& key) const
{
    return load().findKey(section, key) != nullptr;
}

std::vector<std::string> ProfileFile::keys(const std::string& section) const
{
    const Content& c = load();
    std::vector<std::string> result;
    const std::size_t header = c.findSection(section);
    if (header == std::string::npos)
        return result;
    for (std::size_t i = header + 1; i < c.sectionEnd(header); ++i) {
        if (c.lines[i].kind != Content::Kind::Key)
            continue;
        const bool seen = std::any_of(result.begin(), result.end(),
                                      [&](const std::string& k) { return equalsNoCase(k, c.lines[i].name); });
        if (!seen)
            result.push_back(c.lines[i].name);
    }
    return result;
}

std::vector<std::string> ProfileFile::sections() const
{
    const Content& c = load();
    std::vector<std::string> result;
    for (const auto& line : c.lines) {
        if (line.kind != Content::Kind::Section)
            continue;
        const bool seen = std::any_of(result.begin(), result.end(),
                                      [&](const std::string& s) { return equalsNoCase(s, line.name); });
        if (!seen)
            result.push_back(line.name);
    }
    return result;
}

void ProfileFile::writeString(const std::string& section, const std::string& rawKey, const std::string& rawValue)
{
    Content c = load();
    const std::string key = trim(flatten(rawKey));
    const std::string value = trim(flatten(rawValue));
    if (key.empty())
        return;
    std::size_t header = c.findSection(section);
    if (header == std::string::npos) {
        if (!c.lines.empty() && !trim(c.lines.back().text).empty())
            c.lines.push_back(Content::parseLine(""));
        c.lines.push_back(Content::parseLine("[" + trim(flatten(section)) + "]"));
        header = c.lines.size() - 1;
    }
    const std::size_t end = c.sectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        auto& line = c.lines[i];
        if (line.kind == Content::Kind::Key && equalsNoCase(line.name, key)) {
            line.text = line.name + "=" + value;
            line.value = value;
            store(c);
            return;
        }
    }
    // New key: after the section's last non-blank line, so blank separators stay below it.
    std::size_t insertAt = end;
    while (insertAt > header + 1 && trim(c.lines[insertAt - 1].text).empty())
        --insertAt;
    c.lines.insert(c.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Content::parseLine(key + "=" + value));
    store(c);
}

void ProfileFile::writeInteger(const std::string& section, const std::string& key, int value)
{
    writeString(section, key, std::to_string(value));
}

void ProfileFile::writeBool(const std::string& section, const std::string& key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void ProfileFile::eraseSection(const std::string& section)
{
    Content c = load();
    bool erased = false;
    for (std::size_t header = c.findSection(section); header != std::string::npos; header = c.findSection(section)) {
        c.lines.erase(c.lines.begin() + static_cast<std::ptrdiff_t>(header),
                      c.lines.begin() + static_cast<std::ptrdiff_t>(c.sectionEnd(header)));
        erased = true;
    }
    if (erased)
        store(c);
}

} // namespace talvix
