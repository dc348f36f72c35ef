// The background window: the real setup.exe shows it behind the wizard and
// never when silent; in process, its pictures, texts and the foreground it
// hands on.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <tuple>

#include "extraction_support.h"
#include "startup/application_window.h"
#include "startup/background_window.h"
#include "startup/command_line.h"
#include "startup/temp_folder.h"
#include "ui_driver.h"

namespace {

const int kWidth = 1280, kHeight = 1024;  // the Xvfb screen of the test run
const COLORREF kStart = RGB(200, 30, 10), kEnd = RGB(20, 180, 250);
using TColourAt = std::function<COLORREF(int x, int y)>;
using TFields = std::vector<std::pair<int, std::string>>;

std::string Colour(COLORREF c) { return std::to_string(uint32_t(c)); }
bool Is(RECT r, int left, int top, int right, int bottom) {
  return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

// The parts of a font that the script sets.
auto Look(const LOGFONTA& f) {
  return std::make_tuple(f.lfHeight, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet,
                         std::string(f.lfFaceName));
}

// start + (end - start) * g / d for each channel, truncated toward zero.
COLORREF Blend(COLORREF s, COLORREF e, int g, int d) {
  auto channel = [&](int shift) {
    const int a = int(s >> shift & 255), b = int(e >> shift & 255);
    return a + (b - a) * g / d;
  };
  return RGB(channel(0), channel(8), channel(16));
}

// What a window (or, for null, the screen) shows, as 0x00RRGGBB rows from the top.
struct TPixels {
  std::vector<uint32_t> bits = std::vector<uint32_t>(size_t(kWidth) * kHeight);
  COLORREF At(int x, int y) const {
    const uint32_t p = bits[size_t(y) * kWidth + size_t(x)];
    return RGB(p >> 16 & 255, p >> 8 & 255, p & 255);
  }
  // "" when every pixel of the area is as expected, else the first that is not.
  std::string Differences(const TColourAt& expected, RECT area = {0, 0, kWidth, kHeight}) const {
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (At(x, y) != expected(x, y))
          return std::to_string(x) + "," + std::to_string(y) + ": " + Colour(At(x, y)) + ", not " +
                 Colour(expected(x, y));
    return "";
  }
  bool Contains(RECT area, COLORREF colour) const {
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (At(x, y) == colour) return true;
    return false;
  }
};

TPixels Capture(HWND window) {
  TPixels pixels;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
  HDC source = GetDC(window);
  HBITMAP bitmap = CreateCompatibleBitmap(source, kWidth, kHeight);
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  GetDIBits(memory, bitmap, 0, kHeight, pixels.bits.data(), &info, DIB_RGB_COLORS);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(window, source);
  return pixels;
}

// A text over the background: somewhere in its colour, and its top row (the
// font's internal leading) showing the background through.
void ExpectTransparentText(const TPixels& pixels, RECT label, COLORREF text, const TColourAt& background) {
  EXPECT_EQ(pixels.Differences(background, {label.left, label.top, label.right, label.top + 1}), "");
  EXPECT_TRUE(pixels.Contains(label, text)) << "no pixel in the text colour";
}

// A picture whose every pixel tells where in it it lies (never black).
COLORREF CodedColour(int x, int y) { return RGB(x & 255, y & 255, 0x80 | x >> 8 | (y >> 8) << 4); }
TBytes CodedPicture(int width, int height) {
  TBytes file = MakeBitmapFile(width, height);
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3), offset = file.size() - stride * height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = file.data() + offset + size_t(height - 1 - y) * stride + size_t(x) * 3;  // rows bottom-up
      const COLORREF c = CodedColour(x, y);
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  return file;
}
// That picture drawn at (left, top), black around it.
TColourAt PlacedAt(int left, int top, int width, int height) {
  return [=](int x, int y) {
    const int px = x - left, py = y - top;
    return px >= 0 && py >= 0 && px < width && py < height ? CodedColour(px, py) : RGB(0, 0, 0);
  };
}

// Field 1 set; a picture and a vertical gradient unless the fields say
// otherwise (a flag field the script lacks counts as set).
TScriptBuilder BackgroundFields(TScriptBuilder script, const TFields& fields) {
  for (int flag : {3, 6}) script.SetField(flag, "0");
  script.SetField(1, "1");
  for (const auto& [field, value] : fields) script.SetField(field, value);
  return script;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HWND BackgroundOf(DWORD process, bool visibleOnly) {
  for (HWND window : ui::TopLevelWindows(process, visibleOnly))
    if (ui::ClassName(window) == "VelmoraBackground") return window;
  return nullptr;
}

class Background : public ::testing::Test {
protected:
  void SetUp() override { CreateBackgroundWindow(); }
  void TearDown() override {
    RunFlags().silent = false;
    SetForegroundTarget(nullptr);
    ShowWindow(BackgroundWindow(), SW_HIDE);
    RemoveTree(kProductFolder);
    DeleteFileA((TemporaryFolder() + "compfile.tmp").c_str());  // left by a setup stopped at its prompt
    ClearTemporaryFolder();
    ASSERT_FALSE(FileExists(TemporaryFolder())) << "nothing left for the tests that follow";
  }
  // The script as the start-up driver leaves it, then the window's set-up.
  void SetUpWith(const TScriptBuilder& script) {
    TMemoryStream item(script.Serialize());
    ASSERT_TRUE(ParseScriptHeader(item) && ParseScriptSections(item));
    SetUpBackgroundWindow();
    PumpMessages();
  }
};

}  // namespace

TEST_F(Background, TheRealSetupShowsTheGradientBehindTheWizardButNeverWhenSilent) {
  // The only file lies on disk 2, which is never written: the setup waits at
  // its prompt with everything on screen.
  TProduct product;
  product.solid = false;
  AddFile(product, "@$&%04\\file.dat", CountingLines(40000));
  const uint64_t area = TrailerOf(BuildSetupImage(ExtractionInput(product)).executable).dataSize;
  TArchiveInput input = ExtractionInput(product, area / 2 + 1);
  input.script = BackgroundFields(ExtractionScript(product), {{3, "1"}, {4, Colour(kStart)}, {5, Colour(kEnd)},
      {8, "Setup in @$&%21"}, {9, "@$&%18"}}).Serialize();
  const std::string folder = FreshFolder("background");
  const std::string setup = WriteSetup(folder, BuildSetupImage(input).executable);

  auto process = ui::TProcess::Start(setup, "");
  ASSERT_TRUE(ui::WaitForDialog(process->Id(), 60000)) << "no disk prompt";
  HWND window = BackgroundOf(process->Id(), true);
  ASSERT_TRUE(window);
  EXPECT_EQ(ui::Text(window), kExtractionCaption) << "the setup title, as the application window's";
  EXPECT_EQ(ui::Text(GetWindow(window, GW_OWNER)), kExtractionCaption) << "owned by the application window";
  EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) &
               (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(Is(ui::Geometry(window), 0, 0, kWidth, kHeight));
  EXPECT_TRUE(ui::FindChild(window, "Static", "Setup in English")) << "path constants expanded";
  EXPECT_TRUE(ui::FindChild(window, "Static", folder.substr(0, folder.size() - 1)));
  // Columns left and right of the wizard, rows above the title and below the bottom text.
  Sleep(300);
  const TPixels screen = Capture(nullptr);
  for (RECT strip : {RECT{300, 0, 301, kHeight}, RECT{1000, 0, 1001, kHeight}, RECT{0, 5, kWidth, 6},
                     RECT{0, kHeight - 3, kWidth, kHeight - 2}})
    EXPECT_EQ(screen.Differences([](int, int y) { return Blend(kStart, kEnd, y, kHeight); }, strip), "");

  // Silent: up to the same prompt there is no background at all, shown or hidden.
  process.reset();  // it shares the temporary folder with the next run
  process = ui::TProcess::Start(setup, "/S");
  bool made = false;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 60000 && !ui::WaitForDialog(process->Id(), 0);)
    made = made || BackgroundOf(process->Id(), false);
  ASSERT_TRUE(ui::WaitForDialog(process->Id(), 0)) << "no disk prompt";
  EXPECT_FALSE(made || BackgroundOf(process->Id(), false));
}

TEST_F(Background, GradientsAndPicturesFillTheScreen) {
  CreateTemporaryFolder();
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const TColourAt black = [](int, int) { return RGB(0, 0, 0); };
  struct TCase {
    const char* name;
    TFields fields;
    TBytes picture;  // empty: no picture file
    TColourAt expected;
  } cases[] = {
      {"vertical", {{3, "1"}, {4, Colour(kStart)}, {5, Colour(kEnd)}}, {},
       [](int, int y) { return Blend(kStart, kEnd, y, kHeight); }},
      {"horizontal", {{3, "1"}, {4, Colour(kEnd)}, {5, Colour(kStart)}, {6, "1"}}, {},
       [](int x, int) { return Blend(kEnd, kStart, x, kWidth); }},
      {"flat system colour", {{3, "1"}, {4, Colour(0x80000000u | COLOR_HIGHLIGHT)}, {5, Colour(highlight)}}, {},
       [=](int, int) { return highlight; }},
      {"centred, odd differences", {{7, "2"}}, CodedPicture(1275, 1017), PlacedAt(2, 4, 1275, 1017)},
      {"centred, even differences", {{7, "2"}}, CodedPicture(1270, 1000), PlacedAt(5, 12, 1270, 1000)},
      {"centred, larger", {{7, "2"}}, CodedPicture(1287, 1029), PlacedAt(-4, -2, 1287, 1029)},
      {"tiled", {{7, "1"}}, CodedPicture(100, 70), [](int x, int y) { return CodedColour(x % 100, y % 70); }},
      {"stretched", {{7, "0"}}, MakeBitmapFile(50, 40), [](int, int) { return RGB(30, 20, 10); }},
      {"tiled, not a bitmap", {{7, "1"}}, TBytes(500, 'x'), black},
      {"centred, no file", {{7, "2"}}, {}, black},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(TemporaryFileName(6).c_str());
    if (!c.picture.empty()) {
      ASSERT_TRUE(WriteTemporaryFile(6, c.picture.data(), c.picture.size()));
    }
    SetUpWith(BackgroundFields(PermissiveScript(), c.fields));
    EXPECT_TRUE(Is(ui::Geometry(BackgroundWindow()), 0, 0, kWidth, kHeight));
    EXPECT_EQ(Capture(BackgroundWindow()).Differences(c.expected), "");
  }
}

TEST_F(Background, TextsTakeTheirFontsAndEveryEventHandsTheForegroundToTheTarget) {
  const COLORREF navy = RGB(0, 0, 128);
  const COLORREF yellow = RGB(255, 255, 0), orange = RGB(255, 128, 0);
  // Title: bold and underlined; bottom text: italic and struck out, two lines.
  SetUpWith(BackgroundFields(PermissiveScript(), {{3, "1"}, {4, Colour(navy)}, {5, Colour(navy)}, {8, "Title"},
      {9, "Bottom\r\ntext"}, {10, "-30"}, {11, "Tahoma"}, {12, Colour(yellow)}, {13, "0"}, {14, "5"}, {15, "10"},
      {16, Colour(orange)}, {17, "1"}, {18, "20"}, {19, "Courier New"}}));
  HWND window = BackgroundWindow();
  ASSERT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetWindow(window, GW_OWNER), ApplicationWindow());
  const std::vector<HWND> labels = ui::Children(window);
  ASSERT_EQ(labels.size(), 2u);
  struct TFontCase {
    HWND label;
    const char* text;
    LOGFONTA font;  // height, weight, italic, underline, strike-out, character set, face
  } fonts[] = {{window, "Velmora", {-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"}},
               {labels[0], "Title", {-30, 0, 0, 0, FW_BOLD, 0, 1, 0, 0, 0, 0, 0, 0, "Tahoma"}},
               {labels[1], "Bottom\r\ntext", {20, 0, 0, 0, FW_NORMAL, 1, 0, 1, 1, 0, 0, 0, 0, "Courier New"}}};
  for (const TFontCase& f : fonts) {
    EXPECT_EQ(ui::Text(f.label), f.text);
    LOGFONTA font{};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(f.label, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_EQ(Look(font), Look(f.font)) << f.text;
  }
  const RECT title = ui::Geometry(labels[0]), bottom = ui::Geometry(labels[1]);
  EXPECT_TRUE(title.left == 16 && title.top == 16 && bottom.right == kWidth - 8 && bottom.bottom == kHeight - 8);
  EXPECT_GT(bottom.bottom - bottom.top, 2 * 16) << "two lines high";
  const TPixels pixels = Capture(window);
  ExpectTransparentText(pixels, title, yellow, [=](int, int) { return navy; });
  ExpectTransparentText(pixels, bottom, orange, [=](int, int) { return navy; });

  SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4
  EXPECT_TRUE(IsWindowVisible(window));

  auto popup = [](int x) {
    return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, x, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
  };
  HWND other = popup(0), target = popup(50);
  // Each event on its own: showing is looked at before the paint that follows it.
  const std::pair<const char*, std::function<void()>> events[] = {
      {"press on the window", [&] { SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 600)); }},
      {"release on the title", [&] { SendMessageA(labels[0], WM_RBUTTONUP, 0, 0); }},
      {"press on the bottom text", [&] { SendMessageA(labels[1], WM_MBUTTONDOWN, MK_MBUTTON, 0); }},
      {"shown", [&] { ShowWindow(window, SW_HIDE), ShowWindow(window, SW_SHOWNA); }},
      {"painted", [&] { RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }},
  };
  for (HWND wanted : {target, HWND(nullptr)}) {
    SetForegroundTarget(wanted);
    for (const auto& [name, event] : events) {
      PumpMessages();
      SetForegroundWindow(other);
      PumpMessages();
      ASSERT_EQ(GetForegroundWindow(), other);
      event();
      EXPECT_EQ(GetForegroundWindow(), wanted ? target : other) << name << (wanted ? "" : ", without a target");
    }
  }
  DestroyWindow(other);
  DestroyWindow(target);

  // Not asked for, or silent: hidden.
  for (auto [field, silent] : {std::pair{"0", false}, std::pair{"1", true}}) {
    RunFlags().silent = silent;
    SetUpWith(BackgroundFields(PermissiveScript(), {{1, field}}));
    EXPECT_FALSE(BackgroundWanted() || IsWindowVisible(window)) << field << silent;
    ShowWindow(window, SW_SHOW);  // for the next case to hide
  }
}
