#include "toolkit/run_log.h"

#include <cstdio>

#include "toolkit/folders.h"
#include "toolkit/win32_handle.h"

namespace {

TWin32Handle& LogFile() {
  static TWin32Handle file;
  return file;
}

int g_failures = 0;
int g_restartPending = 0;

std::vector<std::string>& Failures() {
  static std::vector<std::string> failures;
  return failures;
}

std::string& LogPath() {
  static std::string path;
  return path;
}

std::string TimeStamp() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

}  // namespace

DWORD OpenRunLog(const std::string& path) {
  CreateFoldersFor(path);
  // FILE_APPEND_DATA alone: every write lands at the end, even when another
  // run appends to the same log at the same time.
  LogFile() = TWin32Handle(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD error = LogFile() ? DWORD(ERROR_SUCCESS) : GetLastError();
  LogPath() = LogFile() ? path : std::string();
  return error;
}

bool RunLogOpen() { return bool(LogFile()); }

void LogLine(const std::string& text) {
  if (!LogFile()) return;
  const std::string line = TimeStamp() + text + "\r\n";
  DWORD written = 0;
  WriteFile(LogFile().Get(), line.data(), DWORD(line.size()), &written, nullptr);
}

void LogFailure(const std::string& what, DWORD error) {
  ++g_failures;
  if (Failures().size() < kFailuresKept) Failures().push_back(what);
  std::string line = "FAILED " + what;
  if (error != 0) {
    line += ": Windows error " + std::to_string(error);
    const std::string text = SystemErrorText(error);
    if (!text.empty()) line += " (" + text + ")";
  }
  LogLine(line);
}

int FailureCount() { return g_failures; }

void LogRestartPending(const std::string& what) {
  ++g_restartPending;
  LogLine("AT RESTART " + what);
}

int RestartPendingCount() { return g_restartPending; }

const std::vector<std::string>& FirstFailures() { return Failures(); }

const std::string& RunLogPath() { return LogPath(); }

std::string SystemErrorText(DWORD error) {
  char buffer[512];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                                 sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}
