// The wizard window's frame and pages as they are built, before any page
// shows: sizes, places, initial states and the font.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "toolkit/controls.h"
#include "win32_support.h"
#include "wizard/wizard_window.h"

namespace {

// Where the control really stands in its parent, in device pixels: at dpi,
// the layout's 96-DPI rectangle scaled (one pixel of rounding allowed).
void ExpectAt(HWND control, int x, int y, int width, int height, int dpi = 96) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  ExpectScaledPlace(r, x, y, width, height, dpi);
}

struct TPlace {
  HWND control;
  int x, y, width, height;
};

std::vector<TPlace> Places(const TWizardControls& c) {
  return {
      {c.back, 249, 327, 75, 23},          {c.next, 324, 327, 75, 23},
      {c.cancel, 410, 327, 75, 23},        {c.header, 0, 0, 497, 60},
      {c.welcomePanel, 0, 0, 497, 316},
      {c.sidePicture, 0, 0, 164, 314},     {c.welcomeTitle, 176, 16, 300, 56},
      {c.welcomeText, 176, 80, 300, 210},  {c.licenceViewer, 22, 56, 452, 178},
      {c.destinationPicture, 32, 32, 48, 48}, {c.groupList, 22, 80, 452, 138},
      {c.shortcutsPicture, 32, 32, 48, 48}, {c.summaryViewer, 22, 56, 452, 178},
      {c.statusLine, 22, 186, 452, 14},    {c.progressBar, 22, 208, 452, 18},
  };
}

LOGFONTA FontOf(HWND control) {
  LOGFONTA face{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof face, &face);
  return face;
}

}  // namespace

TEST(WizardWindow, FrameAndPagesStandWhereTheLayoutPutsThem) {
  if (!WizardWindow()) CreateWizardWindow();
  const TWizardControls& c = WizardControls();
  RECT client;
  GetClientRect(c.window, &client);
  EXPECT_EQ(client.right, 495);
  EXPECT_EQ(client.bottom, 359);
  EXPECT_FALSE(GetWindowLongA(c.window, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "fixed size";
  EXPECT_FALSE(IsWindowVisible(c.window)) << "hidden until the pages are built";

  for (const TPlace& p : Places(c)) ExpectAt(p.control, p.x, p.y, p.width, p.height);
  for (HWND panel : {c.licencePanel, c.informationPanel, c.destinationPanel, c.startMenuPanel, c.shortcutsPanel,
                     c.readyPanel, c.progressPanel}) {
    ExpectAt(panel, 0, 60, 495, 245);
    EXPECT_FALSE(IsWindowVisible(panel));
  }
  EXPECT_EQ(RectInParent(c.branding).left, 12);
  EXPECT_EQ(RectInParent(c.branding).top, 307);
  EXPECT_FALSE(IsWindowEnabled(c.back));
  EXPECT_FALSE(IsWindowEnabled(c.branding)) << "the branding is drawn in the disabled style";
  for (HWND box : {c.desktopCheck, c.startMenuCheck, c.quickLaunchCheck, c.restartNow})
    EXPECT_TRUE(IsChecked(box)) << "the shortcut boxes and restart-now start selected";
  for (HWND box : {c.noShortcuts, c.launchBox, c.readmeBox, c.websiteBox, c.restartLater}) EXPECT_FALSE(IsChecked(box));
  EXPECT_FALSE(GetWindowLongA(c.licenceViewer, GWL_STYLE) & WS_TABSTOP);

  // Every control speaks Tahoma at 11 pixels, but the welcome title.
  for (HWND control : {c.next, c.statusLine, c.groupEdit, c.desktopCheck, c.folderEdit}) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTA face{};
    GetObjectA(font, sizeof face, &face);
    EXPECT_STREQ(face.lfFaceName, "Tahoma");
    EXPECT_EQ(face.lfHeight, -11);
  }
  LOGFONTA title{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c.welcomeTitle, WM_GETFONT, 0, 0)), sizeof title, &title);
  EXPECT_STREQ(title.lfFaceName, "Verdana");
  EXPECT_EQ(title.lfHeight, 19);
  EXPECT_EQ(title.lfWeight, FW_BOLD);
}

// Moved to a monitor of another DPI, the wizard takes the rectangle Windows
// suggests and lays every control out again at the new scale, with its
// fonts made for it; back at 96 DPI it stands exactly as before.
TEST(WizardWindow, AChangeOfMonitorLaysItOutAgainAtTheNewScale) {
  if (!WizardWindow()) CreateWizardWindow();
  const TWizardControls& c = WizardControls();
  for (int dpi : {144, 192, 120, 96}) {
    SCOPED_TRACE(dpi);
    auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
    RECT suggested = {100, 50, 100 + s(495), 50 + s(359)};
    AdjustWindowRectEx(&suggested, DWORD(GetWindowLongA(c.window, GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongA(c.window, GWL_EXSTYLE)));
    SendMessageA(c.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    ExpectScaledClient(c.window, 495, 359, dpi);
    for (const TPlace& p : Places(c)) ExpectAt(p.control, p.x, p.y, p.width, p.height, dpi);
    for (HWND panel : {c.licencePanel, c.progressPanel}) ExpectAt(panel, 0, 60, 495, 245, dpi);
    for (HWND control : {c.next, c.statusLine, c.groupEdit}) EXPECT_EQ(FontOf(control).lfHeight, -s(11));
    EXPECT_EQ(FontOf(c.welcomeTitle).lfHeight, s(19));
    EXPECT_EQ(RectInParent(c.next).left, 324) << "the layout itself stays at 96 DPI";
  }
}
