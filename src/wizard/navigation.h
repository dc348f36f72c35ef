// Moving through the wizard's pages and handling requests to close it.
#pragma once
#include <cstdint>
#include <vector>

struct TNavigation {
  std::vector<uint8_t> sequence;  // filled once; its last element is done (10)
  uint8_t position = 0;
  bool installing = false;
};
TNavigation& Navigation();

// Fills the texts, builds the page sequence and shows the first page; in
// silent mode the wizard stays hidden and the installation runs at once.
void BuildPageSequence();
// Shows the page at the current position.
void ShowCurrentPage();
void NextClicked();
void BackClicked();
// Any close request of the wizard window: refused with "/NC"; during the
// installation the stop is honoured at the next record; otherwise the
// setup ends (after the user confirms, unless silent).
void CloseRequested();
