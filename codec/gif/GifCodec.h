// The GIF codec: decodes a GIF stream into a Picture and encodes one.
#pragma once

#include "codec/Picture.h"

class GifCodec : public Picture {
 public:
  GifCodec() : Picture(kImageGif) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Encodes this picture at the stream's current position; false with an error text.
  bool Encode(PictureFile& file) override;
};
