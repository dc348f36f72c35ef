// The wizard window's frame and the controls the installation uses.
#include <gtest/gtest.h>
#include <windows.h>

#include "wizard/wizard_window.h"

namespace {

RECT InParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectAt(HWND control, int x, int y, int width, int height) {
  RECT r = InParent(control);
  EXPECT_EQ(r.left, x);
  EXPECT_EQ(r.top, y);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

}  // namespace

TEST(WizardWindow, FrameButtonsAndPagesStandWhereTheLayoutPutsThem) {
  if (!WizardWindow()) CreateWizardWindow();
  const TWizardControls& c = WizardControls();
  RECT client;
  GetClientRect(c.window, &client);
  EXPECT_EQ(client.right, 495);
  EXPECT_EQ(client.bottom, 359);
  EXPECT_FALSE(GetWindowLongA(c.window, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "fixed size";
  EXPECT_FALSE(IsWindowVisible(c.window)) << "hidden until the pages are built";

  ExpectAt(c.back, 249, 327, 75, 23);
  ExpectAt(c.next, 324, 327, 75, 23);
  ExpectAt(c.cancel, 410, 327, 75, 23);
  EXPECT_FALSE(IsWindowEnabled(c.back));
  for (HWND panel : {c.progressPanel, c.startMenuPanel, c.shortcutsPanel}) ExpectAt(panel, 0, 60, 495, 245);
  ExpectAt(c.statusLine, 22, 186, 452, 14);
  ExpectAt(c.progressBar, 22, 208, 452, 18);
  ExpectAt(c.groupList, 22, 80, 452, 138);
  EXPECT_EQ(InParent(c.desktopCheck).top, 128);
  EXPECT_EQ(InParent(c.quickLaunchCheck).top, 176);
  for (HWND box : {c.desktopCheck, c.startMenuCheck, c.quickLaunchCheck})
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "the shortcut boxes start checked";
  EXPECT_EQ(SendMessageA(c.noShortcuts, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // Every control speaks Tahoma at 11 pixels.
  for (HWND control : {c.next, c.statusLine, c.groupEdit, c.desktopCheck}) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTA face{};
    GetObjectA(font, sizeof face, &face);
    EXPECT_STREQ(face.lfFaceName, "Tahoma");
    EXPECT_EQ(face.lfHeight, -11);
  }
}
