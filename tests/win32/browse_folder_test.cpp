// The shell's folder browser, driven as a person would: it runs modal on a
// thread of its own while the test finds its dialog and presses its buttons.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "extraction_support.h"
#include "lang/browse_folder.h"
#include "lang/path_constants.h"
#include "ui_driver.h"

namespace {

constexpr char kInstruction[] = "Choose where Velmora goes";

// The label of the folder selected in the browser's tree.
std::string SelectedFolder(HWND dialog) {
  const HWND tree = ui::FindChild(dialog, "SysTreeView32");
  char text[MAX_PATH] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = sizeof text;
  return item.hItem && SendMessageA(tree, TVM_GETITEMA, 0, LPARAM(&item)) ? text : "";
}

// Wine's browser fills and selects its tree after it shows: a button
// pressed before that would choose the desktop.
bool WaitForSelected(HWND dialog, const std::string& label) {
  for (int i = 0; i < 100; ++i, Sleep(50))
    if (SelectedFolder(dialog) == label) return true;
  return false;
}

struct TCase {
  std::string start;
  const char* startLabel;  // selected when the browser opens; "" when nothing is waited for
  std::string pick;        // then selected through the browser's own message, if any
  int button;
  bool chosen;
  std::string folder;
};

// Runs the browser on a thread of its own and drives it from this one.
void BrowseAndDrive(const TCase& c) {
  std::string folder = c.start;
  std::atomic<bool> done{false}, chosen{false};
  std::thread browser([&] {
    chosen = BrowseForFolder(nullptr, kInstruction, folder);
    done = true;
  });
  const HWND dialog = ui::WaitForDialog(GetCurrentProcessId(), 10000);
  if (dialog) {
    EXPECT_NE(ui::FindChild(dialog, "Static", kInstruction), nullptr);
    if (*c.startLabel) {
      EXPECT_TRUE(WaitForSelected(dialog, c.startLabel)) << SelectedFolder(dialog);
    }
    if (!c.pick.empty()) {
      SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, LPARAM(c.pick.c_str()));
      EXPECT_TRUE(WaitForSelected(dialog, c.pick.substr(c.pick.rfind('\\') + 1)));
    }
    ui::Click(GetDlgItem(dialog, c.button));
    for (int i = 0; i < 200 && !done; ++i) Sleep(50);
    if (!done) ui::Close(dialog);  // a button that did nothing: end it rather than hang
  }
  browser.join();
  EXPECT_NE(dialog, nullptr);
  EXPECT_EQ(chosen, c.chosen);
  EXPECT_EQ(folder, c.folder);
}

TEST(BrowseFolder, OpensOnTheFolderAndReturnsTheChoiceOrNothingOnCancel) {
  RemoveTree("C:\\velmora-tests\\browse");
  const std::string folder = FreshFolder("browse");
  const std::string start = folder + "start", other = folder + "other\\deeper", missing = folder + "missing";
  for (const std::string& made : {start, folder + "other", other}) CreateDirectoryA(made.c_str(), nullptr);
  const TCase cases[] = {
      {start, "start", "", IDOK, true, start},
      {start, "start", other, IDOK, true, other},
      {start + "\\", "start", other, IDCANCEL, false, start + "\\"},
      {missing, "", "", IDCANCEL, false, missing},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.start + " " + c.pick);
    BrowseAndDrive(c);
  }
  RemoveTree(DropTrailingBackslash(folder));
}

}  // namespace
