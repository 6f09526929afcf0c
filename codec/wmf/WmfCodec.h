// The WMF codec: reads a Windows metafile (with or without the placeable
// header) and plays it onto a white 24-bit picture with our own player. A
// placeable file gets the size of its frame at 96 dpi; another file the size
// of the window its records set, or 640 × 480. Metafiles cannot be written.
#pragma once

#include "codec/Picture.h"

class WmfCodec : public Picture {
 public:
  // The longest side of a played picture; larger frames are scaled down to it.
  static constexpr int kMaxSide = 4096;

  WmfCodec() : Picture(kImageWmf) {}

  // Decodes the stream from its current position; false with an error text.
  bool Decode(PictureFile& file) override;
  // Always fails: "Save WMF not supported".
  bool Encode(PictureFile& file) override;

  // Lowers the longest side of played pictures (1 to kMaxSide), for callers
  // that want small pictures quickly, such as the fuzzer.
  void SetMaxSide(int side) { max_side_ = side < 1 ? 1 : side > kMaxSide ? kMaxSide : side; }

 private:
  int max_side_ = kMaxSide;
};
