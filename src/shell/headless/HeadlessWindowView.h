#pragma once
// The main window of --headless: it is never shown, so there is nothing to move, cascade or
// hide. It keeps the bounds read from the settings so the logic that places USB stations sees
// the client area the window would have (without bars), and the settings file gets back the
// position it held.

#include "shell/MainWindowView.h"

namespace talvix {

class HeadlessWindowView final : public MainWindowView {
public:
    void SetBounds(const WindowBounds& bounds) override { bounds_ = bounds; }
    ClientArea Client() const override { return { bounds_.Width, bounds_.Height, 0, 0 }; }
    void Cascade() override { }
    void ActivateTrayIcon() override { }
    void HideApplication() override { }

private:
    WindowBounds bounds_;
};

} // namespace talvix
