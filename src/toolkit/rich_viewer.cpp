#include "toolkit/rich_viewer.h"

#include <ole2.h>
#include <richedit.h>

#include <cstring>

#include "toolkit/controls.h"
#include "toolkit/win32_handle.h"

namespace {

struct TRichLibrary {
  const char* dll;
  const char* windowClass;
};
const TRichLibrary kLibraries[] = {
    {"msftedit.dll", "RichEdit50W"}, {"riched20.dll", "RichEdit20A"}, {"riched32.dll", "RichEdit"}, {"riched.dll", "RichEdit"}};

const char* g_class = "";

std::string SystemFolderPath(const char* name) {
  char folder[MAX_PATH + 1];
  UINT n = GetSystemDirectoryA(folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) return std::string();
  return std::string(folder, n) + "\\" + name;
}

// Once per process: with OLE the newest library first, without it the oldest.
void LoadRichEditLibrary() {
  static bool tried = false;
  if (tried) return;
  tried = true;
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const int count = int(sizeof kLibraries / sizeof kLibraries[0]);
  for (int i = 0; i < count; ++i) {
    const TRichLibrary& library = kLibraries[ole ? i : count - 1 - i];
    const std::string path = SystemFolderPath(library.dll);
    // Kept loaded for the rest of the run: its window class lives in it.
    if (!path.empty() && LoadLibraryA(path.c_str())) {
      g_class = library.windowClass;
      break;
    }
  }
  SetErrorMode(oldMode);
}

LRESULT CALLBACK ArrowCursorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, "VelmoraPreviousProc"));
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
  }
  if (message == WM_NCDESTROY) RemovePropA(window, "VelmoraPreviousProc");
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

DWORD CALLBACK ReadFileChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
  DWORD read = 0;
  BOOL ok = ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, DWORD(size), &read, nullptr);
  *got = LONG(read);
  return ok ? 0 : 1;
}

}  // namespace

HWND CreateRichViewer(HWND parent, int x, int y, int width, int height, COLORREF background, bool tabStop) {
  LoadRichEditLibrary();
  if (!*g_class) return nullptr;
  const DWORD style = WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL |
                      (tabStop ? WS_TABSTOP : 0);
  HWND viewer = CreateChild(parent, g_class, "", style, x, y, width, height, 0, WS_EX_CLIENTEDGE);
  if (!viewer) return nullptr;
  SendMessageA(viewer, EM_SETBKGNDCOLOR, 0, LPARAM(background));
  if (!tabStop) {
    SetPropA(viewer, "VelmoraPreviousProc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(viewer, GWLP_WNDPROC)));
    SetWindowLongPtrA(viewer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ArrowCursorProc));
  }
  return viewer;
}

bool LoadDocumentFile(HWND viewer, const std::string& path) {
  TWin32Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  // The rich edit control shows nothing of a text that is not RTF.
  char start[5] = {};
  DWORD got = 0;
  if (!ReadFile(file.Get(), start, sizeof start, &got, nullptr) ||
      SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    return false;
  const bool rtf = got == sizeof start && std::memcmp(start, "{\\rtf", sizeof start) == 0;
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(file.Get());
  stream.pfnCallback = ReadFileChunk;
  SendMessageA(viewer, EM_STREAMIN, rtf ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  return stream.dwError == 0;
}

const char* RichViewerClass() { return g_class; }
