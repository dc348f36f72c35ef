// A stream over a growable byte buffer in memory.
#pragma once
#include <cstdint>
#include <cstddef>
#include <vector>

#include "toolkit/stream.h"

class TMemoryStream final : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return int64_t(bytes_.size()); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};
