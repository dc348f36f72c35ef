// The Progress page's status line and progress bar, as the installation
// drives them. The wizard hands over its two controls when it builds them;
// until then (and in tests without a wizard) the calls only count.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

void AttachProgressControls(HWND statusLine, HWND progressBar);

// Replaces the status text and repaints it at once.
void SetStatusText(const std::string& text);
std::string StatusText();
void SetProgressRange(int32_t maximum);
// Advances the bar by one (clamped at its maximum), lets pending window
// messages run, and pauses 4 ms when the maximum is below 32.
void StepProgress();
int32_t ProgressPosition();
void FillProgress();
