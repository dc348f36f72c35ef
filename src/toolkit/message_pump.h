// Running the pending window messages of this thread from inside long work.
#pragma once

// Declared without <windows.h>, whose macros this header would otherwise
// bring to every includer (DeleteFile and the like).
struct HWND__;
struct tagMSG;

// The window whose keys (Tab, Enter, Esc) work as in a dialog wherever its
// messages are dispatched; null for none.
void SetKeyboardDialog(HWND__* dialog);
// Dispatches one message, with the keyboard dialog's keys handled.
void DispatchWindowMessage(tagMSG& message);
// Dispatches every pending message. A WM_QUIT met here is posted again so
// that the message loop it was meant for still ends.
void PumpWindowMessages();
// The same, unless the last time was under 10 ms ago: between small pieces
// of work, asking the queue each time would cost more than the work.
void PumpWindowMessagesNowAndThen();
