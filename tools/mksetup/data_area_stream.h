// How mksetup inspect reads the file data of a setup split over disk files.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/file_stream.h"

// The file data area as one stream: the setup's share, then each disk file
// whole. Positions are counted from the start of the area.
class TAreaStream final : public TStream {
public:
  void Add(int disk, std::string path, std::unique_ptr<TFileStream> file, int64_t start, int64_t length) {
    parts_.push_back({disk, std::move(path), std::move(file), start, length});
    size_ += length;
  }
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void*, int32_t) override { return -1; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  // The disk holding an area position and the offset in that disk's file.
  void Locate(int64_t position, int& disk, uint64_t& offset) const;
  std::string Where(int64_t position) const;
  const std::string& LastPath() const { return parts_.back().path; }

private:
  struct TPart {
    int disk;
    std::string path;
    std::unique_ptr<TFileStream> file;
    int64_t start, length;
  };
  std::vector<TPart> parts_;
  int64_t size_ = 0, position_ = 0;
};
