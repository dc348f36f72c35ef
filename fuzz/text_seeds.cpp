#include "text_seeds.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using TSeedTexts = std::vector<std::pair<std::string, std::string>>;  // file name, text

// As the setup writes it (CR LF), with a value that spills over two lines.
const char kFullLog[] =
    "[f]\r\n1=C:\\P\\app.exe\r\n2=C:\\P\\b=c.dat\r\n3=C:\\Menu\\P\\App.lnk\r\n"
    "[e]\r\n1=C:\\P\r\n2=C:\\P\\sub\\deep\\\r\n3=C:\\P\\sub\r\n"
    "[o1]\r\n0=@$&%04\r\n1=C:\\P\r\n"
    "[u]\r\n1=C:\\P\\comp.dll\r\n"
    "[i1]\r\n0=C:\\P\\p.ini\r\n1=Main\r\n2=Key\r\n"
    "[r1]\r\n0=1\r\n1=Software\\P\r\n2=Path\r\n"
    "[r2]\r\n0=2\r\n1=Software\\P\\Sub\r\n2=\r\n"
    "[b1]\r\n0=C:\\P\\stop.exe\r\n1=/quiet\r\n2=0\r\n3=1\r\n"
    "[a1]\r\n0=C:\\Tools\\after.exe\r\n1=\r\n2=1\r\n3=0\r\n"
    "[n1]\r\n0=Test Sans (TrueType)\r\n1=C:\\Windows\\Fonts\\test.ttf\r\n"
    "[s]\r\n0=Remove the product\r\nfrom this computer?\r\n\r\n3=Uninstall\r\n18=C:\\P\\\r\n47=12\r\n51=26";

const char kShortLog[] = "[F]\n1=a\n[e]\n1=C:\\\\\n[s]\n0=x\n";

// Every block kind, the number forms and a date; files named here are
// supplied by the harness, not read from disk.
const char kDescription[] =
    "stub = stub.exe\n"
    "field 0 = fuzz\nfield 21 = disk@$&%19.pak\nfield 34 = 0\n"
    "[archive]\nmode = per-file\ndisk size = 64 KiB\n"
    "[block 0]\ncompression = stored\n"
    "[file blocks]\ncompression = lzma\nlc = 3\nlp = 0\npb = 2\ndictionary = 0x1000\npreset = 1\n"
    "end marker = on\nproperties byte = 93\ndictionary field = 4K\n"
    "[registry variable]\nroot = 2\nkey = Software\\Fuzz\nname = Path\ndefault = C:\\Fuzz\n"
    "[registry]\nfield 0 = 1\nkey = Software\\Fuzz\nname = V\ndata = 1\ntype = 2\noverwrite = 1\nremove = 1\n"
    "[uninstall registry]\nroot = 1\nkey = Software\\Fuzz\nname =\n"
    "[font]\nname = Fuzz Sans (TrueType)\nfile = @$&%15\\fuzz.ttf\n"
    "[shortcut]\nlocation = 1\nlink = Fuzz\ntarget = @$&%04\\fuzz.exe\nicon index = 0\n"
    "[file]\ntarget = @$&%04\\a.txt\ntime = 2024-02-29 23:59:59.1234567\nuninstall = 1\ncontent = abc\n"
    "[file]\ntarget = @$&%04\\b.bin\ntime = 133000000000000000\nsource = b.bin\n"
    "[folder]\npath = @$&%04\nremove = 1\n"
    "[command]\nprogram = @$&%04\\run.exe\nphase = 1\nwait = 1\n"
    "[uninstall command]\nprogram = @$&%04\\stop.exe\n"
    "[ini]\nfile = @$&%04\\a.ini\nsection = S\nkey = K\nvalue = V\n"
    "[uninstaller record]\nfirst = a\nsecond = b\n"
    "[component]\nlibrary = @$&%04\\c.dll\nunregister = 1\n"
    "[language]\nname = English\nid = 1033\nmessages = english.txt\nmessage 3 = Next \\\\ line\\nbreak\n"
    "[resource]\ncode = 0x0F\ncontent = {\\rtf1 licence}\n";

bool WriteAll(const std::filesystem::path& folder, const TSeedTexts& seeds) {
  std::filesystem::create_directories(folder);
  for (const auto& [name, text] : seeds) {
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteTextSeeds(const std::filesystem::path& folder) {
  return WriteAll(folder / "uninstall_log", {{"full.ini", kFullLog}, {"short.ini", kShortLog}}) &&
         WriteAll(folder / "description", {{"every_block.setup", kDescription}});
}
