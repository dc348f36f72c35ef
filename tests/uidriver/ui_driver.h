// Drives a running setup from the outside, as a person would: finds its
// windows, reads controls, clicks, types, picks list entries and takes
// screenshots. Used by the Win32 tests only; never part of setup.exe.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

// A started program; terminated at destruction if it still runs.
class TProcess {
public:
  // environment: extra "NAME=value" entries added to (or replacing) this
  // process's environment for the new one.
  static std::unique_ptr<TProcess> Start(const std::string& program, const std::string& arguments,
                                         const std::string& folder = std::string(),
                                         const std::vector<std::string>& environment = {});
  ~TProcess();
  DWORD Id() const { return id_; }
  // The exit code, or -1 when the process did not end within timeoutMs.
  int WaitForExit(DWORD timeoutMs);
  bool Running() const;

private:
  TProcess(HANDLE process, DWORD id) : process_(process), id_(id) {}
  HANDLE process_;
  DWORD id_;
};

std::string ClassName(HWND window);
std::string Text(HWND window);
bool IsVisible(HWND window);
bool IsEnabled(HWND window);
bool IsChecked(HWND window);
// The window's rectangle in its parent's client coordinates (screen
// coordinates for a top-level window).
RECT Geometry(HWND window);

// Top-level windows of a process, in enumeration (z) order.
std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly = true);
// Whether the process has loaded the DLL of that file name (any case).
bool LoadsModule(DWORD processId, const std::string& name);
// Waits until a top-level window of the process satisfies match; null on time-out.
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs = 20000);
// Waits for a visible message box (or dialog) of the process.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs = 20000);

std::vector<HWND> Children(HWND parent);
// The first child with that class and text; an empty string matches any.
HWND FindChild(HWND parent, const std::string& className, const std::string& text = std::string());
// The text of a message box (its static text control).
std::string MessageBoxText(HWND box);

void Click(HWND button);
void TypeText(HWND edit, const std::string& text);
// Selects entry index of a combo box or list box and tells its owner.
bool PickListEntry(HWND list, int index);
std::vector<std::string> ListEntries(HWND list);
int SelectedIndex(HWND list);
// Sends a key press (such as VK_RETURN or VK_ESCAPE) to a window.
void PressKey(HWND window, WORD key);
void Close(HWND window);

// Saves what the window shows as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

}  // namespace ui
