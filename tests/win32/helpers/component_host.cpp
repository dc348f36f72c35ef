// Registers a component the way setup.exe does, in a process of its own:
// the DLL search hardened first, then RegisterComponent. Exit code 0 when
// the component is no longer loaded afterwards, 3 when it is, 2 on bad usage.
//
// usage: component_host DLL_PATH
#include <windows.h>

#include <string>

#include "engine/components.h"
#include "startup/dll_hardening.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HardenDllSearch();
  const std::string path = argv[1];
  RegisterComponent(path);
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  return GetModuleHandleA(name.c_str()) ? 3 : 0;
}
