// The PSD codec: reads the composite (merged) image of a Photoshop file —
// bitmap, grey, duotone, indexed, RGB and CMYK modes at 1, 8 or 16 bits, raw
// or PackBits — and writes grey, indexed and RGB(A) files. Layers are skipped
// on reading and not written.
#pragma once

#include "codec/Picture.h"

class PsdCodec : public Picture {
 public:
  PsdCodec() : Picture(kImagePsd) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Encodes this picture at the stream's current position; false with an error text.
  bool Encode(PictureFile& file) override;

  // Whether Encode compresses the channels with PackBits (the default) or writes them raw.
  void SetPackBits(bool on) { pack_bits_ = on; }

 private:
  bool pack_bits_ = true;
};
