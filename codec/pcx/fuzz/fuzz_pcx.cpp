// Feeds arbitrary bytes to the PCX decoder and, when they decode, encodes the result again.
#include <cstddef>
#include <cstdint>

#include "codec/MemoryPictureFile.h"
#include "codec/pcx/PcxCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryPictureFile file(data, size);
  PcxCodec codec;
  if (codec.Decode(file)) {
    MemoryPictureFile sink;
    codec.Encode(sink);
  }
  return 0;
}
