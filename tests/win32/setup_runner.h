// Making real setups from setup.exe with the packer library, for the tests
// that run them as a person would.
#pragma once
#include <string>

#include "mksetup/archive_writer.h"
#include "mksetup/script_builder.h"
#include "win32_support.h"

// setup.exe with the script appended, and the given resources.
inline TArchiveInput SetupWith(const TScriptBuilder& script, std::vector<TResourceItem> resources = {}) {
  TArchiveInput input;
  input.stub = ReadWholeFile(ExecutableFolder() + "setup.exe");
  input.script = script.Serialize();
  input.resources = std::move(resources);
  return input;
}

// A folder of its own for each run: C:\velmora-tests\<name>\.
inline std::string FreshFolder(const std::string& name) {
  std::string folder = "C:\\velmora-tests\\" + name + "\\";
  CreateDirectoryA("C:\\velmora-tests", nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

inline std::string WriteSetup(const std::string& folder, const TBytes& executable) {
  std::string path = folder + "setup.exe";
  WriteWholeFile(path, executable);
  return path;
}

// 87 messages "<prefix><n>", with message 52 "<prefix>: must run on ".
inline std::vector<std::string> MessagesOf(const std::string& prefix) {
  std::vector<std::string> messages;
  for (int m = 1; m <= 87; ++m) messages.push_back(prefix + std::to_string(m));
  messages[51] = prefix + ": must run on ";
  return messages;
}
