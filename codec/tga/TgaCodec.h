// The TGA codec: colour-mapped, true-colour (15, 16, 24, 32 bits) and grey
// pictures, raw or run-length encoded, in either vertical and horizontal order.
// TGA files carry no signature, so the decoder checks every header field
// before it takes a file as TGA: detection tries it among the last formats.
#pragma once

#include "codec/Picture.h"

class TgaCodec : public Picture {
 public:
  TgaCodec() : Picture(kImageTga) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Encodes this picture at the stream's current position; false with an error text.
  bool Encode(PictureFile& file) override;

  // Whether Encode writes run-length encoded pixels (the default) or raw ones.
  void SetRunLengthEncoding(bool on) { run_length_ = on; }

 private:
  bool run_length_ = true;
};
