#include "codec/Picture.h"

#include <algorithm>
#include <utility>

#include "codec/MemoryPictureFile.h"
#include "codec/StdioPictureFile.h"
#include "codec/bmp/BmpCodec.h"
#include "codec/gif/GifCodec.h"
#include "codec/jpeg/JpegCodec.h"
#include "codec/png/PngCodec.h"

// The codecs of TGA, PCX, WMF and PSD live in their own folders; a tree
// without one of them still builds and simply cannot read that format.
#if __has_include("codec/tga/TgaCodec.h")
#include "codec/tga/TgaCodec.h"
#define TESSEL_HAVE_TGA 1
#endif
#if __has_include("codec/pcx/PcxCodec.h")
#include "codec/pcx/PcxCodec.h"
#define TESSEL_HAVE_PCX 1
#endif
#if __has_include("codec/wmf/WmfCodec.h")
#include "codec/wmf/WmfCodec.h"
#define TESSEL_HAVE_WMF 1
#endif
#if __has_include("codec/psd/PsdCodec.h")
#include "codec/psd/PsdCodec.h"
#define TESSEL_HAVE_PSD 1
#endif

namespace {

constexpr const char* kUnknownFormat = "Decode: Unknown or wrong format";
constexpr const char* kEncodeUnknown = "Encode: Unknown format";
constexpr const char* kSaveWmf = "Save WMF not supported";
constexpr const char* kNoResource = "Unable to load resource!";

// Decodes with one codec class; on success the codec's pixels move into target.
template <class Codec>
bool DecodeWith(Picture& target, PictureFile& file) {
  Codec codec;
  codec.SetJpegQuality(target.JpegQuality());
  if (!codec.Decode(file)) {
    target.SetError(codec.LastError().empty() ? kUnknownFormat : codec.LastError());
    return false;
  }
  codec.SetError("");
  target.Swap(codec);
  return true;
}

// Encodes with one codec class; the picture's pixels are lent to the codec
// (by swapping, so nothing is copied) and returned afterwards.
template <class Codec>
bool EncodeWith(Picture& source, PictureFile& file) {
  Codec codec;
  codec.Swap(source);
  bool ok = codec.Encode(file);
  std::string error = codec.LastError();
  codec.Swap(source);
  if (!ok) source.SetError(error.empty() ? "Encode: failed" : error);
  return ok;
}

// Decodes with the codec of one type; false (without an error text) for a
// type whose codec is missing.
bool DecodeOneType(Picture& target, PictureFile& file, int type) {
  switch (type) {
    case kImageBmp:
      return DecodeWith<BmpCodec>(target, file);
    case kImageGif:
      return DecodeWith<GifCodec>(target, file);
    case kImageJpeg:
      return DecodeWith<JpegCodec>(target, file);
    case kImagePng:
      return DecodeWith<PngCodec>(target, file);
#ifdef TESSEL_HAVE_TGA
    case kImageTga:
      return DecodeWith<TgaCodec>(target, file);
#endif
#ifdef TESSEL_HAVE_PCX
    case kImagePcx:
      return DecodeWith<PcxCodec>(target, file);
#endif
#ifdef TESSEL_HAVE_WMF
    case kImageWmf:
      return DecodeWith<WmfCodec>(target, file);
#endif
#ifdef TESSEL_HAVE_PSD
    case kImagePsd:
      return DecodeWith<PsdCodec>(target, file);
#endif
    default:
      target.SetError(kUnknownFormat);
      return false;
  }
}

// Tries the formats in detection order, each from the same start position.
// PSD is not among them: its files are only read when named as PSD.
bool Detect(Picture& target, PictureFile& file, int64_t start) {
  static constexpr int kOrder[] = {kImageBmp, kImageJpeg, kImageGif, kImagePng,
                                   kImageTga, kImagePcx,  kImageWmf};
  for (int type : kOrder) {
    if (!file.Seek(start, PictureFile::kFromStart)) break;
    if (DecodeOneType(target, file, type)) return true;
  }
  target.SetError(kUnknownFormat);
  return false;
}

}  // namespace

Picture::Picture(int type) : type_(type) {}
Picture::~Picture() = default;
Picture::Picture(const Picture& other) = default;
Picture& Picture::operator=(const Picture& other) = default;

Picture::Picture(Picture&& other) noexcept { Swap(other); }

Picture& Picture::operator=(Picture&& other) noexcept {
  if (this != &other) {
    Picture empty;
    Swap(empty);
    Swap(other);
  }
  return *this;
}

void Picture::Swap(Picture& other) noexcept {
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(bpp_, other.bpp_);
  std::swap(stride_, other.stride_);
  pixels_.swap(other.pixels_);
  palette_.swap(other.palette_);
  alpha_.swap(other.alpha_);
  std::swap(transparent_index_, other.transparent_index_);
  std::swap(jpeg_quality_, other.jpeg_quality_);
  std::swap(x_dpi_, other.x_dpi_);
  std::swap(y_dpi_, other.y_dpi_);
  std::swap(type_, other.type_);
  last_error_.swap(other.last_error_);
}

bool Picture::ComputeLayout(int width, int height, int bits_per_pixel, size_t& stride, size_t& total) {
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension) return false;
  if (bits_per_pixel != 1 && bits_per_pixel != 4 && bits_per_pixel != 8 && bits_per_pixel != 24) return false;
  // Both factors are capped above, so these products fit in 64 bits.
  size_t row_bits = static_cast<size_t>(width) * static_cast<size_t>(bits_per_pixel);
  stride = ((row_bits + 31) / 32) * 4;
  total = stride * static_cast<size_t>(height);
  return total <= kMaxPixelBytes;
}

bool Picture::Create(int width, int height, int bits_per_pixel) {
  size_t stride = 0, total = 0;
  if (!ComputeLayout(width, height, bits_per_pixel, stride, total)) {
    SetError("Picture: size or depth not supported");
    return false;
  }
  Clear();
  pixels_.assign(total, 0);
  width_ = width;
  height_ = height;
  bpp_ = bits_per_pixel;
  stride_ = stride;
  if (bits_per_pixel <= 8) {
    int colours = 1 << bits_per_pixel;
    palette_.resize(colours);
    for (int i = 0; i < colours; ++i) {
      uint8_t level = static_cast<uint8_t>(i * 255 / (colours - 1));
      palette_[i] = RgbQuad{level, level, level, 0};
    }
  }
  return true;
}

void Picture::Clear() {
  pixels_.clear();
  palette_.clear();
  alpha_.clear();
  width_ = height_ = bpp_ = 0;
  stride_ = 0;
  transparent_index_ = -1;
}

void Picture::CreateAlpha() {
  if (alpha_.empty() && HasPixels()) alpha_.assign(static_cast<size_t>(width_) * height_, 255);
}

void Picture::PixelRgba(int x, int y, uint8_t rgba[4]) const {
  const uint8_t* row = Row(y);
  int index = -1;
  switch (bpp_) {
    case 1:
      index = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    case 4:
      index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
      break;
    case 8:
      index = row[x];
      break;
    default:
      rgba[0] = row[x * 3 + 2];
      rgba[1] = row[x * 3 + 1];
      rgba[2] = row[x * 3];
      break;
  }
  if (index >= 0) {
    RgbQuad c = index < static_cast<int>(palette_.size()) ? palette_[index] : RgbQuad{};
    rgba[0] = c.red;
    rgba[1] = c.green;
    rgba[2] = c.blue;
  }
  rgba[3] = HasAlpha() ? AlphaRow(y)[x] : 255;
  if (index >= 0 && index == transparent_index_) rgba[3] = 0;
}

bool Picture::HasGreyRampPalette() const {
  if (bpp_ != 8 || palette_.size() != 256) return false;
  for (int i = 0; i < 256; ++i) {
    const RgbQuad& q = palette_[i];
    if (q.red != i || q.green != i || q.blue != i) return false;
  }
  return true;
}

bool Picture::ConvertTo24Bits() {
  if (!HasPixels()) return false;
  if (bpp_ == 24) return true;
  Picture out;
  if (!out.Create(width_, height_, 24)) return false;
  bool keyed = transparent_index_ >= 0;
  if (keyed || HasAlpha()) out.CreateAlpha();
  for (int y = 0; y < height_; ++y) {
    uint8_t* dst = out.Row(y);
    for (int x = 0; x < width_; ++x) {
      uint8_t rgba[4];
      PixelRgba(x, y, rgba);
      dst[x * 3] = rgba[2];
      dst[x * 3 + 1] = rgba[1];
      dst[x * 3 + 2] = rgba[0];
      if (out.HasAlpha()) out.AlphaRow(y)[x] = rgba[3];
    }
  }
  out.CopySettingsFrom(*this);
  out.transparent_index_ = -1;
  Swap(out);
  return true;
}

void Picture::CopySettingsFrom(const Picture& other) {
  jpeg_quality_ = other.jpeg_quality_;
  x_dpi_ = other.x_dpi_;
  y_dpi_ = other.y_dpi_;
  type_ = other.type_;
}

bool Picture::DecodeByType(PictureFile& file, int type) {
  int64_t start = file.Tell();
  if (start < 0) start = 0;
  if (type >= kImageBmp && type <= kImagePsd) {
    if (DecodeOneType(*this, file, type)) {
      type_ = type;
      return true;
    }
    std::string kept = LastError();
    if (!Detect(*this, file, start)) {
      Clear();
      SetError(kept.empty() ? kUnknownFormat : kept);
      return false;
    }
    return true;
  }
  if (type != kImageUnknown) {
    Clear();
    SetError(kUnknownFormat);
    return false;
  }
  if (!Detect(*this, file, start)) {
    Clear();
    return false;
  }
  return true;
}

bool Picture::EncodeByType(PictureFile& file, int type) {
  if (!HasPixels()) {
    SetError("Encode: no image");
    return false;
  }
  switch (type) {
    case kImageBmp:
      return EncodeWith<BmpCodec>(*this, file);
    case kImageGif:
      return EncodeWith<GifCodec>(*this, file);
    case kImageJpeg:
      return EncodeWith<JpegCodec>(*this, file);
    case kImagePng:
      return EncodeWith<PngCodec>(*this, file);
#ifdef TESSEL_HAVE_TGA
    case kImageTga:
      return EncodeWith<TgaCodec>(*this, file);
#endif
#ifdef TESSEL_HAVE_PCX
    case kImagePcx:
      return EncodeWith<PcxCodec>(*this, file);
#endif
#ifdef TESSEL_HAVE_PSD
    case kImagePsd:
      return EncodeWith<PsdCodec>(*this, file);
#endif
    case kImageWmf:
      SetError(kSaveWmf);
      return false;
    default:
      SetError(kEncodeUnknown);
      return false;
  }
}

bool Picture::Decode(PictureFile& file) { return DecodeByType(file, type_); }
bool Picture::Encode(PictureFile& file) { return EncodeByType(file, type_); }

bool Picture::LoadFromFile(const std::string& path, int type) {
  auto file = StdioPictureFile::Open(path, "rb");
  if (!file) {
    Clear();
    SetError("Decode: cannot open file");
    return false;
  }
  return DecodeByType(*file, type);
}

bool Picture::LoadFromMemory(const void* data, size_t size, int type) {
  MemoryPictureFile file(data, size);
  return DecodeByType(file, type);
}

bool Picture::LoadFromResource(const void* data, size_t size, int type) {
  if (data == nullptr || size == 0) {
    Clear();
    SetError(kNoResource);
    return false;
  }
  return LoadFromMemory(data, size, type);
}

bool Picture::SaveToFile(const std::string& path, int type) {
  // NOTE: the picture is encoded in memory first and the file is opened only
  // when that worked, so a failed encoding (say, a WMF) never truncates an
  // existing file such as a previous edited copy or a cached thumbnail.
  MemoryPictureFile encoded;
  if (!EncodeByType(encoded, type)) return false;
  auto file = StdioPictureFile::Open(path, "wb");
  if (!file) {
    SetError("Save: cannot open file");
    return false;
  }
  const std::vector<uint8_t>& bytes = encoded.Buffer();
  if (!file->WriteAll(bytes.data(), bytes.size()) || !file->Close()) {
    SetError("Save: write failed");
    return false;
  }
  return true;
}

bool Picture::SaveToMemory(std::vector<uint8_t>& out, int type) {
  MemoryPictureFile sink;
  if (!EncodeByType(sink, type)) return false;
  out = sink.TakeBuffer();
  return true;
}
