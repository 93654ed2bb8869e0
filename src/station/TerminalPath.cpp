#include "station/TerminalPath.h"

#include "platform/Windows1252.h"

namespace talvix {

namespace {

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Position after the separators and the one component starting at pos.
std::size_t skipComponent(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isSeparator(text[pos]))
        ++pos;
    while (pos < text.size() && !isSeparator(text[pos]))
        ++pos;
    return pos;
}

// Where the path proper begins, after a drive prefix or a UNC root.
std::size_t rootLength(std::string_view text)
{
    if (text.size() >= 2 && isAsciiLetter(text[0]) && text[1] == ':')
        return 2;
    if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1]))
        return skipComponent(text, skipComponent(text, 0));
    return 0;
}

} // namespace

std::string safeRelativePath(std::string_view name)
{
    const std::string text = ToUtf8(name);
    std::string result;
    std::size_t pos = rootLength(text);
    while (pos < text.size()) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !isSeparator(text[pos]))
            ++pos;
        const std::string_view component = std::string_view(text).substr(start, pos - start);
        if (component.empty() || component == "." || component == "..")
            continue;
        if (!result.empty())
            result += '/';
        for (const char c : component) {
            const auto byte = static_cast<unsigned char>(c);
            result += (byte < 0x20 || byte == 0x7F) ? '_' : c;
        }
    }
    return result;
}

} // namespace talvix
