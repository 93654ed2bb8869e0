#pragma once
// The station's modes and what each mode means outside the state machine: the name written to
// the log, the message shown on entry, the panels cleared on entry, and the function group the
// menus and buttons follow. The numbering is fixed: it indexes the tables.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace talvix {

enum TMode : std::uint8_t {
    mReset = 0,
    WsDisconnect = 1,
    OffLine = 2,
    Status = 3,
    DataReceive = 4,
    DataSaved = 5,
    DataAlready = 6,
    DataInhibit = 7,
    CmdPageMode = 8,
    SWUpDate = 9,
    BootProg = 10,
    DataRecOK = 11,
    LoadTbl = 12,
    ComError = 13,
    DataPageMode = 14,
    WaitOfResponse = 15,
    StartConfigRead = 16,
    ConfigRead = 17,
    StartConfigWrite = 18,
    ConfigWrite = 19,
    StartErrorDump = 20,
    ErrorDump = 21,
    ClrErrDump = 22,
    ReceiveFileError = 23,
    ReadDir = 24,
    mError = 25
};

inline constexpr std::size_t ModeCount = 26;

// What B_Message shows when a mode is entered.
struct ModeMessage {
    enum Kind : std::uint8_t { Unchanged, Literal, CatalogueKey } kind = Unchanged;
    std::string_view text {}; // the literal, or the catalogue key
    std::string_view defaultText {}; // for a key missing from the catalogue
};

struct ModeInfo {
    std::string_view logName;
    ModeMessage message;
    bool clearsSNr = false;
    bool clearsRec = false;
    bool clearsChildStatus = false;
    std::optional<int> functionGroup; // none: the menus keep their state
};

const ModeInfo& modeInfo(TMode mode);

// Whether a change into mode is written to the log at the given LogLevel.
bool modeChangeLogged(int LogLevel, TMode mode);

} // namespace talvix
