// Feeds arbitrary bytes to the BMP decoder; a picture that decodes is also
// turned, fitted onto a canvas and encoded again, so those paths see odd
// sizes and depths too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/bmp/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryPictureFile file(data, size);
  BmpCodec codec;
  if (!codec.Decode(file)) return 0;
  uint8_t rgba[4];
  codec.PixelRgba(codec.Width() - 1, codec.Height() - 1, rgba);
  if (static_cast<int64_t>(codec.Width()) * codec.Height() > 4 * 1024 * 1024) return 0;
  codec.TurnRight();
  MemoryPictureFile sink;
  codec.Encode(sink);
  codec.ShrinkOntoCanvas(17, 11, CanvasColour{255, 255, 255});
  return 0;
}
