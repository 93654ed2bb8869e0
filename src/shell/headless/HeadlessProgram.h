#pragma once
// The main window's logic without a window: talvix5 --headless.
//
// HeadlessProgram runs TMainForm exactly as the windowed program does (FormCreate, FormShow,
// then whatever the event loop brings, FormClose), with the non-interactive dialog answers and
// a window that is never shown. The stations come from the factory the program is given, so the
// same class runs the real station engine in the program and fake stations in tests.
//
// A failure during the first showing (a station that cannot be created or loaded) ends the
// program without FormClose: saving then would write the settings of a half-loaded station list
// over the settings file.

#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "platform/ProcessStarter.h"
#include "shell/StationHandle.h"
#include "shell/TMainForm.h"
#include "shell/TextCatalogue.h"
#include "shell/headless/HeadlessWindowView.h"
#include "shell/headless/NonInteractiveDialogs.h"

namespace talvix {

// All outlive the program. The stations get the same dialogs from their factory.
struct HeadlessServices {
    EventLoop& loop;
    HeadlessDialogs& dialogs;
    StationFactory& stations;
    ProcessStarter& processes; // the editor (OpenEditor)
};

class HeadlessProgram {
public:
    // progPath and settingsArgument as TMainForm takes them.
    HeadlessProgram(const HeadlessServices& services, std::string progPath, std::string settingsArgument);
    // close(), so a program that leaves its loop some other way still ends in order.
    ~HeadlessProgram();
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    // Start and first showing, once. False when the program must end; the reason has been shown
    // as a message.
    bool start();
    // The orderly end after a successful start, once: stations closed in window order, settings
    // saved when changed (behind the password), "close Talvix", the log on disk. Later calls, or
    // a call after a failed start, do nothing.
    void close();

private:
    enum class State { NotStarted, Running, Ended };

    MessageDialogs& messages_;
    MessageBoxTexts boxTexts_;
    HeadlessWindowView view_;
    std::unique_ptr<TMainForm> form_;
    State state_ = State::NotStarted;
};

} // namespace talvix
