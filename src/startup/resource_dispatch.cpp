#include "startup/resource_dispatch.h"

#include "startup/temp_folder.h"

TPictures& Pictures() {
  static TPictures pictures;
  return pictures;
}

static TBitmap* PictureSlot(uint8_t code) {
  TPictures& p = Pictures();
  switch (code) {
    case kHeaderPicture: return &p.header;
    case kSidePicture: return &p.side;
    case kDestinationPicture: return &p.destination;
    case kShortcutsPicture: return &p.shortcuts;
    default: return nullptr;
  }
}

void DispatchResource(uint8_t code, TMemoryStream& item) {
  const auto& bytes = item.Bytes();
  if (TBitmap* slot = PictureSlot(code)) {
    *slot = LoadBitmapFromBytes(bytes.data(), bytes.size());  // unreadable: no picture
    if (code == kHeaderPicture)
      Pictures().headerFile = *slot ? std::string(bytes.begin(), bytes.end()) : std::string();
    return;
  }
  WriteTemporaryFile(code, bytes.data(), bytes.size());
}
