// The wizard window's frame and pages as they are built, before any page
// shows: sizes, places, initial states and the font.
#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/controls.h"
#include "wizard/wizard_window.h"

namespace {

void ExpectAt(HWND control, int x, int y, int width, int height) {
  RECT r = RectInParent(control);
  EXPECT_EQ(r.left, x);
  EXPECT_EQ(r.top, y);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
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

  struct TPlace {
    HWND control;
    int x, y, width, height;
  };
  for (const TPlace& p : std::initializer_list<TPlace>{
           {c.back, 249, 327, 75, 23},          {c.next, 324, 327, 75, 23},
           {c.cancel, 410, 327, 75, 23},        {c.header, 0, 0, 497, 60},
           {c.welcomePanel, 0, 0, 497, 316},
           {c.sidePicture, 0, 0, 164, 314},     {c.welcomeTitle, 176, 16, 300, 56},
           {c.welcomeText, 176, 80, 300, 210},  {c.licenceViewer, 22, 56, 452, 178},
           {c.destinationPicture, 32, 32, 48, 48}, {c.groupList, 22, 80, 452, 138},
           {c.shortcutsPicture, 32, 32, 48, 48}, {c.summaryViewer, 22, 56, 452, 178},
           {c.statusLine, 22, 186, 452, 14},    {c.progressBar, 22, 208, 452, 18},
       })
    ExpectAt(p.control, p.x, p.y, p.width, p.height);
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
