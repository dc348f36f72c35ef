// The wizard's controls: their ids and the handles of every one, filled by
// the window (the frame) and the pages.
#pragma once
#include <windows.h>

enum TWizardControlId {
  kBackButton = 10,
  kNextButton = 11,
  kBrowseButton = 20,
  kFolderEdit = 21,
  kGroupEdit = 22,
  kGroupList = 23,
  kNoShortcutsBox = 24,
};

struct TWizardControls {
  HWND window = nullptr;
  // The frame.
  HWND header = nullptr;  // the band of the inner pages, with its title and subtitle
  HWND branding = nullptr, brandingLine = nullptr;
  HWND back = nullptr, next = nullptr, cancel = nullptr;
  // Welcome and Finish share the welcome panel.
  HWND welcomePanel = nullptr, sidePicture = nullptr, welcomeTitle = nullptr, welcomeText = nullptr;
  HWND launchBox = nullptr, readmeBox = nullptr, websiteBox = nullptr, restartNow = nullptr, restartLater = nullptr;
  // The inner pages, each on a panel of its own.
  HWND licencePanel = nullptr, licenceInstruction = nullptr, licenceViewer = nullptr;
  HWND informationPanel = nullptr, informationInstruction = nullptr, informationViewer = nullptr;
  HWND destinationPanel = nullptr, destinationInstruction = nullptr, destinationPicture = nullptr;
  HWND folderFrame = nullptr, folderFrameBox = nullptr, folderEdit = nullptr, browse = nullptr;
  HWND startMenuPanel = nullptr, startMenuInstruction = nullptr, groupEdit = nullptr, groupList = nullptr;
  HWND noShortcuts = nullptr;
  HWND shortcutsPanel = nullptr, shortcutsInstruction = nullptr, shortcutsPicture = nullptr;
  HWND desktopCheck = nullptr, startMenuCheck = nullptr, quickLaunchCheck = nullptr;
  HWND readyPanel = nullptr, readyInstruction = nullptr, summaryViewer = nullptr;
  HWND progressPanel = nullptr, progressHeading = nullptr, statusLine = nullptr, progressBar = nullptr;
};
