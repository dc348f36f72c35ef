// A stream over a file on disk. Opening for reading shares the file with other
// readers; creating truncates or makes the file; creating new makes a file
// that must not exist yet, readable and writable, shared with nobody.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/stream.h"

class TFileStream final : public TStream {
public:
  enum class Mode { OpenRead, Create, CreateNew };
  // Open() returns null when the file cannot be opened.
  static std::unique_ptr<TFileStream> Open(const std::string& path, Mode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;

private:
  explicit TFileStream(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;  // HANDLE on Windows, file descriptor elsewhere
};
