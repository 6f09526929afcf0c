// Feeds arbitrary bytes to the metafile decoder and player.
#include <cstddef>
#include <cstdint>

#include "codec/MemoryPictureFile.h"
#include "codec/wmf/WmfCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryPictureFile file(data, size);
  WmfCodec codec;
  codec.SetMaxSide(256);  // the player's paths, not big pictures, are what is tested
  codec.Decode(file);
  return 0;
}
