#include "codec/png/PngCodec.h"

bool PngCodec::Decode(PictureFile&) {
  SetError("Png: not supported");
  return false;
}

bool PngCodec::Encode(PictureFile&) {
  SetError("Png: not supported");
  return false;
}
