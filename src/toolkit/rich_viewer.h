// Read-only rich-text viewers. The rich edit library is loaded once per
// process, by its full path in the system folder, at the first viewer.
#pragma once
#include <windows.h>

#include <string>

// A read-only multi-line viewer with a border and no horizontal scroll bar.
// A viewer that is not a tab stop also shows the arrow cursor. Null when no
// rich edit library could be loaded.
HWND CreateRichViewer(HWND parent, int x, int y, int width, int height, COLORREF background, bool tabStop);
// Streams the file in: as RTF when it starts with "{\rtf", else as plain
// text (a publisher's licence.txt); false when it cannot be read.
bool LoadDocumentFile(HWND viewer, const std::string& path);
// The window class of the library in use ("" before the first viewer).
const char* RichViewerClass();
