// The real setup.exe, with archives appended by the packer library.
#include <gtest/gtest.h>

#include "archive/archive_trailer.h"
#include "mksetup/script_builder.h"
#include "startup/temp_folder.h"
#include "win32_support.h"

namespace {

TArchiveInput SampleSetup() {
  TScriptBuilder script;
  script.SetField(65, "Velmora Test Setup");
  script.AddLanguage("English", "1033", "", "", {"Welcome"});
  TArchiveInput input;
  input.stub = ReadWholeFile(ExecutableFolder() + "setup.exe");
  input.script = script.Serialize();
  input.resources = {{4, MakeBitmapFile(100, 20)}, {15, TBytes(3000, 'L')}};
  return input;
}

int RunSetup(const TBytes& executable, const std::string& arguments = "") {
  std::string path = ExecutableFolder() + "setup_under_test.exe";
  if (!WriteWholeFile(path, executable)) return -2;
  int code = RunProgram(path, arguments);
  DeleteFileA(path.c_str());
  return code;
}

}  // namespace

TEST(SetupExe, ASoundSetupLoadsAndEndsInOrder) {
  TArchiveInput input = SampleSetup();
  ASSERT_FALSE(input.stub.empty());
  DeleteTemporaryFiles(1);
  EXPECT_EQ(RunSetup(BuildSetupImage(input).executable), 0);
  EXPECT_FALSE(FileExists(TemporaryFolder())) << "the temporary folder is removed at the end";
}

TEST(SetupExe, DamagedArchivesEndWithExitCode3) {
  TBytes good = BuildSetupImage(SampleSetup()).executable;
  TBytes noEndMark = good;
  noEndMark.back() = 0xF0;
  TArchiveTrailer trailer;
  DecodeArchiveTrailer(good.data() + good.size() - kTrailerSize, trailer);
  TBytes damagedBlock0 = good;
  damagedBlock0[trailer.block0Offset + trailer.block0Length / 2] ^= 0x40;
  TBytes bareStub(good.begin(), good.begin() + long(trailer.block0Offset));

  for (const TBytes& bytes : {noEndMark, damagedBlock0, bareStub}) {
    EXPECT_EQ(RunSetup(bytes), 3);
    EXPECT_FALSE(FileExists(TemporaryFolder()));
  }
}
