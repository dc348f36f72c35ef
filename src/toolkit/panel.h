// Panels: plain child windows of one colour that hold other controls. They
// pass their children's notifications on to the top-level window, so that
// one window procedure sees every button, edit and list of the dialog, and
// they let static labels and check boxes show their colour through.
#pragma once
#include <windows.h>

HWND CreatePanel(HWND parent, int x, int y, int width, int height, COLORREF colour, bool visible = false);
void SetPanelColour(HWND panel, COLORREF colour);
