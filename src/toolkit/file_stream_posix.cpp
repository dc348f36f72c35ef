#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "toolkit/file_stream.h"

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, Mode mode) {
  const int flags = mode == Mode::OpenRead ? O_RDONLY
                    : mode == Mode::Create   ? O_RDWR | O_CREAT | O_TRUNC
                                             : O_RDWR | O_CREAT | O_EXCL;
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TFileStream>(new TFileStream(fd));
}

TFileStream::~TFileStream() { ::close(int(handle_)); }

int32_t TFileStream::Read(void* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    ssize_t n = ::read(int(handle_), static_cast<char*>(buffer) + total, size_t(count - total));
    if (n <= 0) break;
    total += int32_t(n);
  }
  return total;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    ssize_t n = ::write(int(handle_), static_cast<const char*>(buffer) + total, size_t(count - total));
    if (n <= 0) return -1;
    total += int32_t(n);
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::Start ? SEEK_SET : origin == TSeekOrigin::Current ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(int(handle_), off_t(offset), whence);
  return r < 0 ? -1 : int64_t(r);
}

int64_t TFileStream::Size() {
  struct stat st;
  return ::fstat(int(handle_), &st) == 0 ? int64_t(st.st_size) : -1;
}
