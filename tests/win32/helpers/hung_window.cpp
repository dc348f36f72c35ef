// Stands in for a program that has stopped answering: opens a top-level
// window, signals the event named on its command line, and then never
// handles another message.
//
// usage: hung_window EVENT_NAME
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VelmoraHungWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowA("VelmoraHungWindow", "Velmora hung window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              200, 80, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return 3;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  if (ready) SetEvent(ready);
  Sleep(INFINITE);
  return 0;
}
