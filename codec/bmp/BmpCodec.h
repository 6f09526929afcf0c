// The BMP codec: decodes a BMP stream into a Picture and encodes one.
#pragma once

#include "codec/Picture.h"

class BmpCodec : public Picture {
 public:
  BmpCodec() : Picture(kImageBmp) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Encodes this picture at the stream's current position; false with an error text.
  bool Encode(PictureFile& file) override;
};
