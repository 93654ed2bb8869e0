// Entry points of software update, automatic upload, configuration transfer and the directory
// view, as the tick, the status evaluation and the transfer ends call them. Their modules are
// not part of the engine core; until they are in, these entry points have no effect.
#include "station/TMDIChild.h"

namespace talvix {

void TMDIChild::CheckProgUpdate(bool) { }

void TMDIChild::StartUpDate() { }

void TMDIChild::StartAutoUpload() { }

void TMDIChild::ReadConfig() { }

void TMDIChild::WriteConfig() { }

void TMDIChild::ReadErrorDump() { }

void TMDIChild::ShowConfigForm() { }

void TMDIChild::ViewDirectory(int) { }

} // namespace talvix
