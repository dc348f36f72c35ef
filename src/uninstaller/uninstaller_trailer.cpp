#include "uninstaller/uninstaller_trailer.h"

#include "uninstaller/program_image.h"

namespace {

bool ReadAt(TStream& file, int64_t position, void* buffer, int32_t count) {
  return file.Seek(position, TSeekOrigin::Start) == position && file.ReadExact(buffer, count);
}

// The trailer between imageEnd (0 when unknown) and the end of the file.
bool ReadSoundTrailer(TStream& file, int64_t imageEnd, TUninstallerTrailer& trailer) {
  const int64_t size = file.Size();
  uint8_t field[4];
  if (size < 2 || !ReadAt(file, size - 2, field, 2)) return false;
  const int64_t pathLength = field[0] | field[1] << 8;
  // The picture's length field lies in front of the path.
  const int64_t pathStart = size - 2 - pathLength;
  if (pathLength == 0 || pathStart < imageEnd + 4) return false;
  if (!ReadAt(file, pathStart - 4, field, 4)) return false;
  const int64_t pictureLength = LoadLE32(field);
  const int64_t pictureStart = pathStart - 4 - pictureLength;
  if (pictureStart < imageEnd || pictureLength > INT32_MAX) return false;

  std::string path(static_cast<size_t>(pathLength), '\0');
  if (!ReadAt(file, pathStart, &path[0], int32_t(pathLength)) || path.find('\0') != std::string::npos) return false;
  std::vector<uint8_t> picture(static_cast<size_t>(pictureLength));
  if (pictureLength > 0) {
    if (pictureLength < 2 || !ReadAt(file, pictureStart, picture.data(), int32_t(pictureLength))) return false;
    if (picture[0] != 'B' || picture[1] != 'M') return false;
  }
  trailer.logPath = std::move(path);
  trailer.picture = std::move(picture);
  return true;
}

}  // namespace

TTrailerState ReadUninstallerTrailer(TStream& file, TUninstallerTrailer& trailer) {
  const int64_t imageEnd = ProgramImageEnd(file);
  if (imageEnd >= 0 && imageEnd == file.Size()) return TTrailerState::Absent;
  return ReadSoundTrailer(file, imageEnd < 0 ? 0 : imageEnd, trailer) ? TTrailerState::Sound : TTrailerState::Damaged;
}
