// The interactive wizard of the real setup.exe, driven as a person would:
// every page with its texts, controls and places, Next and Back, the checks
// of the Destination and Start Menu pages, the summary, closing, and the
// installation with the user's choices.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "lang/folders.h"
#include "setup_runner.h"
#include "startup/temp_folder.h"
#include "wizard_support.h"

namespace {

using namespace wizard;

const char kDefault[] = "C:\\velmora-tests\\wizard-default";
const char kChosen[] = "C:\\velmora-tests\\wizard-chosen";
const COLORREF kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255), kGreen = RGB(0, 160, 0);

struct TRect {
  int x, y, width, height;
};

void ExpectRect(HWND control, TRect expected, const char* what) {
  RECT r = ui::Geometry(control);
  EXPECT_EQ(r.left, expected.x) << what;
  EXPECT_EQ(r.top, expected.y) << what;
  if (expected.width >= 0) {
    EXPECT_EQ(r.right - r.left, expected.width) << what;
  }
  if (expected.height >= 0) {
    EXPECT_EQ(r.bottom - r.top, expected.height) << what;
  }
}

// A 40 x 20 picture: the left half in the colour of its pixel (0, 0), which
// is to be see-through, the right half green.
TBytes KeyedPicture() {
  TBytes bytes = MakeBitmapFile(40, 20, 255, 0, 255);  // magenta
  const uint32_t offset = 54, stride = 120;
  for (uint32_t y = 0; y < 20; ++y)
    for (uint32_t x = 20; x < 40; ++x) {
      uint8_t* p = bytes.data() + offset + y * stride + x * 3;
      p[0] = 0, p[1] = 160, p[2] = 0;
    }
  return bytes;
}

const char kLicence[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 VELMORA TEST LICENCE\\par Second line\\par}";
// A publisher's information.txt: plain text, shown as it stands.
const char kInformation[] = "Velmora plain information\r\n{not RTF} \\par stays as typed";

TScriptBuilder WizardScript() {
  TScriptBuilder s = PermissiveScript();
  s.SetField(65, "Velmora Wizard Test");
  s.SetField(27, "Velmora Branding");
  for (int page : {111, 30, 84, 112, 113, 114, 115, 116, 86, 22, 88, 89, 90}) s.SetField(page, "1");
  // An empty flag reads as set: every flag the walk relies on is given.
  for (int flag : {63, 76, 109, 39, 36, 52, 41, 44, 38, 77}) s.SetField(flag, "0");
  s.SetField(58, kDefault);
  s.SetField(53, "Product");
  s.SetField(23, "1000");
  s.SetField(106, "Velmora Group");
  s.SetField(79, "1");
  s.SetField(46, "1");
  s.SetField(47, "@$&%04\\readme.txt");
  // The header band: white, a gradient from blue, a see-through picture.
  s.SetField(70, "16777215");
  s.SetField(66, "1");
  s.SetField(60, "16711680");
  s.SetField(49, "1");
  s.SetField(71, "1");
  s.SetField(81, "300");
  s.SetField(80, "10");
  s.SetField(69, "171");
  s.SetField(72, "8");
  s.SetField(73, "178");
  s.SetField(78, "26");
  s.AddLanguage("English", "1033", "", "", MessagesOf("W"));
  return s;
}

std::string BuildWizardSetup(const std::string& name, TScriptBuilder script) {
  script.AddRecord(kSectionFiles, {"@$&%04\\readme.txt", "1", "133000000000000000", "0", "32"});
  script.AddRecord(kSectionFiles, {"@$&%04\\data.bin", "1", "133000000000000000", "0", "32"});
  script.AddRecord(kSectionShortcuts, {"0", "Tool.lnk", "@$&%04\\data.bin", "", "", "", "", ""});
  script.AddRecord(kSectionShortcuts, {"1", "Velmora Wizard Tool.lnk", "@$&%04\\data.bin", "", "", "", "", ""});
  script.SetField(48, "8");
  TArchiveInput input = SetupWith(script, {{4, KeyedPicture()},
                                           {15, TBytes(kLicence, kLicence + sizeof kLicence - 1)},
                                           {16, TBytes(kInformation, kInformation + sizeof kInformation - 1)}});
  input.files = {TBytes(300, 'r'), TBytes(5000, 'd')};
  return WriteSetup(FreshFolder(name), BuildSetupImage(input).executable);
}

std::string Programs() { return FolderForCode(8); }

void RemoveInstalled() {
  for (const char* folder : {kDefault, kChosen}) {
    for (const char* file : {"\\readme.txt", "\\data.bin"}) DeleteFileA((std::string(folder) + file).c_str());
    RemoveDirectoryA(folder);
  }
  DeleteFileA((Programs() + "\\Velmora Existing\\Velmora Group\\Tool.lnk").c_str());
  RemoveDirectoryA((Programs() + "\\Velmora Existing\\Velmora Group").c_str());
  DeleteFileA((FolderForCode(6) + "\\Velmora Wizard Tool.lnk").c_str());
}

// The sub-folders of the programs folder, as the group list shows them.
std::vector<std::string> ProgramGroups() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((Programs() + "\\*.*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

class Wizard : public ::testing::Test {
protected:
  void SetUp() override {
    RemoveInstalled();
    CreateDirectoryA((Programs() + "\\Velmora Existing").c_str(), nullptr);
  }
  void TearDown() override {
    RemoveInstalled();
    RemoveDirectoryA((Programs() + "\\Velmora Existing").c_str());
    ClearTemporaryFolder();
  }
};

void ExpectInnerFrame(HWND wizard, const std::string& title, const std::string& subtitle, const std::string& next) {
  TButtons b = Buttons(wizard);
  EXPECT_EQ(HeaderTitle(wizard), title);
  EXPECT_EQ(HeaderSubtitle(wizard), subtitle);
  EXPECT_EQ(ui::Text(b.next), next) << title;
  EXPECT_TRUE(ui::IsVisible(b.back) && ui::IsEnabled(b.back)) << title;
  EXPECT_TRUE(ui::IsVisible(Header(wizard))) << title;
  ExpectRect(VisiblePanel(wizard), {0, 60, 495, 245}, "inner page panel");
}

}  // namespace

TEST_F(Wizard, AFullWalkFromWelcomeToFinishInstallsWhatTheUserChose) {
  const std::string setup = BuildWizardSetup("wizard-walk", WizardScript());
  auto process = ui::TProcess::Start(setup, "");
  HWND wizard = WaitForWizard(*process);
  ASSERT_TRUE(wizard);
  TButtons b = Buttons(wizard);

  // Welcome: the frame, no header, no Back, the texts moved left (no side picture).
  RECT client;
  GetClientRect(wizard, &client);
  EXPECT_EQ(client.right, 495);
  EXPECT_EQ(client.bottom, 359);
  EXPECT_EQ(ui::Text(wizard), "Velmora Wizard Test");
  ExpectRect(b.next, {324, 327, 75, 23}, "Next");
  ExpectRect(b.cancel, {410, 327, 75, 23}, "Cancel");
  ExpectRect(b.back, {249, 327, 75, 23}, "Back");
  EXPECT_EQ(ui::Text(b.next), "W23");
  EXPECT_EQ(ui::Text(b.cancel), "W25");
  EXPECT_FALSE(ui::IsVisible(b.back));
  EXPECT_FALSE(ui::IsVisible(Header(wizard)));
  HWND welcome = VisiblePanel(wizard);
  ExpectRect(welcome, {0, 0, 497, 316}, "welcome panel");
  HWND welcomeTitle = ui::FindChild(welcome, "Static", "W1");
  ASSERT_TRUE(welcomeTitle);
  ExpectRect(welcomeTitle, {20, 16, 400, 56}, "welcome title without a side picture");
  ExpectRect(ui::FindChild(welcome, "Static", "W2"), {20, 80, 400, 210}, "welcome text");

  // Licence: the header band with its gradient and see-through picture, the branding.
  ASSERT_TRUE(Next(wizard));
  ExpectInnerFrame(wizard, "W9", "W10", "W22");
  HWND header = Header(wizard);
  ExpectRect(header, {0, 0, 497, 60}, "header band");
  ExpectRect(GetDlgItem(header, 1), {171, 8, 302, 14}, "header title");
  ExpectRect(GetDlgItem(header, 2), {178, 26, 297, 26}, "header subtitle");
  HWND branding = ui::FindChild(wizard, "Static", "Velmora Branding");
  ASSERT_TRUE(branding);
  EXPECT_TRUE(ui::IsVisible(branding));
  EXPECT_FALSE(ui::IsEnabled(branding)) << "drawn in the disabled style";
  RECT brandingRect = ui::Geometry(branding);
  EXPECT_EQ(brandingRect.left, 12);
  EXPECT_EQ(brandingRect.top, 307);
  Sleep(300);  // let the band paint
  for (int x : {0, 17, 85, 120, 169}) {
    const int channel = 0 + (255 - 0) * x / 170;  // from blue (0, 0, 255) towards white
    EXPECT_EQ(ClientPixel(wizard, x, 4), RGB(channel, channel, 255)) << "gradient column " << x;
    EXPECT_EQ(ClientPixel(wizard, x, 50), RGB(channel, channel, 255)) << "gradient column " << x << ", second tile";
  }
  EXPECT_EQ(ClientPixel(wizard, 200, 4), kWhite) << "the band beyond the gradient";
  EXPECT_EQ(ClientPixel(wizard, 305, 15), kWhite) << "the picture's key colour is see-through";
  EXPECT_EQ(ClientPixel(wizard, 335, 15), kGreen) << "the rest of the picture is drawn";
  EXPECT_EQ(ClientPixel(wizard, 100, 58), GetSysColor(COLOR_APPWORKSPACE)) << "the etched edge, dark line";
  EXPECT_EQ(ClientPixel(wizard, 100, 59), kWhite) << "the etched edge, light line";
  HWND licence = VisiblePanel(wizard);
  EXPECT_TRUE(ui::FindChild(licence, "Static", "W18"));
  HWND viewer = ui::FindChild(licence, "RichEdit50W");
  ASSERT_TRUE(viewer);
  ExpectRect(viewer, {22, 56, 452, 178}, "licence viewer");
  EXPECT_NE(ui::Text(viewer).find("VELMORA TEST LICENCE"), std::string::npos) << ui::Text(viewer);
  EXPECT_TRUE(GetWindowLongA(viewer, GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(GetWindowLongA(viewer, GWL_STYLE) & WS_TABSTOP);

  ASSERT_TRUE(Next(wizard));
  ExpectInnerFrame(wizard, "W34", "W82", "W23");
  HWND information = ui::FindChild(VisiblePanel(wizard), "RichEdit50W");
  ASSERT_TRUE(information);
  EXPECT_NE(ui::Text(information).find("Velmora plain information"), std::string::npos) << ui::Text(information);
  EXPECT_NE(ui::Text(information).find("{not RTF} \\par stays as typed"), std::string::npos) << ui::Text(information);

  // Destination: the default folder; a missing drive disables Next.
  ASSERT_TRUE(Next(wizard));
  ExpectInnerFrame(wizard, "W11", "W12", "W23");
  HWND destination = VisiblePanel(wizard);
  HWND frame = ui::FindChild(destination, "Button", "W29");
  ASSERT_TRUE(frame);
  HWND folder = ui::FindChild(destination, "Edit");
  HWND browse = ui::FindChild(destination, "Button", "W27");
  ASSERT_TRUE(folder && browse);
  ExpectRect(GetParent(frame), {22, 128, 452, 59}, "folder frame");
  ExpectRect(folder, {16, 22, 329, -1}, "folder box in its frame");
  ExpectRect(browse, {360, 21, 75, 23}, "Browse in its frame");
  EXPECT_EQ(ui::Text(folder), kDefault);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(wizard) == folder; }, 5000)) << "the page's first control has the focus";
  ui::PressKey(wizard, VK_TAB);
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(wizard) == browse; }, 5000)) << "Tab goes on in the controls' order";
  ui::TypeText(folder, "Q:\\nowhere");
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsEnabled(b.next); })) << "no drive Q:";
  ui::TypeText(folder, "C:");
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsEnabled(b.next); })) << "two characters are too few";
  ui::TypeText(folder, kChosen);
  EXPECT_TRUE(WaitUntil([&] { return ui::IsEnabled(b.next); }));

  // Start Menu: the group list, a group picked from it, the no-shortcuts box.
  ASSERT_TRUE(Next(wizard));
  ExpectInnerFrame(wizard, "W14", "W13", "W23");
  HWND startMenu = VisiblePanel(wizard);
  HWND group = ui::FindChild(startMenu, "Edit");
  HWND list = ui::FindChild(startMenu, "SysListView32");
  HWND noShortcuts = ui::FindChild(startMenu, "Button", "W28");
  ASSERT_TRUE(group && list && noShortcuts);
  ExpectRect(list, {22, 80, 452, 138}, "group list");
  EXPECT_EQ(ui::Geometry(noShortcuts).top, 224);
  EXPECT_EQ(ui::Text(group), "Velmora Group");
  const std::vector<std::string> groups = ProgramGroups();
  EXPECT_EQ(int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)), int(groups.size()));
  const auto existing = std::find(groups.begin(), groups.end(), "Velmora Existing");
  ASSERT_NE(existing, groups.end());
  ui::PressKey(list, VK_HOME);
  for (auto it = groups.begin(); it != existing; ++it) ui::PressKey(list, VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return ui::Text(group) == "Velmora Existing\\Velmora Group"; })) << ui::Text(group);
  ui::TypeText(group, "");
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsEnabled(b.next); })) << "an empty group name";
  ui::Click(noShortcuts);
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsEnabled(list) && !ui::IsEnabled(group); }));
  EXPECT_FALSE(ui::IsEnabled(b.next)) << "the box leaves Next as it was";
  ui::Click(noShortcuts);
  EXPECT_TRUE(WaitUntil([&] { return ui::IsEnabled(list) && ui::IsEnabled(group); }));
  ui::TypeText(group, "Velmora Existing\\Velmora Group");
  EXPECT_TRUE(WaitUntil([&] { return ui::IsEnabled(b.next); }));

  // Shortcuts: the boxes without gaps; the desktop one unticked.
  ASSERT_TRUE(Next(wizard));
  ExpectInnerFrame(wizard, "W14", "W15", "W23");
  HWND shortcuts = VisiblePanel(wizard);
  HWND desktop = ui::FindChild(shortcuts, "Button", "W31");
  HWND menu = ui::FindChild(shortcuts, "Button", "W32");
  HWND quick = ui::FindChild(shortcuts, "Button", "W33");
  ASSERT_TRUE(desktop && menu && quick);
  const bool quickLaunch = !FolderForCode(7).empty();
  EXPECT_EQ(ui::IsVisible(quick), quickLaunch) << "Quick Launch only where that folder exists";
  EXPECT_EQ(ui::Geometry(desktop).top, 128);
  EXPECT_EQ(ui::Geometry(menu).top, 152);
  EXPECT_EQ(ui::Geometry(quick).top, 176);
  for (HWND box : {desktop, menu, quick}) EXPECT_TRUE(ui::IsChecked(box));
  ui::Click(desktop);
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsChecked(desktop); }));

  // Ready: the summary, byte for byte, and the install caption.
  ASSERT_TRUE(Next(wizard));
  ExpectInnerFrame(wizard, "W16", "W62", "W26");
  HWND summary = ui::FindChild(VisiblePanel(wizard), "RichEdit50W");
  ASSERT_TRUE(summary);
  std::string expected = std::string("W43    ") + kChosen + "\r\n\r\nW44    Velmora Existing\\Velmora Group\r\n\r\nW45    W32\r\n";
  if (quickLaunch) expected += "    W33";
  EXPECT_EQ(ui::Text(summary), expected);

  // Progress, then Finish: its read-me box, Cancel disabled, Back hidden.
  ui::Click(b.next);
  ASSERT_TRUE(WaitUntil([&] { return ui::Text(b.next) == "W41"; }, 60000));
  HWND finish = VisiblePanel(wizard);
  EXPECT_EQ(finish, welcome);
  EXPECT_TRUE(ui::FindChild(finish, "Static", "W6"));
  WaitUntil([&] { return ui::FindChild(finish, "Static", "W7") != nullptr; });
  HWND finishText = ui::FindChild(finish, "Static", "W7");
  ASSERT_TRUE(finishText);
  EXPECT_EQ(ui::Geometry(finishText).bottom - ui::Geometry(finishText).top, 65);
  HWND readme = ui::FindChild(finish, "Button", "W21");
  ASSERT_TRUE(readme);
  EXPECT_TRUE(ui::IsVisible(readme) && ui::IsChecked(readme));
  EXPECT_EQ(ui::Geometry(readme).top, 152) << "the read-me box takes the launch box's row";
  EXPECT_FALSE(ui::IsVisible(ui::FindChild(finish, "Button", "W20")));
  EXPECT_FALSE(ui::IsEnabled(b.cancel));
  EXPECT_FALSE(ui::IsVisible(b.back));
  EXPECT_FALSE(ui::IsVisible(Header(wizard)));
  ui::Click(readme);
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsChecked(readme); }));
  ui::Click(b.next);
  EXPECT_EQ(process->WaitForExit(30000), 0);

  EXPECT_EQ(ReadWholeFile(std::string(kChosen) + "\\data.bin"), TBytes(5000, 'd')) << "installed where the user chose";
  EXPECT_FALSE(FileExists(std::string(kDefault) + "\\data.bin"));
  EXPECT_TRUE(FileExists(Programs() + "\\Velmora Existing\\Velmora Group\\Tool.lnk")) << "in the chosen group";
  EXPECT_FALSE(FileExists(FolderForCode(6) + "\\Velmora Wizard Tool.lnk")) << "the desktop box was unticked";
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

TEST_F(Wizard, BackKeepsTheEditsAndTheChecksAndQuestionsHoldTheWay) {
  TScriptBuilder script = WizardScript();
  for (int page : {30, 84, 113, 115, 86, 89, 90}) script.SetField(page, "0");
  script.SetField(58, "Q:\\missing");
  auto process = ui::TProcess::Start(BuildWizardSetup("wizard-back", script), "");
  HWND wizard = WaitForWizard(*process);
  ASSERT_TRUE(wizard);
  TButtons b = Buttons(wizard);

  // Destination reached from Welcome (Enter is Next): Next stays enabled on a
  // missing drive, and the free-space check, counting it as empty, keeps the page.
  ui::PressKey(wizard, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return HeaderTitle(wizard) == "W11"; })) << "Enter is Next";
  EXPECT_EQ(HeaderTitle(wizard), "W11");
  EXPECT_TRUE(ui::IsEnabled(b.next));
  ui::Click(b.next);
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), "W8QW48");
  EXPECT_EQ(ui::Text(box), "W42");
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !ui::WaitForDialog(process->Id(), 0); }));
  EXPECT_EQ(HeaderTitle(wizard), "W11") << "the Destination page stays";
  HWND folder = ui::FindChild(VisiblePanel(wizard), "Edit");

  // Browse opens the shell's folder browser on the typed folder; OK puts the
  // product's folder name (field 53) after the choice.
  ui::TypeText(folder, "C:\\velmora-tests");
  ui::Click(ui::FindChild(VisiblePanel(wizard), "Button", "W27"));
  HWND browser = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(browser);
  EXPECT_TRUE(ui::FindChild(browser, "Static", "W49")) << "the instruction";
  Sleep(1500);  // the browser selects the typed folder after it shows
  ui::Click(GetDlgItem(browser, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return ui::Text(folder) == "C:\\velmora-tests\\Product"; })) << ui::Text(folder);
  ui::TypeText(folder, kChosen);

  // Shortcuts is the page before Progress: it carries the install caption.
  ASSERT_TRUE(Next(wizard));
  EXPECT_EQ(HeaderTitle(wizard), "W14");
  EXPECT_EQ(ui::Text(b.next), "W26");
  HWND desktop = ui::FindChild(VisiblePanel(wizard), "Button", "W31");
  ASSERT_TRUE(desktop);
  EXPECT_FALSE(ui::IsVisible(ui::FindChild(VisiblePanel(wizard), "Button", "W32")));
  ui::Click(desktop);
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsChecked(desktop); }));

  // Back to Welcome and forward again: the edits are kept.
  ASSERT_TRUE(Back(wizard));
  EXPECT_EQ(ui::Text(folder), kChosen);
  EXPECT_EQ(ui::Text(b.next), "W23");
  ASSERT_TRUE(Back(wizard));
  EXPECT_FALSE(ui::IsVisible(b.back)) << "no Back on the Welcome page";
  ASSERT_TRUE(Next(wizard));
  ASSERT_TRUE(Next(wizard));
  EXPECT_FALSE(ui::IsChecked(desktop));

  // Cancel asks; No keeps the page; Esc asks again; Yes ends as cancelled.
  ui::Click(b.cancel);
  box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), "W46");
  EXPECT_EQ(ui::Text(box), "Velmora Wizard Test");
  ui::Click(GetDlgItem(box, IDNO));
  EXPECT_TRUE(WaitUntil([&] { return !ui::WaitForDialog(process->Id(), 0); }));
  EXPECT_EQ(HeaderTitle(wizard), "W14");
  ui::PressKey(wizard, VK_ESCAPE);
  box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box) << "Esc is Cancel";
  ui::Click(GetDlgItem(box, IDYES));
  EXPECT_EQ(process->WaitForExit(20000), 1);
  EXPECT_FALSE(FileExists(kChosen)) << "nothing installed";
  EXPECT_FALSE(FileExists(TemporaryFolder()));
}

TEST_F(Wizard, NoCancelRefusesEveryCloseAndTheNoticeShowsOnceOverTheWizard) {
  TScriptBuilder script = WizardScript();
  script.SetField(41, "Velmora notice");
  script.SetField(1, "1");
  script.SetField(3, "1");
  script.SetField(6, "0");
  script.SetField(4, "8388608");
  script.SetField(5, "0");
  script.SetField(7, "0");
  auto process = ui::TProcess::Start(BuildWizardSetup("wizard-nc", script), "/NC");
  HWND wizard = WaitForWizard(*process);
  ASSERT_TRUE(wizard);
  HWND notice = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(notice);
  EXPECT_EQ(ui::MessageBoxText(notice), "Velmora notice");
  EXPECT_EQ(ui::Text(notice), "Velmora Wizard Test");
  EXPECT_TRUE(ui::IsVisible(wizard)) << "the notice comes after the wizard";
  ui::Click(GetDlgItem(notice, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !ui::WaitForDialog(process->Id(), 0); }));
  Sleep(600);
  EXPECT_EQ(ui::WaitForDialog(process->Id(), 0), nullptr) << "shown once";

  // The background: clicking it brings the wizard back to the front.
  HWND background = ui::WaitForWindow(process->Id(), [](HWND w) { return ui::ClassName(w) == "VelmoraBackground"; });
  ASSERT_TRUE(background);
  SetForegroundWindow(background);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == background; }, 5000)) << "the background in front";
  PostMessageA(background, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 600));
  PostMessageA(background, WM_LBUTTONUP, 0, MAKELPARAM(600, 600));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == wizard; }, 5000));

  // Minimizing the wizard hides the background; restoring shows it again.
  PostMessageA(wizard, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !ui::IsVisible(background); }, 5000));
  PostMessageA(wizard, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(WaitUntil([&] { return ui::IsVisible(background) && GetForegroundWindow() == wizard; }, 5000));

  // /NC: Cancel is disabled and no close request is heard, not even on Finish.
  EXPECT_FALSE(ui::IsEnabled(Buttons(wizard).cancel));
  ui::Close(wizard);
  ui::PressKey(wizard, VK_ESCAPE);
  Sleep(600);
  EXPECT_EQ(ui::WaitForDialog(process->Id(), 0), nullptr) << "no question";
  EXPECT_TRUE(process->Running());
}

// Needs a small drive F:; scripts/full-disk-test mounts one (4 MiB) and runs this.
TEST_F(Wizard, FullDiskTheFreeSpaceCheckKeepsTheDestinationPageOnASmallDrive) {
  if (GetFileAttributesA("F:\\") == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no drive F:; scripts/full-disk-test runs this test with F: on a 4 MiB tmpfs";
  TScriptBuilder script = WizardScript();
  for (int page : {111, 30, 84, 113, 114, 115}) script.SetField(page, "0");
  script.SetField(58, "f:\\Velmora");
  script.SetField(23, "5000000");  // more than the drive holds
  auto process = ui::TProcess::Start(BuildWizardSetup("wizard-full-disk", script), "");
  HWND wizard = WaitForWizard(*process);
  ASSERT_TRUE(wizard);
  EXPECT_EQ(HeaderTitle(wizard), "W11");
  EXPECT_TRUE(ui::IsEnabled(Buttons(wizard).next)) << "drive F: exists";
  ui::Click(Buttons(wizard).next);
  HWND box = ui::WaitForDialog(process->Id());
  ASSERT_TRUE(box);
  EXPECT_EQ(ui::MessageBoxText(box), "W8FW48") << "the drive letter in capitals";
  ui::Click(GetDlgItem(box, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !ui::WaitForDialog(process->Id(), 0); }));
  EXPECT_EQ(HeaderTitle(wizard), "W11") << "the Destination page stays";
  EXPECT_FALSE(FileExists("F:\\Velmora")) << "nothing written";
}

// A folder or group that cannot be used is refused before anything changes:
// the wizard's page names the problem and stays; /S names it in a box and
// ends; /Q ends without a box. Both end with exit code 7 and log the reason.
TEST_F(Wizard, UnusableFoldersAndGroupsAreRefusedBeforeAnythingChanges) {
  const std::string longName(256, 'n');
  struct TCase {
    bool group;
    std::string text;
    const char* reason;
  } cases[] = {
      {false, "cstuff\\app", "it is not a full path"},
      {false, "C:\\velmora-tests\\a|b", "a character that a name cannot hold"},
      {false, "C:\\velmora-tests\\Velm?ra", "a character that a name cannot hold"},  // a letter the code page lacks
      {false, "C:\\velmora-tests\\" + longName, "longer than 255 characters"},
      {false, "C:\\velmora-tests\\" + std::string(120, 'a') + "\\" + std::string(120, 'b'), "too long"},
      {true, "Velmora <beta>", "a character that a name cannot hold"},
      {true, "Velmora\\\\Tools", "an empty name"},
  };
  TScriptBuilder script = WizardScript();
  for (int page : {111, 30, 84, 114, 115}) script.SetField(page, "0");  // Destination, then Start Menu
  const std::string setup = BuildWizardSetup("wizard-unusable", script);
  const std::string log = std::string(kDefault) + "-log.txt";
  auto logged = [&] {
    const TBytes bytes = FileExists(log) ? ReadWholeFile(log) : TBytes();
    return std::string(bytes.begin(), bytes.end());
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string what = c.group ? "The program group \"" : "The installation folder \"";
    const std::string switchText = "\"" + std::string(c.group ? "/G=" : "/P=") + c.text + "\"";
    for (const char* mode : {"/Q", "/S"}) {
      SCOPED_TRACE(mode);
      DeleteFileA(log.c_str());
      auto process = ui::TProcess::Start(setup, std::string(mode) + " " + switchText + " \"/LOG=" + log + "\"");
      if (std::string(mode) == "/S") {
        HWND box = ui::WaitForDialog(process->Id());
        ASSERT_TRUE(box);
        EXPECT_EQ(ui::MessageBoxText(box).rfind(what + c.text + "\" cannot be used: ", 0), 0u)
            << ui::MessageBoxText(box);
        EXPECT_NE(ui::MessageBoxText(box).find(c.reason), std::string::npos) << ui::MessageBoxText(box);
        ui::Click(GetDlgItem(box, IDOK));
      }
      EXPECT_EQ(process->WaitForExit(30000), 7);
      EXPECT_NE(logged().find("ERROR " + what + c.text + "\" cannot be used: "), std::string::npos) << logged();
      EXPECT_NE(logged().find("exit code 7"), std::string::npos) << logged();
      EXPECT_FALSE(FileExists(kDefault)) << "nothing installed";
      EXPECT_FALSE(FileExists(std::string(kDefault) + "\\readme.txt"));
    }

    // The wizard: the page's Next names the problem and stays on the page.
    auto process = ui::TProcess::Start(setup, "");
    HWND wizard = WaitForWizard(*process);
    ASSERT_TRUE(wizard);
    if (c.group) {
      ASSERT_TRUE(Next(wizard));  // the default folder is fine
    }
    HWND edit = ui::FindChild(VisiblePanel(wizard), "Edit");
    ASSERT_TRUE(edit);
    const std::string title = HeaderTitle(wizard);
    ui::TypeText(edit, c.text);
    ui::Click(Buttons(wizard).next);
    HWND box = ui::WaitForDialog(process->Id());
    ASSERT_TRUE(box);
    EXPECT_NE(ui::MessageBoxText(box).find(c.reason), std::string::npos) << ui::MessageBoxText(box);
    ui::Click(GetDlgItem(box, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !ui::WaitForDialog(process->Id(), 0); }));
    EXPECT_EQ(HeaderTitle(wizard), title) << "the page stays";
    EXPECT_FALSE(FileExists(kDefault)) << "nothing installed";
  }
  DeleteFileA(log.c_str());
}

// An upgrade: the setup reads the installed version's entry (through its
// registry variables, as mksetup writes them for an uninstaller) and its
// Destination and Start Menu pages offer the folder and group in use; with
// no entry, the description's own defaults.
TEST_F(Wizard, AnUpgradeOffersTheFolderAndGroupInUse) {
  const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora Wizard Upgrade";
  TScriptBuilder script = WizardScript();
  for (int page : {111, 30, 84, 114, 115}) script.SetField(page, "0");  // Destination, then Start Menu
  script.AddRecord(kSectionRegistryVariables, {"2", kEntry, "InstallLocation", kDefault});
  script.AddRecord(kSectionRegistryVariables, {"2", kEntry, "StartMenuGroup", "Velmora Group"});
  script.SetField(58, "@$&%81");
  script.SetField(106, "@$&%82");
  const std::string setup = BuildWizardSetup("wizard-upgrade", script);
  struct TCase {
    bool installed;
    std::string folder, group;
  } cases[] = {{true, kChosen, "Velmora Tools"}, {false, kDefault, "Velmora Group"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.installed);
    if (c.installed) {
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
      const std::string folder = c.folder + "\\";  // one trailing backslash is dropped
      RegSetValueExA(key, "InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     DWORD(folder.size() + 1));
      RegSetValueExA(key, "StartMenuGroup", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.group.c_str()),
                     DWORD(c.group.size() + 1));
      RegCloseKey(key);
    } else {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
    }
    auto process = ui::TProcess::Start(setup, "");
    HWND wizard = WaitForWizard(*process);
    ASSERT_TRUE(wizard);
    HWND folder = ui::FindChild(VisiblePanel(wizard), "Edit");
    ASSERT_TRUE(folder);
    EXPECT_EQ(ui::Text(folder), c.folder);
    ASSERT_TRUE(Next(wizard));
    HWND group = ui::FindChild(VisiblePanel(wizard), "Edit");
    ASSERT_TRUE(group);
    EXPECT_EQ(ui::Text(group), c.group);
  }
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
}

// The real setup on a display of 100 %, 125 %, 150 % or 200 %: the wizard's
// client area and controls are the 96-DPI layout scaled; the header picture
// is scaled too, and its see-through key colour leaves no fringe of that
// colour. Wine takes the display's DPI from the prefix (LogPixels) when its
// desktop starts, so tests/scripts/dpi_check.sh runs this once per DPI in a
// prefix of its own, naming the DPI in VELMORA_DISPLAY_DPI; elsewhere it is
// skipped.
TEST_F(Wizard, ItScalesWithTheDisplay) {
  const int dpi = DisplayDpiUnderTest();
  if (dpi <= 0) GTEST_SKIP() << "run by tests/scripts/dpi_check.sh";
  auto s = [dpi](int v) { return MulDiv(v, dpi, 96); };
  auto process = ui::TProcess::Start(BuildWizardSetup("wizard-dpi", WizardScript()), "");
  HWND wizard = WaitForWizard(*process);
  ASSERT_TRUE(wizard);
  ExpectScaledClient(wizard, 495, 359, dpi);
  ExpectScaledPlace(ui::Geometry(Buttons(wizard).next), 324, 327, 75, 23, dpi);
  // The welcome title, moved left as there is no side picture.
  ExpectScaledPlace(ui::Geometry(ui::FindChild(VisiblePanel(wizard), "Static", "W1")), 20, -1, 400, -1, dpi);

  ASSERT_TRUE(Next(wizard));  // the Licence page, under the header band
  ExpectScaledPlace(ui::Geometry(Header(wizard)), -1, -1, 497, 60, dpi);
  ExpectScaledPlace(ui::Geometry(ui::FindChild(VisiblePanel(wizard), "RichEdit50W")), 22, 56, 452, -1, dpi);
  EXPECT_EQ(ClientPixel(wizard, 100, s(58)), GetSysColor(COLOR_APPWORKSPACE)) << "the etched edge, scaled";
  // The picture at (300, 10): its left half is the key colour, its right half green.
  EXPECT_EQ(ClientPixel(wizard, s(305), s(15)), kWhite) << "see-through";
  EXPECT_EQ(ClientPixel(wizard, s(335), s(15)), kGreen);
  for (int y : {s(11), s(15), s(28)})
    for (int x = s(298); x < s(342); ++x) {
      const COLORREF pixel = ClientPixel(wizard, x, y);
      EXPECT_FALSE(GetRValue(pixel) > 128 && GetBValue(pixel) > 128 && GetGValue(pixel) < 128)
          << "a fringe of the key colour at " << x << ", " << y;
    }
}
