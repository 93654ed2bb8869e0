#pragma once
// Types shared by the port layer and its users.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace talvix {

enum class TDeviceLayer : std::uint8_t { dlWin32 = 0, dlWinsock = 1, dlUSB = 2 };

enum class TProtocolType : std::uint8_t {
    ptNoProtocol = 0,
    ptXmodem = 1,
    ptXmodemCRC = 2,
    ptXmodem1K = 3,
    ptXmodem1KG = 4,
    ptYmodem = 5,
    ptYmodemG = 6,
    ptZmodem = 7,
    ptKermit = 8,
    ptAscii = 9
};

enum class TParity : std::uint8_t { pNone = 0, pOdd = 1, pEven = 2, pMark = 3, pSpace = 4 };

// Port events. The sender of the original method pointers is left out: no handler may depend
// on it, since it differs by back end.
using TriggerAvailEvent = std::function<void(std::uint16_t Count)>;
using NotifyEvent = std::function<void()>;
using WsErrorEvent = std::function<void(int ErrCode)>;
using AddLogEvent = std::function<void(int Level, const std::string& Msg)>;
using ProtocolFinishEvent = std::function<void(int ErrorCode)>;
using ProtocolStatusEvent = std::function<void(std::uint16_t Options)>;

// An error raised by a port operation (open failures, a full output buffer, a setting that
// cannot change while connected), with the numeric code of the port library.
class PortError : public std::runtime_error {
public:
    PortError(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

} // namespace talvix
