#include <windows.h>

#include "toolkit/file_stream.h"

static HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, Mode mode) {
  const DWORD access = mode == Mode::OpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD share = mode == Mode::OpenRead ? FILE_SHARE_READ : 0;
  const DWORD disposition = mode == Mode::OpenRead ? OPEN_EXISTING : mode == Mode::Create ? CREATE_ALWAYS : CREATE_NEW;
  HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::unique_ptr<TFileStream>(new TFileStream(reinterpret_cast<intptr_t>(h)));
}

TFileStream::~TFileStream() { CloseHandle(H(handle_)); }

int32_t TFileStream::Read(void* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    DWORD n = 0;
    if (!ReadFile(H(handle_), static_cast<char*>(buffer) + total, DWORD(count - total), &n, nullptr) || n == 0)
      break;
    total += int32_t(n);
  }
  return total;
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
  int32_t total = 0;
  while (total < count) {
    DWORD n = 0;
    if (!WriteFile(H(handle_), static_cast<const char*>(buffer) + total, DWORD(count - total), &n, nullptr) ||
        n == 0)
      return -1;
    total += int32_t(n);
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  DWORD method = origin == TSeekOrigin::Start ? FILE_BEGIN : origin == TSeekOrigin::Current ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(H(handle_), distance, &result, method)) return -1;
  return result.QuadPart;
}

int64_t TFileStream::Size() {
  LARGE_INTEGER size;
  return GetFileSizeEx(H(handle_), &size) ? size.QuadPart : -1;
}
