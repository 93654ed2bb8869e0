#pragma once
// The two modal port dialogs a station opens from its "Schnittstelle" command: Tfm_dlgPort
// ("Com Port Options") for serial and network stations, Tfm_dlgUsbPort ("USB Port Options") for
// USB stations. Each call creates the dialog, shows it modally and frees it. The GUI implements
// them with its dialogs (including the device search), --headless cancels, tests script the
// answers. The station closes its port before it asks and reopens it afterwards.

#include <optional>

#include "station/StationSettings.h"

namespace talvix {

class PortDialogs {
public:
    virtual ~PortDialogs() = default;

    // Tfm_dlgPort: its holder is preset with ComPort (all port settings plus server address and
    // port); returns the holder as confirmed with OK (Execute, then GetComPort), or nothing for
    // Cancel. Throws when OK was pressed but the choice cannot be read back (no port entry
    // selected).
    virtual std::optional<StationPortSettings> ExecutePortDialog(const StationPortSettings& ComPort) = 0;

    // Tfm_dlgUsbPort: preset with SetBaud(Baud); returns GetBaud after OK, nothing for Cancel.
    virtual std::optional<int> ExecuteUsbPortDialog(int Baud) = 0;
};

} // namespace talvix
