// Ending the installation early when the user (or, in silent mode, anyone)
// asked the setup to close while it runs. The request is honoured at the
// next record boundary, never in the middle of a file.
#pragma once

void RequestStop();
bool StopRequested();
// When a stop was requested: deletes the temporary files and ends the
// process with kExitUserCancelled. Otherwise returns at once.
void HonourStopRequest();
