#include "mksetup/archive_writer.h"

#include <lzma.h>

#include <algorithm>
#include <stdexcept>

#include "archive/archive_trailer.h"
#include "archive/block_reader.h"
#include "archive/crc32.h"
#include "mksetup/parallel_blocks.h"
#include "toolkit/stream.h"

namespace {

void AppendBytes(TBytes& to, const TBytes& from) { to.insert(to.end(), from.begin(), from.end()); }

void AppendLE32(TBytes& to, uint32_t value) {
  uint8_t raw[4];
  StoreLE32(raw, value);
  to.insert(to.end(), raw, raw + 4);
}

void AppendLE64(TBytes& to, uint64_t value) {
  uint8_t raw[8];
  StoreLE64(raw, value);
  to.insert(to.end(), raw, raw + 8);
}

TBytes RunEncoder(lzma_stream& stream, const TBytes& content) {
  TBytes out(content.size() + content.size() / 2 + 65536);
  stream.next_in = content.data();
  stream.avail_in = content.size();
  stream.next_out = out.data();
  stream.avail_out = out.size();
  for (;;) {
    lzma_ret r = lzma_code(&stream, LZMA_FINISH);
    if (r == LZMA_STREAM_END) break;
    if (r != LZMA_OK) throw std::runtime_error("LZMA encoding failed (" + std::to_string(int(r)) + ")");
    if (stream.avail_out == 0) {
      size_t used = out.size();
      out.resize(used * 2);
      stream.next_out = out.data() + used;
      stream.avail_out = out.size() - used;
    }
  }
  out.resize(out.size() - stream.avail_out);
  return out;
}

}  // namespace

TBytes EncodeLzmaStream(const TBytes& content, const TLzmaStreamOptions& options) {
  lzma_options_lzma lzma{};
  if (lzma_lzma_preset(&lzma, options.preset)) throw std::runtime_error("invalid LZMA preset");
  // The encoder's smallest dictionary is 4 KiB; the header states what it used.
  const uint32_t dictionary = std::max<uint32_t>(options.dictionarySize, LZMA_DICT_SIZE_MIN);
  lzma.dict_size = dictionary;
  lzma.lc = options.lc;
  lzma.lp = options.lp;
  lzma.pb = options.pb;
  lzma.ext_flags = options.endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &lzma}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  if (lzma_raw_encoder(&stream, filters) != LZMA_OK) throw std::runtime_error("liblzma refused the LZMA options");
  TBytes data;
  try {
    data = RunEncoder(stream, content);
  } catch (...) {
    lzma_end(&stream);
    throw;
  }
  lzma_end(&stream);

  TBytes out;
  out.push_back(options.propertiesByte.value_or(uint8_t((options.pb * 5 + options.lp) * 9 + options.lc)));
  AppendLE32(out, options.dictionaryField.value_or(dictionary));
  AppendBytes(out, data);
  return out;
}

TBytes FrameBlock(const TBytes& blockData, bool compressedFlag) {
  TBytes out(kBlockHeaderSize);
  size_t chunks = (blockData.size() + kChunkDataSize - 1) / kChunkDataSize;
  uint64_t stored = blockData.size() + 4 * chunks;
  if (stored > UINT32_MAX) throw std::runtime_error("block larger than 4 GiB");
  StoreLE32(out.data() + 4, uint32_t(stored));
  out[8] = compressedFlag ? 1 : 0;
  StoreLE32(out.data(), Crc32(out.data() + 4, 5));
  out.reserve(kBlockHeaderSize + stored);
  for (size_t at = 0; at < blockData.size(); at += kChunkDataSize) {
    size_t n = std::min<size_t>(kChunkDataSize, blockData.size() - at);
    AppendLE32(out, Crc32(blockData.data() + at, n));
    out.insert(out.end(), blockData.begin() + long(at), blockData.begin() + long(at + n));
  }
  return out;
}

TBytes BuildBlock(const TBytes& content, const TBlockOptions& options) {
  return options.compressed ? FrameBlock(EncodeLzmaStream(content, options.lzma), true) : FrameBlock(content, false);
}

void AppendItem(TBytes& content, const TBytes& item) {
  if (item.size() > INT32_MAX) throw std::runtime_error("item larger than 2 GiB");
  AppendLE32(content, uint32_t(item.size()));
  AppendBytes(content, item);
}

namespace {

TBytes BuildBlock0(const TArchiveInput& input) {
  TBytes content;
  AppendItem(content, input.script);
  for (const TResourceItem& resource : input.resources) AppendItem(content, resource.bytes);
  return BuildBlock(content, input.block0);
}

// The file data area, and in per-file mode the length of every file's block.
TBytes BuildDataArea(const TArchiveInput& input, std::vector<uint64_t>& storedSizes) {
  TBytes area;
  if (input.solid) {
    TBytes content;
    for (const TBytes& file : input.files) AppendItem(content, file);
    if (!input.files.empty()) area = BuildBlock(content, input.fileBlocks);
    return area;
  }
  for (const TBytes& block : BuildFileBlocks(input.files, input.fileBlocks, input.jobs, input.progress)) {
    storedSizes.push_back(block.size());
    AppendBytes(area, block);
  }
  return area;
}

}  // namespace

TSetupImage BuildSetupImage(const TArchiveInput& input) {
  if (input.resources.size() + 1 > 255) throw std::runtime_error("more than 254 resource items");
  const TBytes block0 = BuildBlock0(input);
  std::vector<uint64_t> storedSizes;
  const TBytes area = BuildDataArea(input, storedSizes);
  size_t share = area.size();
  if (!input.solid && input.diskSize > 0) share = size_t(std::min<uint64_t>(input.diskSize, area.size()));

  // Signing tools pad a file to a multiple of 8 bytes before they append the
  // certificate table; a setup that already has that length signs without
  // a gap after its trailer. The padding goes before block 0.
  const size_t tail = block0.size() + share + 8 * storedSizes.size() + input.resources.size() + 1 + kTrailerSize;
  const size_t padding = (8 - (input.stub.size() + tail) % 8) % 8;

  TSetupImage image;
  image.executable = input.stub;
  image.executable.resize(input.stub.size() + padding, 0);
  TArchiveTrailer trailer;
  trailer.itemCount = uint8_t(input.resources.size() + 1);
  trailer.block0Offset = image.executable.size();
  trailer.block0Length = block0.size();
  AppendBytes(image.executable, block0);

  trailer.dataOffset = image.executable.size();
  trailer.dataSize = share;
  image.executable.insert(image.executable.end(), area.begin(), area.begin() + long(share));
  for (size_t at = share; at < area.size(); at += size_t(input.diskSize)) {
    size_t n = size_t(std::min<uint64_t>(input.diskSize, area.size() - at));
    image.disks.emplace_back(area.begin() + long(at), area.begin() + long(at + n));
  }

  trailer.storedSizeCount = storedSizes.size();
  for (uint64_t size : storedSizes) AppendLE64(image.executable, size);
  image.executable.push_back(0);  // the script's code, never looked at
  for (const TResourceItem& resource : input.resources) image.executable.push_back(resource.code);
  trailer.endMark = kTrailerEndMark;
  uint8_t raw[kTrailerSize];
  EncodeArchiveTrailer(trailer, raw);
  image.executable.insert(image.executable.end(), raw, raw + kTrailerSize);
  return image;
}
