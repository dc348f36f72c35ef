#include "archive/archive_end.h"

#include <gtest/gtest.h>

#include "archive/setup_archive.h"
#include "test_support.h"

namespace {

constexpr size_t kPeAt = 0x40;
constexpr size_t kOptionalAt = kPeAt + 24;
constexpr size_t kSecurityAt = kOptionalAt + 96 + 4 * 8;  // PE32: data directory 4

// The headers of a PE32 image as far as the security entry, then filler.
TBytes StubImage() {
  TBytes stub(1024, 0x90);
  stub[0] = 'M';
  stub[1] = 'Z';
  StoreLE32(stub.data() + 0x3C, kPeAt);
  const uint8_t signature[4] = {'P', 'E', 0, 0};
  std::copy(signature, signature + 4, stub.begin() + kPeAt);
  stub[kPeAt + 20] = 224;  // size of the optional header
  stub[kPeAt + 21] = 0;
  stub[kOptionalAt] = 0x0B;
  stub[kOptionalAt + 1] = 0x01;
  StoreLE32(stub.data() + kOptionalAt + 92, 16);  // data directories
  StoreLE32(stub.data() + kSecurityAt, 0);
  StoreLE32(stub.data() + kSecurityAt + 4, 0);
  return stub;
}

// What a signing tool does: pads, appends the table, points the entry at it.
TBytes Signed(TBytes file, const TBytes& padding, size_t tableLength) {
  file.insert(file.end(), padding.begin(), padding.end());
  StoreLE32(file.data() + kSecurityAt, uint32_t(file.size()));
  StoreLE32(file.data() + kSecurityAt + 4, uint32_t(tableLength));
  file.insert(file.end(), tableLength, 0x30);
  return file;
}

bool Sound(const TBytes& file) {
  TMemoryStream stream(file);
  TSetupArchive archive;
  return ReadSetupArchive(stream, archive, nullptr) && archive.script.Bytes() == TextBytes("script");
}

}  // namespace

TEST(ArchiveEnd, ASignatureAtTheEndIsPassedOverAndNothingElseIs) {
  TArchiveInput input;
  input.stub = StubImage();
  input.script = TextBytes("script");
  input.files = {MixedBytes(3000)};
  const TBytes setup = BuildSetupImage(input).executable;
  ASSERT_EQ(setup.size() % 8, 0u);

  struct TCase {
    const char* what;
    TBytes file;
    bool sound;
  } cases[] = {
      {"unsigned", setup, true},
      {"signed, no padding needed", Signed(setup, {}, 1500), true},
      {"signed after 3 zero bytes of padding", Signed(setup, {0, 0, 0}, 800), true},
      {"7 zero bytes", Signed(setup, TBytes(7, 0), 800), true},
      {"8 zero bytes: more than any padding", Signed(setup, TBytes(8, 0), 800), false},
      {"padding that is not zero", Signed(setup, {0, 0xAB, 0}, 800), false},
      {"an empty table", Signed(setup, {}, 0), false},
  };
  for (const TCase& c : cases) EXPECT_EQ(Sound(c.file), c.sound) << c.what;

  // A table that reaches past the end of the file.
  TBytes outside = Signed(setup, {}, 800);
  StoreLE32(outside.data() + kSecurityAt + 4, 801);
  EXPECT_FALSE(Sound(outside));
  // A table inside the file, not at its end: the executable image was signed
  // before the archive was appended, and the trailer is at the end as ever.
  TArchiveInput signedStub = input;
  signedStub.stub = StubImage();
  StoreLE32(signedStub.stub.data() + kSecurityAt, 512);
  StoreLE32(signedStub.stub.data() + kSecurityAt + 4, 256);
  EXPECT_TRUE(Sound(BuildSetupImage(signedStub).executable));

  // Where the end is found, directly.
  TMemoryStream stream(Signed(setup, {0, 0}, 640));
  uint64_t end = 0;
  ASSERT_TRUE(FindArchiveEnd(stream, end));
  EXPECT_EQ(end, setup.size());
}
