// The wizard's pages and the order in which a script asks for them.
//   0 Welcome   1 Licence   3 Information   4 Destination   5 Start Menu
//   6 Shortcuts 7 Ready     8 Progress      9 Finish        10 done
#pragma once
#include <cstdint>
#include <vector>

enum TPage : uint8_t {
  kPageWelcome = 0,
  kPageLicence = 1,
  kPageInformation = 3,
  kPageDestination = 4,
  kPageStartMenu = 5,
  kPageShortcuts = 6,
  kPageReady = 7,
  kPageProgress = 8,
  kPageFinish = 9,
  kPageDone = 10,
};

// The pages the script's flags ask for, in order; always ends with
// Progress, (Finish,) done.
std::vector<uint8_t> PagesOfScript();
inline bool IsInnerPage(uint8_t page) { return page > 0 && page < 9; }
