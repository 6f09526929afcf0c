// The PCX codec: 1-bit monochrome, 2- and 4-bit and planar EGA colours,
// 8-bit with the 256-colour palette (or grey), and 24/32-bit colour in three
// or four planes, raw or run-length encoded. PCX has only a one-byte
// signature, so the decoder checks the whole header before taking a file.
#pragma once

#include "codec/Picture.h"

class PcxCodec : public Picture {
 public:
  PcxCodec() : Picture(kImagePcx) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Encodes this picture at the stream's current position; false with an error text.
  bool Encode(PictureFile& file) override;
};
