#include "startup/single_instance.h"

#include <windows.h>

#include <cstdio>

#include "archive/crc32.h"
#include "archive/setup_script.h"
#include "lang/folders.h"
#include "startup/application_window.h"
#include "startup/command_line.h"
#include "startup/exit_codes.h"
#include "startup/setup_end.h"
#include "toolkit/run_log.h"

namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\";
constexpr char kNamePrefix[] = "VelmoraSetup.";
// Kernel object names hold at most MAX_PATH characters, "Local\" included.
constexpr size_t kLongestIdentity = 200;

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return text;
}

// The first key name below the uninstall key, or "" when the key lies
// elsewhere (or is the uninstall key itself).
std::string UninstallEntryName(std::string key) {
  if (!key.empty() && key[0] == '\\') key.erase(0, 1);
  const size_t prefix = sizeof kUninstallKey - 1;
  if (key.size() <= prefix || UpperCase(key.substr(0, prefix)) != kUninstallKey) return std::string();
  return key.substr(prefix, key.find('\\', prefix) - prefix);
}

}  // namespace

std::string ProductIdentity() {
  for (TSection section : {kSectionRegistry, kSectionUninstallRegistry})
    for (uint32_t k = 0; k < SectionCount(section); ++k) {
      const std::string name = UninstallEntryName(ExpandPathConstants(SectionField(section, k, 1)));
      if (!name.empty()) return name;
    }
  return ExpandPathConstants(FieldText(65));
}

std::string InstanceMutexName(const std::string& identity) {
  std::string name = UpperCase(identity);
  for (char& c : name)
    if (c == '\\') c = '_';
  if (name.size() > kLongestIdentity) {
    char crc[10];
    snprintf(crc, sizeof crc, "~%08X", unsigned(Crc32(name.data(), name.size())));
    name = name.substr(0, kLongestIdentity - 9) + crc;
  }
  return std::string("Local\\") + kNamePrefix + name;
}

void ClaimProductInstance() {
  const std::string identity = ProductIdentity();
  if (identity.empty()) {
    LogLine("no product identity: other setups are not looked for");
    return;
  }
  const std::string name = InstanceMutexName(identity);
  // Held until the process ends: Windows releases it then, however the run ends.
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  DWORD error = GetLastError();
  if (!mutex && error != ERROR_ACCESS_DENIED) {
    // Systems without the "Local\" namespace refuse the backslash; their
    // names are per session already.
    SetLastError(ERROR_SUCCESS);
    mutex = CreateMutexA(nullptr, FALSE, name.substr(6).c_str());
    error = GetLastError();
  }
  // Access denied: another user's (or a more privileged) run made it.
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
    const std::string text =
        "Another setup of " + identity + " is already running. Wait until it has finished, then start this one again.";
    LogLine(text);
    if (!RunFlags().quiet) {
      const std::string title = ExpandPathConstants(FieldText(65));
      MessageBoxA(ApplicationWindow(), text.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    EndSetup(kExitAlreadyRunning);
  }
  if (!mutex)
    LogLine("the mutex " + name + " could not be made (Windows error " + std::to_string(error) +
            "): other setups are not looked for");
  else
    LogLine("setup of " + identity + " runs alone (" + name + ")");
}
