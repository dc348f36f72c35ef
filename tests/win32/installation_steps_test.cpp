// The installation driver's steps in their order, watched through the
// status line it writes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "archive/setup_script.h"
#include "engine/installation.h"
#include "engine/progress.h"
#include "mksetup/script_builder.h"
#include "startup/command_line.h"
#include "win32_support.h"

namespace {

std::vector<std::string> g_texts;
WNDPROC g_staticProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam) g_texts.emplace_back(reinterpret_cast<const char*>(lParam));
  return CallWindowProcA(g_staticProc, window, message, wParam, lParam);
}

}  // namespace

TEST(InstallationSteps, AnEmptyScriptStillSetsEveryFixedStatusInOrder) {
  TScriptBuilder b = PermissiveScript();
  b.SetField(34, "0");  // per-file mode without files: nothing to read
  b.SetField(48, "10");
  b.SetField(56, "0");  // no uninstall information
  std::vector<std::string> messages;
  for (int m = 1; m <= 87; ++m) messages.push_back(std::to_string(m));
  b.AddLanguage("English", "1033", "", "", messages);
  TMemoryStream item(b.Serialize());
  ASSERT_TRUE(ParseScriptHeader(item));
  ASSERT_TRUE(ParseScriptSections(item));

  HWND status = CreateWindowA("STATIC", "", 0, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  HWND bar = CreateWindowA(PROGRESS_CLASSA, "", 0, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(status);
  g_staticProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
  AttachProgressControls(status, bar);
  RunFlags().silent = true;
  g_texts.clear();
  RunInstallation();
  AttachProgressControls(nullptr, nullptr);
  RunFlags() = TRunFlags();
  DestroyWindow(status);
  DestroyWindow(bar);

  EXPECT_EQ(g_texts, (std::vector<std::string>{"57", "51", "80", "37", "38", "60", "57", "40"}));
  EXPECT_EQ(ProgressPosition(), 10) << "the bar ends full";
}
