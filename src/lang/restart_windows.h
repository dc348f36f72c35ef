// Asking Windows to restart, as the last of the finish actions.
#pragma once

// Enables the shutdown privilege above OS class 2 (Windows 98 and older
// have none), then asks for a restart: on OS class 5 and up only programs
// that hang are ended, so the others can still save their documents; older
// systems end every program. Failures are ignored: the request is made in
// every case.
void RestartWindows();
