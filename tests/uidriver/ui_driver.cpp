#include "ui_driver.h"

#include <tlhelp32.h>

#include <vector>

namespace ui {

namespace {
// This process's environment with the given entries added or replaced, as
// an environment block.
std::vector<char> EnvironmentBlock(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  if (char* block = GetEnvironmentStringsA()) {
    for (char* p = block; *p; p += strlen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsA(block);
  }
  for (const std::string& entry : extra) {
    std::string name = entry.substr(0, entry.find('=') + 1);
    for (auto it = entries.begin(); it != entries.end();)
      it = _strnicmp(it->c_str(), name.c_str(), name.size()) == 0 ? entries.erase(it) : it + 1;
    entries.push_back(entry);
  }
  std::vector<char> out;
  for (const std::string& entry : entries) out.insert(out.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
  out.push_back(0);
  return out;
}
}  // namespace

std::unique_ptr<TProcess> TProcess::Start(const std::string& program, const std::string& arguments,
                                          const std::string& folder, const std::vector<std::string>& environment) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::vector<char> block = EnvironmentBlock(environment);
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                      environment.empty() ? nullptr : block.data(), folder.empty() ? nullptr : folder.c_str(),
                      &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return std::unique_ptr<TProcess>(new TProcess(info.hProcess, info.dwProcessId));
}

TProcess::~TProcess() {
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

int TProcess::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  return GetExitCodeProcess(process_, &code) ? int(code) : -1;
}

bool TProcess::Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::string ClassName(HWND window) {
  char name[256] = {};
  int n = GetClassNameA(window, name, sizeof name);
  return std::string(name, size_t(n > 0 ? n : 0));
}

std::string Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return std::string();
  std::vector<char> buffer(length + 2);
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return std::string(buffer.data(), copied);
}

bool IsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }
bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }

bool IsChecked(HWND window) {
  DWORD_PTR state = 0;
  SendMessageTimeoutA(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

RECT Geometry(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  HWND parent = GetAncestor(window, GA_PARENT);
  if (parent && parent != GetDesktopWindow()) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

namespace {
struct TEnumState {
  DWORD processId;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
  auto* state = reinterpret_cast<TEnumState*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == state->processId && (!state->visibleOnly || IsWindowVisible(window))) state->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}
}  // namespace

bool LoadsModule(DWORD processId, const std::string& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Module32First(snapshot, &entry); more && !found; more = Module32Next(snapshot, &entry))
    found = lstrcmpiA(entry.szModule, name.c_str()) == 0;
  CloseHandle(snapshot);
  return found;
}

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
  TEnumState state{processId, visibleOnly, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  do {
    for (HWND window : TopLevelWindows(processId))
      if (match(window)) return window;
    Sleep(50);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
  return WaitForWindow(processId, [](HWND w) { return ClassName(w) == "#32770"; }, timeoutMs);
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindChild(HWND parent, const std::string& className, const std::string& text) {
  for (HWND child : Children(parent))
    if ((className.empty() || _stricmp(ClassName(child).c_str(), className.c_str()) == 0) &&
        (text.empty() || Text(child) == text))
      return child;
  return nullptr;
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);  // a message box's text control
  return text ? Text(text) : std::string();
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void TypeText(HWND edit, const std::string& text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
}

namespace {
bool IsComboBox(HWND list) { return _stricmp(ClassName(list).c_str(), "ComboBox") == 0; }
}  // namespace

bool PickListEntry(HWND list, int index) {
  bool combo = IsComboBox(list);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(list, combo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(index), 0, SMTO_ABORTIFHUNG, 5000, &result);
  if (int(result) != index) return false;
  WPARAM notify = MAKEWPARAM(GetDlgCtrlID(list), combo ? CBN_SELCHANGE : LBN_SELCHANGE);
  PostMessageA(GetParent(list), WM_COMMAND, notify, reinterpret_cast<LPARAM>(list));
  return true;
}

std::vector<std::string> ListEntries(HWND list) {
  // Asked in UTF-16 and converted: Wine hands ANSI list texts across
  // processes as wide characters.
  bool combo = IsComboBox(list);
  DWORD_PTR count = 0;
  SendMessageTimeoutW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  std::vector<std::string> entries;
  for (DWORD_PTR i = 0; i < count && int(count) >= 0; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::vector<wchar_t> wide(length + 2);
    SendMessageTimeoutW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()),
                        SMTO_ABORTIFHUNG, 5000, &length);
    char narrow[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    entries.emplace_back(narrow);
  }
  return entries;
}

int SelectedIndex(HWND list) {
  DWORD_PTR index = 0;
  SendMessageTimeoutA(list, IsComboBox(list) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &index);
  return int(index);
}

void PressKey(HWND window, WORD key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void Close(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

bool SaveScreenshot(HWND window, const std::string& path) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (DWORD(width) * 3 + 3) & ~3u, size = stride * DWORD(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + size;
  info.bmiHeader.biSizeImage = size;
  bool ok = false;
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD w1 = 0, w2 = 0, w3 = 0;
    ok = WriteFile(out, &file, sizeof file, &w1, nullptr) &&
         WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &w2, nullptr) &&
         WriteFile(out, bits, size, &w3, nullptr) && w3 == size;
    CloseHandle(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace ui
