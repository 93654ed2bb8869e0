#include "station/StationModes.h"

namespace talvix {
namespace {

using enum ModeMessage::Kind;

constexpr ModeMessage none {};
constexpr ModeMessage key(std::string_view k, std::string_view fallback = {})
{
    return { CatalogueKey, k, fallback };
}

const std::array<ModeInfo, ModeCount> modeTable = { {
    /* mReset */ { "reset", none, false, false, false, std::nullopt },
    /* WsDisconnect */ { "disconnect", { Literal, "Disconnect" }, true, false, false, 1 },
    /* OffLine */ { "offline", none, true, true, false, 1 },
    /* Status */ { "online", none, false, false, false, 2 },
    /* DataReceive */ { "data receiving", none, false, false, false, 4 },
    /* DataSaved */ { "data received", key("msg_DataReceived"), false, false, false, 5 },
    /* DataAlready */ { "data transmitted", key("msg_DataTransmitted"), false, false, false, 3 },
    /* DataInhibit */ { "data looked", key("msg_DataInhibited"), false, false, false, 3 },
    /* CmdPageMode */ { "command mode", none, false, false, false, 6 },
    /* SWUpDate */ { "software update", none, false, false, false, 7 },
    /* BootProg */ { "booting", none, false, false, false, 8 },
    /* DataRecOK */ { "unknown", none, false, false, false, std::nullopt },
    /* LoadTbl */ { "load table", none, false, false, false, 9 },
    /* ComError */ { "port error", none, false, false, false, 10 },
    /* DataPageMode */ { "set option", none, false, false, false, 11 },
    /* WaitOfResponse */ { "wait of response", none, false, false, false, std::nullopt },
    /* StartConfigRead */ { "reading config", none, false, false, false, std::nullopt },
    /* ConfigRead */ { "read config", key("msg_ReadConfig"), false, false, false, std::nullopt },
    /* StartConfigWrite */ { "writing config", none, false, false, false, std::nullopt },
    /* ConfigWrite */ { "written config", key("msg_WriteConfig"), false, false, false, 9 },
    /* StartErrorDump */ { "error log reading", none, false, false, false, std::nullopt },
    /* ErrorDump */ { "error log read", none, false, false, false, std::nullopt },
    /* ClrErrDump */ { "error log clear", none, false, false, false, std::nullopt },
    /* ReceiveFileError */
    { "file error", key("msg_DataFileError", "FATAL-ERROR: Speichern der Daten nicht m\xC3\xB6glich!"), false, false,
        true, 1 },
    /* ReadDir */ { "dir read", none, false, false, false, 9 },
    /* mError */ { "ERROR:", none, false, false, false, std::nullopt },
} };

} // namespace

const ModeInfo& modeInfo(TMode mode)
{
    return modeTable.at(mode);
}

bool modeChangeLogged(int LogLevel, TMode mode)
{
    constexpr auto bit = [](TMode m) { return std::uint32_t { 1 } << m; };
    constexpr std::uint32_t level5 = bit(DataSaved);
    constexpr std::uint32_t level4 = level5 | bit(LoadTbl);
    constexpr std::uint32_t level3
        = level4 | bit(OffLine) | bit(Status) | bit(DataReceive) | bit(DataAlready) | bit(DataInhibit) | bit(SWUpDate);
    constexpr std::uint32_t level2 = level3 | bit(mReset) | bit(WsDisconnect) | bit(BootProg);
    switch (LogLevel) {
    case 1:
        return true;
    case 2:
        return (level2 & bit(mode)) != 0;
    case 3:
        return (level3 & bit(mode)) != 0;
    case 4:
        return (level4 & bit(mode)) != 0;
    case 5:
        return (level5 & bit(mode)) != 0;
    default:
        return false;
    }
}

} // namespace talvix
