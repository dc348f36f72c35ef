// mksetup: writes a setup executable (a stub followed by its setup archive)
// and, in per-file mode with a disk size, the disk files beside it, from a
// setup description (docs/mksetup.md). `mksetup inspect` reads a setup
// back and reports what it holds.
//
// Exit codes: 0 written; 1 a file could not be read or written; 2 the
// command line or the description is wrong (or describes a setup that
// cannot be built). Inspecting: 0 sound, 1 unreadable, 2 a wrong command
// line, 3 damaged or incomplete.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/disk_files.h"
#include "mksetup/archive_writer.h"
#include "mksetup/description.h"
#include "mksetup/setup_report.h"

namespace {

enum TExitCode { kExitOk = 0, kExitIo = 1, kExitUsage = 2 };

const char kVersion[] = "mksetup 1.0\n";

const char kUsage[] =
    "usage: mksetup [--stub FILE] [-o OUTPUT] [-j N] DESCRIPTION\n"
    "       mksetup inspect SETUP.exe [--json]\n"
    "       mksetup --help | --version\n"
    "  --stub FILE  the executable the archive is appended to (default: 'stub =' of the description)\n"
    "  -o OUTPUT    the setup executable to write (default: the description's name with\n"
    "               the extension .exe, in the current folder); disk files go beside it\n"
    "  -j N         per-file mode: compress N blocks at once (default: one per core);\n"
    "               the setup's bytes are the same for every N\n"
    "  inspect      shows what the setup holds and checks all of it; --json for a JSON document.\n"
    "               Exit code 0 sound, 1 unreadable, 3 damaged or a disk file missing\n";

struct TOptions {
  std::string stub, output, description;
  unsigned jobs = 0;  // 0: one per core
};

// A file that could not be read or written.
struct TIoError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

bool ParseArguments(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--stub" || arg == "-o") && i + 1 < argc) {
      (arg == "--stub" ? options.stub : options.output) = argv[++i];
    } else if (arg == "-j" && i + 1 < argc) {
      const std::string n = argv[++i];
      if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos || std::stoi(n) < 1)
        return false;
      options.jobs = unsigned(std::stoi(n));
    } else if (!arg.empty() && arg[0] == '-') {
      return false;
    } else if (options.description.empty()) {
      options.description = arg;
    } else {
      return false;
    }
  }
  return !options.description.empty();
}

// The description's file name with the extension .exe, in the current folder.
std::string DefaultOutput(const std::string& description) {
  std::string name = std::filesystem::path(description).filename().string();
  size_t dot = name.rfind('.');
  return (dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name) + ".exe";
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

TBytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TIoError("cannot open '" + path + "'");
  TBytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw TIoError("cannot read '" + path + "'");
  return bytes;
}

void WriteFileBytes(const std::string& path, const TBytes& bytes) {
  std::error_code ignored;  // a folder that cannot be made shows when the file cannot be created
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw TIoError("cannot create '" + path + "'");
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) throw TIoError("cannot write '" + path + "'");
  std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
}

// Disk j (j >= 2) lies beside the executable, named by field 21.
std::vector<std::string> DiskPaths(const std::string& output, const std::string& nameTemplate, size_t disks) {
  std::vector<std::string> paths;
  std::set<std::string> seen{output};
  for (size_t i = 0; i < disks; ++i) {
    std::string path = FolderOf(output) + DiskFileName(nameTemplate, int(i) + 2);
    if (!seen.insert(path).second)
      throw std::invalid_argument("field 21 gives disk " + std::to_string(i + 2) + " the name of another file ('" +
                                  path + "'); write @$&%19 where the disk number goes");
    paths.push_back(path);
  }
  return paths;
}

// Progress of a long per-file pack on a terminal: files, bytes and rate, on
// one line that is rewritten at most five times a second.
class TPackMeter {
public:
  explicit TPackMeter(const std::vector<TBytes>& files) : files_(files.size()) {
    for (const TBytes& file : files) bytes_ += file.size();
  }
  void operator()(size_t files, uint64_t bytes) {
    const auto now = std::chrono::steady_clock::now();
    if (files < files_ && now - shown_ < std::chrono::milliseconds(200)) return;
    shown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "\rmksetup: %zu of %zu files, %.1f of %.1f MiB, %.1f MiB/s   ", files, files_,
                 double(bytes) / 1048576, double(bytes_) / 1048576, seconds > 0 ? double(bytes) / 1048576 / seconds : 0.0);
    printed_ = true;
  }
  void Finish() {
    if (printed_) std::fputc('\n', stderr);
  }

private:
  size_t files_;
  uint64_t bytes_ = 0;
  bool printed_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), shown_;
};

int Run(const TOptions& options) {
  TDescription description;
  try {
    description = LoadDescription(options.description, options.stub);
  } catch (const TDescriptionError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw TIoError(e.what());
  }
  std::string stub = options.stub.empty() ? description.stubPath : options.stub;
  if (stub.empty()) throw std::invalid_argument("no stub: give --stub FILE or 'stub =' in the description");
  description.archive.stub = ReadFileBytes(stub);

  description.archive.jobs = options.jobs;
  TPackMeter meter(description.archive.files);
  if (isatty(STDERR_FILENO) && !description.archive.solid) description.archive.progress = std::ref(meter);
  TSetupImage image = BuildSetupImage(description.archive);
  meter.Finish();
  std::string output = options.output.empty() ? DefaultOutput(options.description) : options.output;
  std::vector<std::string> disks = DiskPaths(output, description.diskNameTemplate, image.disks.size());
  WriteFileBytes(output, image.executable);
  for (size_t i = 0; i < disks.size(); ++i) WriteFileBytes(disks[i], image.disks[i]);
  return kExitOk;
}

// mksetup inspect SETUP.exe [--json]; false on a wrong command line.
bool ParseInspectArguments(int argc, char** argv, std::string& setup, bool& json) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      json = true;
    } else if (arg.empty() || arg[0] == '-' || !setup.empty()) {
      return false;
    } else {
      setup = arg;
    }
  }
  return !setup.empty();
}

int Inspect(int argc, char** argv) {
  std::string setup;
  bool json = false;
  if (!ParseInspectArguments(argc, argv, setup, json)) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const TInspection inspection = InspectSetup(setup);
  const std::string report = json ? InspectionJson(inspection) : InspectionText(inspection);
  std::fwrite(report.data(), 1, report.size(), stdout);
  for (const std::string& problem : inspection.problems)
    std::fprintf(stderr, "mksetup: %s: %s\n", setup.c_str(), problem.c_str());
  return InspectionExitCode(inspection);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "--version")) {
    std::fputs(std::string(argv[1]) == "--help" ? kUsage : kVersion, stdout);
    return kExitOk;
  }
  if (argc >= 2 && std::string(argv[1]) == "inspect") return Inspect(argc, argv);
  TOptions options;
  if (!ParseArguments(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  try {
    return Run(options);
  } catch (const TIoError& e) {
    std::fprintf(stderr, "mksetup: %s\n", e.what());
    return kExitIo;
  } catch (const TDescriptionReadError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitIo;
  } catch (const TDescriptionError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return kExitUsage;
  } catch (const std::invalid_argument& e) {  // the setup described cannot be built
    std::fprintf(stderr, "mksetup: %s\n", e.what());
    return kExitUsage;
  } catch (const std::runtime_error& e) {  // the encoder refused the options
    std::fprintf(stderr, "mksetup: %s\n", e.what());
    return kExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mksetup: %s\n", e.what());
    return kExitIo;
  }
}
