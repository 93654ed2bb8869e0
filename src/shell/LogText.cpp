#include "shell/LogText.h"

namespace talvix {

std::string EscapeLogText(const std::string& msg)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(msg.size());
    for (char c : msg) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b >= 128) {
            out += '[';
            out += hex[b >> 4];
            out += hex[b & 0x0F];
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace talvix
