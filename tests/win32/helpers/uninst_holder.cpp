// Stands in for a running program that holds one of the product's files:
// opens the file for reading without FILE_SHARE_DELETE (as a program's own
// file is held while it runs), signals the event named on its command line,
// and waits until it is ended.
//
// usage: uninst_holder PATH EVENT_NAME
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  if (ready) SetEvent(ready);
  Sleep(INFINITE);
  return 0;
}
