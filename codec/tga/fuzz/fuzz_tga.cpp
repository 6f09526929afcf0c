// Feeds arbitrary bytes to the TGA decoder and, when they decode, encodes the result again.
#include <cstddef>
#include <cstdint>

#include "codec/MemoryPictureFile.h"
#include "codec/tga/TgaCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryPictureFile file(data, size);
  TgaCodec codec;
  if (codec.Decode(file)) {
    MemoryPictureFile sink;
    codec.Encode(sink);
  }
  return 0;
}
