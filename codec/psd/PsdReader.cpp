#include "codec/psd/PsdReader.h"

#include "codec/psd/PsdCodec.h"

bool PsdReader::Open(const std::string& path) {
  bitmap_.reset();
  file_ = StdioPictureFile::Open(path, "rb");
  if (!file_) {
    error_ = "PSD: cannot open file";
    return false;
  }
  return true;
}

bool PsdReader::Decode() {
  if (!file_) {
    error_ = "PSD: no file open";
    return false;
  }
  PsdCodec codec;
  bool ok = codec.Decode(*file_);
  file_.reset();
  if (!ok) {
    error_ = codec.LastError();
    return false;
  }
  // A bitmap is always 24 bits; palette and bitmap-mode files are expanded.
  if (codec.BitsPerPixel() != 24 && !codec.ConvertTo24Bits()) {
    error_ = codec.LastError();
    return false;
  }
  bitmap_ = std::make_unique<Picture>(kImagePsd);
  bitmap_->Swap(codec);
  return true;
}

std::unique_ptr<Picture> PsdReader::ReadFile(const std::string& path, std::string* error) {
  PsdReader reader;
  if (!reader.Open(path) || !reader.Decode()) {
    if (error) *error = reader.LastError();
    return nullptr;
  }
  return reader.DetachBitmap();
}
