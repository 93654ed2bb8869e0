#pragma once
// The settings of one station: what its settings section holds and what the naming of its target
// file derives from that. A plain record; loading and saving live in StationSettingsFile.h, the
// derived fields (Data_Path, Data_File, DateiNummierung) are set by CreatePathAndFileName.
// The members carry the names of the fields and controls they stand for, so that the station
// engine can hold one record instead of a scatter of fields. The defaults are those a station has
// when it is created, before any section is read.

#include <cstdint>
#include <string>

#include "port/PortTypes.h"
#include "station/LineSeparator.h"

namespace talvix {

// The port settings that are kept in the station section (the port component's own names).
struct StationPortSettings {
    std::uint16_t ComNumber = 1;
    TDeviceLayer DeviceLayer = TDeviceLayer::dlWin32;
    std::string WsAddress;
    std::string WsPort;
    int Baud = 19200;
    std::uint16_t DataBits = 8;
    std::uint16_t StopBits = 1;
    TParity Parity = TParity::pNone;
};

struct StationSettings {
    StationPortSettings ComPort;
    std::string ModemInitString;
    int Left = 0; // window position ("XPos", "YPos")
    int Top = 0;

    // Transfer options: radio groups and check boxes whose state is the setting.
    int ZielDateiGroup = 0; // 0 collective file, 1 generated with the serial number
    int NachReceiveGroup = 0; // 0 set the transfer lock, 1 clear the data memory
    bool STXCheck = true;
    bool ETXCheck = false;
    bool STXFullFilename = false;
    TLineSeparator LineSeparator = lsCRLF;
    bool AutoRecBox = false;
    bool AutoProgBox = false;
    bool ConfirmUpdateBox = false;
    bool Fg_UpdateViaTempFolder = false;
    bool AutoInternetBox = false;
    bool cbAutoSetTime = false;
    bool AutoUpload = false;
    bool Fg_ReceiveDataSplit = false;

    // Folders and names as edited on the options pages.
    std::string UploadPath;
    std::string EditDataPath;
    std::string EditDataFileName = "Talvix.txt";
    std::string UpdatePath;
    std::string EditUpdatePath;

    // Remembered filter indexes of the file dialogs.
    int TarnUpdateFilterIndex = 6;
    int UpdateFilterIndex = 5;
    int ConfigFilterIndex = 4;
    int TableFilterIndex = 1;

    // Formats of the "%D" and "%T" placeholders (edited in the settings file only).
    std::string TimeFormat = "hhnnss";
    std::string DateFormat = "yyyymmdd";

    // Derived from EditDataPath / EditDataFileName by CreatePathAndFileName.
    std::string Data_Path;
    std::string Data_File;
    bool DateiNummierung = false;
};

} // namespace talvix
