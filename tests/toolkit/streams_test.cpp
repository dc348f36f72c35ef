#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "test_support.h"
#include "toolkit/buffered_reader.h"
#include "toolkit/file_stream.h"
#include "toolkit/memory_stream.h"
#include "toolkit/piecewise_copy.h"

TEST(MemoryStream, SeeksFromEveryOriginAndGrowsOnWrite) {
  TMemoryStream s;
  EXPECT_EQ(s.Write("abcdef", 6), 6);
  EXPECT_EQ(s.Seek(-2, TSeekOrigin::End), 4);
  char two[2];
  EXPECT_EQ(s.Read(two, 5), 2);
  EXPECT_EQ(std::string(two, 2), "ef");
  EXPECT_EQ(s.Read(two, 1), 0);
  EXPECT_EQ(s.Seek(-5, TSeekOrigin::Current), 1);
  EXPECT_EQ(s.Seek(-1, TSeekOrigin::Start), -1);
  s.Seek(8, TSeekOrigin::Start);
  EXPECT_EQ(s.Write("x", 1), 1);  // writing past the end fills the gap
  EXPECT_EQ(s.Size(), 9);
  EXPECT_EQ(s.Bytes()[6], 0);
}

TEST(FileStream, WritesReadsAndSeeksAFile) {
  std::string path = (std::filesystem::temp_directory_path() / "setup_stream_test.bin").string();
  TBytes data = MixedBytes(100000);
  {
    auto out = TFileStream::Open(path, TFileStream::Mode::Create);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Write(data.data(), int32_t(data.size())), int32_t(data.size()));
  }
  auto in = TFileStream::Open(path, TFileStream::Mode::OpenRead);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), int64_t(data.size()));
  EXPECT_EQ(in->Seek(-10, TSeekOrigin::End), int64_t(data.size() - 10));
  uint8_t tail[20];
  EXPECT_EQ(in->Read(tail, 20), 10);
  EXPECT_TRUE(std::equal(tail, tail + 10, data.end() - 10));
  EXPECT_EQ(in->Write(tail, 1), -1) << "a stream opened for reading refuses writes";
  in.reset();
  std::remove(path.c_str());
  EXPECT_FALSE(TFileStream::Open(path, TFileStream::Mode::OpenRead));
}

namespace {
int g_pumps = 0;
void CountPump() { ++g_pumps; }

}  // namespace

TEST(PiecewiseCopy, CopiesInPiecesAndLetsWindowsRunBetweenThem) {
  TMemoryStream source(MixedBytes(3 * kCopyPieceSize + 17));
  TMemoryStream destination;
  g_pumps = 0;
  SetMessagePump(CountPump);
  EXPECT_EQ(CopyPiecewise(destination, source, 2 * kCopyPieceSize + 5), 2 * kCopyPieceSize + 5);
  EXPECT_EQ(g_pumps, 3);
  // Asking for more than the source holds copies what there is.
  EXPECT_EQ(CopyPiecewise(destination, source, 10 * kCopyPieceSize), kCopyPieceSize + 12);
  SetMessagePump(nullptr);
  EXPECT_EQ(destination.Bytes(), source.Bytes());
}

TEST(PiecewiseCopy, StopsAtTheFirstFailedWrite) {
  TMemoryStream source(MixedBytes(3 * kCopyPieceSize));
  TFullStream full(kCopyPieceSize + 100);
  EXPECT_EQ(CopyPiecewise(full, source, 3 * kCopyPieceSize), kCopyPieceSize);
}

// Any mix of reads and seeks gives what the stream itself would, from any
// start, with pieces smaller and larger than the reads; the source is left
// where a seek past what is held put it.
TEST(BufferedReader, ReadsAndSeeksExactlyAsTheStreamItself) {
  const TBytes content = MixedBytes(100000, 7);
  struct TStep {
    TSeekOrigin origin;
    int64_t offset;
    int32_t read;
  } steps[] = {{TSeekOrigin::Current, 0, 4},    {TSeekOrigin::Current, 0, 4096}, {TSeekOrigin::Current, 10, 3},
               {TSeekOrigin::Current, -20, 9},  {TSeekOrigin::Start, 70000, 50000},
               {TSeekOrigin::End, -5, 10},      {TSeekOrigin::Start, 3, 1},      {TSeekOrigin::Current, 60000, 8192},
               {TSeekOrigin::Start, -1, 1}};
  for (int32_t piece : {1, 7, 4096, 256 << 10}) {
    TMemoryStream plain(content), underlying(content);
    plain.Seek(11, TSeekOrigin::Start);
    underlying.Seek(11, TSeekOrigin::Start);
    TBufferedReader buffered(underlying, piece);
    for (const TStep& step : steps) {
      ASSERT_EQ(buffered.Seek(step.offset, step.origin), plain.Seek(step.offset, step.origin)) << piece;
      TBytes expected(size_t(step.read)), got(size_t(step.read));
      ASSERT_EQ(buffered.Read(got.data(), step.read), plain.Read(expected.data(), step.read)) << piece;
      ASSERT_EQ(got, expected) << piece;
      ASSERT_EQ(buffered.Position(), plain.Position()) << piece;
    }
    EXPECT_EQ(buffered.Size(), int64_t(content.size()));
  }
}
