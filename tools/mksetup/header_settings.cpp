#include "mksetup/header_settings.h"

#include <deque>
#include <map>

#include "archive/setup_script.h"

namespace {

using K = TSettingKind;

// The named fields; every other field is "unused N".
const std::vector<THeaderSetting>& NamedFields() {
  static const std::vector<THeaderSetting> kNamed = {
      {0, "builder", K::kText, "mksetup", "identifies the program that packed the setup"},
      {1, "background window", K::kSwitch, "off", "covers the screen behind the wizard (never when silent)"},
      {2, "dotnet download page", K::kOptional, "off",
       "web address the .NET Framework message offers to open; off: the message offers nothing"},
      {3, "background gradient", K::kSwitch, "on", "on: the background is a gradient; off: the background picture"},
      {4, "background colour", K::kColour, "#000080", "gradient start colour"},
      {5, "background colour end", K::kColour, "#000000", "gradient end colour"},
      {6, "background gradient horizontal", K::kSwitch, "off", "on: left to right; off: top to bottom"},
      {7, "background picture mode", K::kNumber, "0", "0 stretched, 1 tiled, 2 centred", 0, 2},
      {8, "background title", K::kText, "{product}", "large text at the top left of the background"},
      {9, "background text", K::kText, "", "text at the bottom left of the background"},
      {10, "background title height", K::kNumber, "36", "font height of the title in pixels", -500, 500},
      {11, "background title font", K::kText, "Arial", "font of the title"},
      {12, "background title colour", K::kColour, "#FFFFFF", "colour of the title"},
      {13, "background title charset", K::kNumber, "0", "character set of the title font", 0, 255},
      {14, "background title style", K::kNumber, "3", "1 bold + 2 italic + 4 underline + 8 strike-out", 0, 15},
      {15, "background text style", K::kNumber, "0", "style of the bottom text, as the title's", 0, 15},
      {16, "background text colour", K::kColour, "#FFFFFF", "colour of the bottom text"},
      {17, "background text charset", K::kNumber, "0", "character set of the bottom text font", 0, 255},
      {18, "background text height", K::kNumber, "14", "font height of the bottom text in pixels", -500, 500},
      {19, "background text font", K::kText, "Arial", "font of the bottom text"},
      {20, "component count", K::kComputed, "auto", "number of [component] records"},
      {21, "disk name", K::kText, "disk{disk number}.pak",
       "name of the disk files of a split setup; {disk number} is replaced by 2, 3, ..."},
      {22, "additional shortcuts", K::kSwitch, "auto",
       "the Shortcuts page and the Ready page offer the shortcut check boxes (auto: when any is offered)"},
      {23, "space needed", K::kComputed, "auto",
       "bytes the installation needs; the Destination page refuses a drive with less (auto: the files' sizes)"},
      {24, "ini count", K::kComputed, "auto", "number of [ini] records"},
      {25, "uninstall command count", K::kComputed, "auto", "number of [uninstall command] records"},
      {26, "language count", K::kComputed, "auto", "number of languages"},
      {27, "branding", K::kText, "{product}", "text at the bottom left of the wizard"},
      {30, "licence page", K::kSwitch, "auto", "the Licence page is shown (auto: when a licence text is given)"},
      {31, "font count", K::kComputed, "auto", "number of [font] records"},
      {34, "solid", K::kComputed, "auto", "solid or per-file archive, from [archive] mode"},
      {35, "header check", K::kComputed, "auto", "check value of the header fields"},
      {36, "website box", K::kSwitch, "auto", "the Finish page offers to open the website (auto: when one is given)"},
      {37, "website", K::kText, "", "web address the Finish page offers to open"},
      {38, "website box checked", K::kSwitch, "off", "the website check box starts ticked"},
      {39, "launch box", K::kSwitch, "auto", "the Finish page offers to start the program (auto: when one is given)"},
      {40, "command count", K::kComputed, "auto", "number of [command] records"},
      {41, "startup notice", K::kOptional, "off", "text shown in a box once the wizard is on screen; off: none"},
      {43, "launch", K::kText, "", "program the Finish page offers to start"},
      {44, "launch box checked", K::kSwitch, "on", "the launch check box starts ticked"},
      {45, "uninstaller record count", K::kComputed, "auto", "number of [uninstaller record] records"},
      {46, "readme box checked", K::kSwitch, "on", "the read-me check box starts ticked"},
      {47, "readme", K::kText, "", "file the Finish page offers to open"},
      {48, "progress steps", K::kComputed, "auto", "maximum of the progress bar (auto: the steps the installation takes)"},
      {49, "header picture shown", K::kSwitch, "auto", "the header picture is drawn (auto: when one is given)"},
      {50, "registry count", K::kComputed, "auto", "number of [registry] records"},
      {52, "restart box", K::kSwitch, "off", "the Finish page offers to restart Windows"},
      {53, "browse folder name", K::kText, "{product}", "folder name put after a folder chosen with Browse"},
      {54, "shortcut count", K::kComputed, "auto", "number of [shortcut] records"},
      {56, "uninstall information", K::kSwitch, "auto", "writes the uninstall log (auto: with 'uninstaller = on')"},
      {58, "install folder", K::kText, "{program files}\\{product}", "default installation folder; /P= replaces it"},
      {60, "header colour", K::kColour, "#C8DCFA", "header gradient start colour"},
      {61, "windows versions", K::kNumber, "511",
       "bit mask of the Windows classes allowed: 1 Windows 3.x, 2 95, 4 98, 8 Me, 16 NT 4, 32 2000, 64 XP, "
       "128 Server 2003, 256 Vista and later",
       0, 0x7FFFFFFF},
      {62, "windows names", K::kText, "a supported version of Windows",
       "names of the allowed systems, shown when Windows is refused"},
      {63, "side picture shown", K::kSwitch, "auto",
       "the side picture is drawn on the Welcome and Finish pages (auto: when one is given)"},
      {64, "uninstaller text 64", K::kText, "", "handed to the uninstaller; unused by this uninstaller"},
      {65, "title", K::kText, "{product} Setup", "caption of the setup's windows and boxes"},
      {66, "header gradient", K::kSwitch, "off", "the header band is a gradient"},
      {67, "file count", K::kComputed, "auto", "number of [file] records"},
      {68, "uninstaller text 68", K::kText, "", "handed to the uninstaller; unused by this uninstaller"},
      {69, "header title left", K::kNumber, "20", "position of the page title in the header", 0, 1000},
      {70, "header band colour", K::kColour, "#FFFFFF", "header band colour and header gradient end colour"},
      {71, "header picture transparent", K::kSwitch, "off", "the header picture's corner colour is see-through"},
      {72, "header title top", K::kNumber, "8", "position of the page title in the header", 0, 1000},
      {73, "header subtitle left", K::kNumber, "30", "position of the page subtitle", 0, 1000},
      {74, "uninstaller text 74", K::kText, "", "handed to the uninstaller; unused by this uninstaller"},
      {75, "uninstaller text 75", K::kText, "", "handed to the uninstaller; unused by this uninstaller"},
      {76, "fixed folder", K::kSwitch, "off", "the installation folder cannot be changed"},
      {77, "side picture transparent", K::kSwitch, "off", "the side picture's corner colour is see-through"},
      {78, "header subtitle top", K::kNumber, "26", "position of the page subtitle", 0, 1000},
      {79, "readme box", K::kSwitch, "auto", "the Finish page offers to open the read-me (auto: when one is given)"},
      {80, "header picture top", K::kNumber, "1", "position of the header picture", -1000, 1000},
      {81, "header picture left", K::kNumber, "335", "position of the header picture", -1000, 1000},
      {82, "side picture top", K::kNumber, "0", "position of the side picture", -1000, 1000},
      {83, "side picture left", K::kNumber, "0", "position of the side picture", -1000, 1000},
      {84, "information page", K::kSwitch, "auto", "the Information page is shown (auto: when an information text is given)"},
      {85, "dotnet or later", K::kSwitch, "on", "a later .NET Framework than the required one passes too"},
      {86, "program group", K::kSwitch, "on", "shortcuts go into a Start Menu group the user may name"},
      {88, "desktop box", K::kSwitch, "off", "the Shortcuts page offers a desktop shortcut"},
      {89, "start menu box", K::kSwitch, "off", "the Shortcuts page offers a Start Menu shortcut"},
      {90, "quick launch box", K::kSwitch, "off", "the Shortcuts page offers a Quick Launch shortcut"},
      {91, "uninstaller path", K::kText, "{install}\\uninstall.exe", "where the uninstaller is installed"},
      {92, "uninstall log", K::kText, "{install}\\uninstall.ini", "where the uninstall log is written"},
      {93, "folder count", K::kComputed, "auto", "number of [folder] records"},
      {96, "uninstall registry count", K::kComputed, "auto", "number of [uninstall registry] records"},
      {97, "uninstaller text 97", K::kText, "", "handed to the uninstaller; unused by this uninstaller"},
      {98, "registry variable count", K::kComputed, "auto", "number of [registry variable] records"},
      {99, "administrator", K::kSwitch, "off", "the setup refuses to run without administrator rights"},
      {100, "dotnet version", K::kOptional, "off", ".NET Framework version required, as 4.0; off: none"},
      {103, "close program", K::kSwitch, "auto",
       "windows of a running program are asked to close first (auto: when 'close program title' is given)"},
      {104, "close program title", K::kText, "", "title of the windows to close"},
      {105, "close program title contains", K::kSwitch, "off", "on: titles that contain it; off: the exact title"},
      {106, "program group name", K::kText, "{product}", "default Start Menu group; /G= replaces it"},
      {107, "reserved 107", K::kText, "", "reserved; /SP sets it to 0"},
      {108, "uninstaller text 108", K::kText, "", "handed to the uninstaller; unused by this uninstaller"},
      {109, "fixed program group", K::kSwitch, "off", "the Start Menu group cannot be changed"},
      {110, "silent", K::kSwitch, "off", "always runs without the wizard, as with /S"},
      {111, "welcome page", K::kSwitch, "on", "the Welcome page is shown"},
      {112, "destination page", K::kSwitch, "on", "the Destination page is shown"},
      {113, "start menu page", K::kSwitch, "auto", "the Start Menu page is shown (auto: with a program group)"},
      {114, "shortcuts page", K::kSwitch, "auto", "the Shortcuts page is shown (auto: with additional shortcuts)"},
      {115, "ready page", K::kSwitch, "on", "the Ready page is shown"},
      {116, "finish page", K::kSwitch, "on", "the Finish page is shown"},
  };
  return kNamed;
}

std::vector<THeaderSetting> AllFields() {
  static std::deque<std::string> unusedNames;  // owns the "unused N" texts
  std::vector<THeaderSetting> all;
  size_t named = 0;
  for (int field = 0; field < kHeaderFieldCount; ++field) {
    if (named < NamedFields().size() && NamedFields()[named].field == field) {
      all.push_back(NamedFields()[named++]);
      continue;
    }
    unusedNames.push_back("unused " + std::to_string(field));
    all.push_back({field, unusedNames.back().c_str(), K::kText, "", "read by nothing; kept empty"});
  }
  return all;
}

}  // namespace

const std::vector<THeaderSetting>& HeaderSettings() {
  static const std::vector<THeaderSetting> all = AllFields();
  return all;
}

const THeaderSetting* FindHeaderSetting(const std::string& name) {
  static const std::map<std::string, const THeaderSetting*> byName = [] {
    std::map<std::string, const THeaderSetting*> map;
    for (const THeaderSetting& setting : HeaderSettings()) map[setting.name] = &setting;
    return map;
  }();
  auto found = byName.find(name);
  return found == byName.end() ? nullptr : found->second;
}

const THeaderSetting& HeaderSettingOf(int field) { return HeaderSettings().at(size_t(field)); }
