#include "codec/bmp/BmpCodec.h"

bool BmpCodec::Decode(PictureFile&) {
  SetError("Bmp: not supported");
  return false;
}

bool BmpCodec::Encode(PictureFile&) {
  SetError("Bmp: not supported");
  return false;
}
