#pragma once
// What the main window's logic asks of the window that shows it. The GUI implements it with
// the MDI frame, --headless with a window that is never shown, tests record the calls.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/StationHandle.h"

namespace talvix {

// The space the station windows share, and the bars that take part of it.
struct ClientArea {
    int Width = 0;
    int Height = 0;
    int SpeedBarHeight = 0; // SpeedPanel along the top
    int StatusBarHeight = 0; // Panel1 along the bottom
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    // The position and size read from the settings at the first showing.
    virtual void SetBounds(const WindowBounds& bounds) = 0;
    virtual ClientArea Client() const = 0;
    // The window manager's cascade of every station window.
    virtual void Cascade() = 0;
    // Start as icon: the tray icon is shown at load, the application hidden 500 ms later.
    virtual void ActivateTrayIcon() = 0;
    virtual void HideApplication() = 0;
};

// The USB device watcher, which announces arrivals and removals until it is destroyed.
class UsbDeviceWatcher {
public:
    virtual ~UsbDeviceWatcher() = default;
};

using UsbDeviceHandler = std::function<void(const std::string& DeviceID)>;

class UsbWatcherFactory {
public:
    virtual ~UsbWatcherFactory() = default;
    // Arguments in the order the watcher takes them. The watcher reports every terminal already
    // plugged in as an arrival, possibly before this returns.
    virtual std::unique_ptr<UsbDeviceWatcher> CreateWatcher(UsbDeviceHandler OnUSBArrival, UsbDeviceHandler OnUSBRemove,
        const std::vector<std::string>& SupportedDeviceList)
        = 0;
};

} // namespace talvix
