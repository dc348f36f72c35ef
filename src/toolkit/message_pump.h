// Running the pending window messages of this thread from inside long work.
#pragma once

// Dispatches every pending message. A WM_QUIT met here is posted again so
// that the message loop it was meant for still ends.
void PumpWindowMessages();
