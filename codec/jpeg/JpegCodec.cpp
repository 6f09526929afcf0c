#include "codec/jpeg/JpegCodec.h"

bool JpegCodec::Decode(PictureFile&) {
  SetError("Jpeg: not supported");
  return false;
}

bool JpegCodec::Encode(PictureFile&) {
  SetError("Jpeg: not supported");
  return false;
}
