// Entry points of reception, software update, automatic upload and configuration transfer, as
// the tick and the status evaluation call them. Their modules are not part of the engine core;
// until they are in, these entry points have no effect.
#include "station/TMDIChild.h"

namespace talvix {

void TMDIChild::Datenempfangen1Click() { }

void TMDIChild::CheckProgUpdate(bool) { }

void TMDIChild::StartUpDate() { }

void TMDIChild::StartAutoUpload() { }

void TMDIChild::ReadConfig() { }

void TMDIChild::WriteConfig() { }

void TMDIChild::ReadErrorDump() { }

} // namespace talvix
