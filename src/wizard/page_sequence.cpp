#include "wizard/page_sequence.h"

#include "archive/setup_script.h"

std::vector<uint8_t> PagesOfScript() {
  std::vector<uint8_t> pages;
  if (FieldFlag(111)) pages.push_back(kPageWelcome);
  if (FieldFlag(30)) pages.push_back(kPageLicence);
  if (FieldFlag(84)) pages.push_back(kPageInformation);
  if (FieldFlag(112)) pages.push_back(kPageDestination);
  if (FieldFlag(86) && FieldFlag(113)) pages.push_back(kPageStartMenu);
  if (FieldFlag(22) && FieldFlag(114)) pages.push_back(kPageShortcuts);
  if (FieldFlag(115)) pages.push_back(kPageReady);
  pages.push_back(kPageProgress);
  if (FieldFlag(116)) pages.push_back(kPageFinish);
  pages.push_back(kPageDone);
  return pages;
}
