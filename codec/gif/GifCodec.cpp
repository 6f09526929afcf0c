#include "codec/gif/GifCodec.h"

bool GifCodec::Decode(PictureFile&) {
  SetError("Gif: not supported");
  return false;
}

bool GifCodec::Encode(PictureFile&) {
  SetError("Gif: not supported");
  return false;
}
