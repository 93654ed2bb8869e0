#pragma once
// The one place where talvix5 chooses the stations it runs.
//
// The station engine's adapter plugs in here: a StationFactory whose stations are TMDIChild
// engines on the given loop, asking their questions through dialogs (the fixed answers) and
// reporting each mode change and stored file to report. Until then only settings without
// stations can run.

#include <memory>

#include "UnavailableStationFactory.h"
#include "platform/EventLoop.h"
#include "shell/StationHandle.h"
#include "shell/headless/HeadlessReport.h"
#include "shell/headless/NonInteractiveDialogs.h"

namespace talvix {

inline std::unique_ptr<StationFactory> SelectStationFactory(
    EventLoop& /*loop*/, HeadlessDialogs& /*dialogs*/, HeadlessReport& /*report*/)
{
    return std::make_unique<UnavailableStationFactory>();
}

} // namespace talvix
