// How the installation reports what it is doing: one status line and one
// progress bar. The engine draws nothing itself; a sink shows the reports
// (the wizard's Progress page, or nothing in silent mode) and owns the
// engine's message boxes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class TProgressSink {
public:
  virtual ~TProgressSink() = default;
  virtual void ShowStatus(const std::string& text) = 0;
  // position runs from 0 to maximum.
  virtual void ShowProgress(int32_t position, int32_t maximum) = 0;
  // The owner of the engine's message boxes (the disk prompt); null for none.
  virtual HWND DialogOwner() const { return nullptr; }
  // Whether a person can see the bar; the pauses that keep a short
  // installation and the full bar visible are made only then.
  virtual bool Shown() const { return false; }
};

// Routes the reports to sink until the binding ends; without one they are
// only counted.
class TProgressBinding {
public:
  explicit TProgressBinding(TProgressSink& sink);
  ~TProgressBinding();
  TProgressBinding(const TProgressBinding&) = delete;
  TProgressBinding& operator=(const TProgressBinding&) = delete;

private:
  TProgressSink* previous_;
};

// Replaces the status text.
void SetStatusText(const std::string& text);
std::string StatusText();
void SetProgressRange(int32_t maximum);
// Advances the bar by one (clamped at its maximum), lets pending window
// messages run, and pauses 4 ms when the maximum is below 32 and the bar is
// shown.
void StepProgress();
int32_t ProgressPosition();
// Moves the bar to position (clamped to its range), as an undoing runs it back.
void SetProgressPosition(int32_t position);
// Sets the bar to its maximum and, when it is shown, leaves it there 100 ms.
void FillProgress();
HWND ProgressDialogOwner();
