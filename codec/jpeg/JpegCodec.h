// The JPEG codec: decodes a JPEG stream into a Picture and encodes one.
#pragma once

#include "codec/Picture.h"
#include "codec/RowSink.h"

class JpegCodec : public Picture {
 public:
  JpegCodec() : Picture(kImageJpeg) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Decodes the stream row by row into sink (always blue-green-red) instead of
  // into this picture; false with an error text.
  bool DecodeRows(PictureFile& file, RowSink& sink);
  // Encodes this picture at the stream's current position; false with an error text.
  bool Encode(PictureFile& file) override;
};
