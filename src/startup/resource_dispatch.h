// Where the resource items of block 0 go: pictures into memory, everything
// else into the temporary file whose number is the item code.
#pragma once
#include <cstdint>
#include <string>

#include "toolkit/bitmap.h"
#include "toolkit/memory_stream.h"

enum TPictureCode : uint8_t {
  kHeaderPicture = 4,
  kSidePicture = 5,
  kBackgroundPicture = 6,  // goes to temporary file 6
  kDestinationPicture = 7,
  kShortcutsPicture = 8,
};

struct TPictures {
  TBitmap header, side, destination, shortcuts;
  std::string headerFile;  // the header picture's bitmap file bytes, for the uninstaller
};
TPictures& Pictures();

// A later item with the same code replaces the earlier one.
void DispatchResource(uint8_t code, TMemoryStream& item);
