// Installs a setup through its wizard as a person would, page by page, and
// reports what it saw: the interactive half of scripts/demo, and the source
// of the screenshots in docs/screenshots.
//
//   walk_setup SETUP FOLDER GROUP [SCREENSHOT_FOLDER]
//
// On the Destination page it types FOLDER, on the Start Menu page GROUP;
// every other page keeps its defaults (so the Finish page's read-me opens if
// its box starts ticked). Exit code: the setup's, or 99 when the walk failed.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "ui_driver.h"

namespace {

std::string g_shots;

bool WaitUntil(bool (*condition)(HWND), HWND window, DWORD timeoutMs = 30000) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(30))
    if (condition(window)) return true;
  return condition(window);
}

HWND VisiblePanel(HWND wizard) {
  for (HWND child = GetWindow(wizard, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ui::ClassName(child) == "VelmoraPanel" && ui::IsVisible(child)) return child;
  return nullptr;
}

// The folder frame of the Destination page: a panel holding an edit box.
HWND FolderFrame(HWND panel) {
  for (HWND child : ui::Children(panel))
    if (ui::IsVisible(child) && ui::ClassName(child) == "VelmoraPanel" && ui::FindChild(child, "Edit")) return child;
  return nullptr;
}

HWND Visible(HWND panel, const char* className) {
  for (HWND child : ui::Children(panel))
    if (ui::IsVisible(child) && ui::ClassName(child) == className) return child;
  return nullptr;
}

std::string Title(HWND wizard) {
  HWND header = ui::FindChild(wizard, "VelmoraHeaderBand");
  return header && ui::IsVisible(header) ? ui::Text(GetDlgItem(header, 1)) : std::string();
}

// "3-choose-install-location" for the third page with that title.
std::string ShotName(int page, const std::string& title, bool finish) {
  std::string name = std::to_string(page) + "-";
  if (title.empty()) return name + (finish ? "finish" : "welcome");
  for (char c : title)
    if (isalnum(static_cast<unsigned char>(c))) name += char(tolower(static_cast<unsigned char>(c)));
    else if (name.back() != '-') name += '-';
  if (name.back() == '-') name.pop_back();
  return name;
}

void Shot(HWND window, const std::string& name) {
  if (g_shots.empty()) return;
  Sleep(400);  // let it paint
  ui::SaveScreenshot(window, g_shots + "\\" + name + ".bmp");
}

// A visible window, of any program, whose title names the read-me.
BOOL CALLBACK FindReadme(HWND window, LPARAM found) {
  std::string title = ui::Text(window);
  for (char& c : title) c = char(tolower(static_cast<unsigned char>(c)));
  if (!IsWindowVisible(window) || title.find("readme") == std::string::npos) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND WaitForReadme(DWORD timeoutMs) {
  HWND found = nullptr;
  for (DWORD start = GetTickCount(); !found && GetTickCount() - start < timeoutMs; Sleep(100))
    EnumWindows(FindReadme, reinterpret_cast<LPARAM>(&found));
  return found;
}

int Fail(const char* what) {
  std::printf("walk: %s\n", what);
  return 99;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Fail("usage: walk_setup SETUP FOLDER GROUP [SCREENSHOT_FOLDER]");
  if (argc > 4) g_shots = argv[4];
  auto process = ui::TProcess::Start(argv[1], "");
  if (!process) return Fail("the setup did not start");
  HWND wizard = ui::WaitForWindow(process->Id(), [](HWND w) {
    return ui::ClassName(w) == "VelmoraSetupWizard" && !ui::Text(GetDlgItem(w, 11)).empty();
  }, 60000);
  if (!wizard) return Fail("no wizard appeared");
  HWND next = GetDlgItem(wizard, 11), cancel = GetDlgItem(wizard, IDCANCEL);
  if (!g_shots.empty()) {
    Sleep(500);
    ui::SaveScreenshot(GetDesktopWindow(), g_shots + "\\background.bmp");
  }

  for (int page = 1; page < 20; ++page) {
    HWND panel = VisiblePanel(wizard);
    const std::string title = Title(wizard);
    // The welcome panel after the first page is the Finish page.
    const bool finish = page > 1 && title.empty();
    if (finish) WaitUntil([](HWND c) { return !ui::IsEnabled(c); }, cancel, 5000);
    std::printf("page %d: %s  [%s]\n", page, title.empty() ? "(welcome panel)" : title.c_str(), ui::Text(next).c_str());
    if (Visible(panel, "SysListView32")) {
      ui::TypeText(ui::FindChild(panel, "Edit"), argv[3]);
      std::printf("  program group: %s\n", argv[3]);
    } else if (HWND frame = FolderFrame(panel)) {
      ui::TypeText(ui::FindChild(frame, "Edit"), argv[2]);
      std::printf("  folder: %s\n", argv[2]);
    } else if (HWND summary = ui::FindChild(panel, "RichEdit50W")) {
      if (GetWindowLongA(summary, GWL_STYLE) & WS_TABSTOP) std::printf("  summary:\n%s\n", ui::Text(summary).c_str());
    }
    Shot(wizard, ShotName(page, title, finish));
    if (finish) {
      for (HWND box : ui::Children(panel))
        if (ui::IsVisible(box) && ui::ClassName(box) == "Button")
          std::printf("  [%s] %s\n", ui::IsChecked(box) ? "x" : " ", ui::Text(box).c_str());
      ui::Click(next);
      break;
    }
    if (!ui::IsEnabled(next)) return Fail("Next is disabled");
    ui::Click(next);
    static HWND s_panel;
    static std::string s_title;
    s_panel = panel;
    s_title = title;
    // The page has changed when another panel or another title shows; the
    // Progress page passes by itself.
    if (!WaitUntil([](HWND w) { return VisiblePanel(w) != s_panel || Title(w) != s_title; }, wizard, 120000))
      return Fail("the page did not change");
    if (Visible(VisiblePanel(wizard), "msctls_progress32")) {
      std::printf("page %d: %s (installing)\n", ++page, Title(wizard).c_str());
      Shot(wizard, ShotName(page, Title(wizard), false));
      if (!WaitUntil([](HWND w) { return !Visible(VisiblePanel(w), "msctls_progress32"); }, wizard, 120000))
        return Fail("the installation did not end");
    }
  }
  const int code = process->WaitForExit(60000);
  std::printf("setup exit code: %d\n", code);
  if (HWND readme = WaitForReadme(10000)) {
    std::printf("read-me opened: \"%s\"\n", ui::Text(readme).c_str());
    ui::Close(readme);
  } else {
    std::printf("read-me opened: no\n");
  }
  return code;
}
