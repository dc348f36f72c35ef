#include "wizard/startup_notice.h"

#include <thread>

void StartStartupNotice(HWND owner, const std::string& text, const std::string& caption) {
  std::thread([owner, text, caption] {
    Sleep(255);
    MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  }).detach();
}
