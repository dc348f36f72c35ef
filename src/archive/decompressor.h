// The decompressor family: a block reader creates one from a class and feeds
// it through a read procedure.
#pragma once
#include <cstdint>
#include <memory>

// Delivers up to count input bytes into buffer; returns how many (0: no more).
using TReadProc = int32_t (*)(void* context, void* buffer, int32_t count);

class TCustomDecompressor {
public:
  TCustomDecompressor(TReadProc read, void* context) : read_(read), context_(context) {}
  virtual ~TCustomDecompressor() = default;
  TCustomDecompressor(const TCustomDecompressor&) = delete;
  TCustomDecompressor& operator=(const TCustomDecompressor&) = delete;

  // Feeds it from read from now on and makes the next Decompress begin a
  // new stream: one decompressor serves block after block, keeping what it
  // allocated (an LZMA dictionary of the same size) from one to the next.
  void Attach(TReadProc read, void* context) {
    read_ = read;
    context_ = context;
    Reset();
  }
  // Produces up to count bytes of the stream; returns how many.
  virtual int32_t Decompress(void* buffer, int32_t count) = 0;
  // Makes the next Decompress begin a new stream.
  virtual void Reset() = 0;
  // True once the stream was found invalid or damaged; it then delivers nothing.
  virtual bool Failed() const = 0;

protected:
  int32_t ReadInput(void* buffer, int32_t count) { return read_(context_, buffer, count); }

private:
  TReadProc read_;
  void* context_;
};

// A decompressor class: how a block reader is told which kind to create.
using TDecompressorClass = std::unique_ptr<TCustomDecompressor> (*)(TReadProc read, void* context);
