#include "codec/psd/PsdCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 26;
constexpr int kMaxSide = 30000;  // the largest side a version-1 file may have
constexpr int kMaxChannels = 56;

// Colour modes of the header.
enum Mode : int { kBitmap = 0, kGreyscale = 1, kIndexed = 2, kRgb = 3, kCmyk = 4, kDuotone = 8 };

// Compression of the image data section.
enum Compression : int { kRaw = 0, kPackBits = 1 };

struct Header {
  int channels = 0;
  int width = 0;
  int height = 0;
  int depth = 0;
  int mode = 0;
  size_t RowBytes() const {
    return depth == 1 ? (static_cast<size_t>(width) + 7) / 8 : static_cast<size_t>(width) * (depth / 8);
  }
};

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) | (p[2] << 8) | p[3];
}

void PutBe16(std::vector<uint8_t>& out, int v) { out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

int ColourChannels(int mode) {
  switch (mode) {
    case kRgb:
      return 3;
    case kCmyk:
      return 4;
    default:
      return 1;
  }
}

const char* ParseHeader(const uint8_t* raw, Header& h) {
  if (std::memcmp(raw, "8BPS", 4) != 0) return "PSD: not a Photoshop file";
  if (Be16(raw + 4) != 1) return "PSD: unsupported version";
  h.channels = Be16(raw + 12);
  h.height = static_cast<int>(std::min<uint32_t>(Be32(raw + 14), kMaxSide + 1));
  h.width = static_cast<int>(std::min<uint32_t>(Be32(raw + 18), kMaxSide + 1));
  h.depth = Be16(raw + 22);
  h.mode = Be16(raw + 24);
  if (h.channels < 1 || h.channels > kMaxChannels) return "PSD: bad channel count";
  if (h.width < 1 || h.height < 1 || h.width > kMaxSide || h.height > kMaxSide) return "PSD: bad image size";
  switch (h.mode) {
    case kBitmap:
      if (h.depth != 1) return "PSD: bad bitmap depth";
      break;
    case kGreyscale:
    case kDuotone:
    case kRgb:
    case kCmyk:
      if (h.depth != 8 && h.depth != 16) return "PSD: unsupported depth";
      break;
    case kIndexed:
      if (h.depth != 8) return "PSD: bad indexed depth";
      break;
    default:
      return "PSD: colour mode not supported";
  }
  if (h.channels < ColourChannels(h.mode)) return "PSD: too few channels";
  return nullptr;
}

bool ReadBe32(PictureFile& file, uint32_t& value) {
  uint8_t b[4];
  if (!file.ReadExact(b, 4)) return false;
  value = Be32(b);
  return true;
}

// Skips n bytes, refusing to move past the end of a stream of known length.
bool Skip(PictureFile& file, uint64_t n) {
  int64_t size = file.Size();
  if (size >= 0 && n > static_cast<uint64_t>(file.Remaining())) return false;
  return file.Seek(static_cast<int64_t>(n), PictureFile::kFromCurrent);
}

// Reads the layer and mask section and tells whether the composite image's
// first extra channel holds its transparency: that is so when the layer count
// is negative. Otherwise an extra channel is a saved selection, not alpha.
bool ReadLayerSection(PictureFile& file, bool& extra_is_alpha) {
  uint32_t length = 0;
  if (!ReadBe32(file, length)) return false;
  extra_is_alpha = false;
  if (length == 0) return true;
  uint32_t layer_info = 0;
  uint8_t count[2];
  if (length < 6 || !ReadBe32(file, layer_info)) return Skip(file, length);
  if (layer_info >= 2) {
    if (!file.ReadExact(count, 2)) return false;
    extra_is_alpha = static_cast<int16_t>(Be16(count)) < 0;
    return Skip(file, length - 6);
  }
  return Skip(file, length - 4);
}

// The composite image of a file with transparency is matted against white;
// this takes the white back out of one colour sample. The arithmetic runs at
// 16 bits a sample so that the result agrees with other readers to the level.
uint8_t Unmatte(uint8_t sample, uint8_t alpha) {
  if (alpha == 0 || alpha == 255) return sample;
  double coverage = alpha / 255.0;
  double value = (sample * 257.0 - (1.0 - coverage) * 65535.0) / coverage;
  unsigned wide = static_cast<unsigned>(std::clamp(value, 0.0, 65535.0) + 0.5);
  return static_cast<uint8_t>(((wide + 128) - ((wide + 128) >> 8)) >> 8);
}

// The opposite of Unmatte: a colour sample over white.
uint8_t Matte(uint8_t sample, uint8_t alpha) {
  return static_cast<uint8_t>((sample * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Unpacks one PackBits row of row_bytes bytes; runs past the row's end are
// clipped, a row whose data ends early is refused.
bool UnpackBitsRow(const uint8_t* src, size_t size, uint8_t* row, size_t row_bytes) {
  size_t in = 0, out = 0;
  while (out < row_bytes) {
    if (in >= size) return false;
    int n = static_cast<int8_t>(src[in++]);
    if (n == -128) continue;
    if (n >= 0) {
      size_t count = static_cast<size_t>(n) + 1;
      if (size - in < std::min(count, row_bytes - out)) return false;
      size_t take = std::min(count, row_bytes - out);
      std::memcpy(row + out, src + in, take);
      in += std::min(count, size - in);
      out += take;
    } else {
      if (in >= size) return false;
      size_t take = std::min(static_cast<size_t>(1 - n), row_bytes - out);
      std::memset(row + out, src[in++], take);
      out += take;
    }
  }
  return true;
}

// Reads the first `wanted` channel planes of the composite image, each
// height × RowBytes bytes.
const char* ReadPlanes(PictureFile& file, const Header& h, int wanted,
                       std::vector<std::vector<uint8_t>>& planes) {
  uint8_t raw[2];
  if (!file.ReadExact(raw, 2)) return "PSD: image data missing";
  int compression = Be16(raw);
  size_t row_bytes = h.RowBytes();
  size_t plane_bytes = row_bytes * static_cast<size_t>(h.height);
  int64_t remaining = file.Remaining();
  if (compression == kRaw) {
    if (remaining > 0 && static_cast<uint64_t>(remaining) < plane_bytes * wanted)
      return "PSD: image data truncated";
    planes.assign(wanted, std::vector<uint8_t>(plane_bytes));
    for (auto& plane : planes) {
      if (!file.ReadExact(plane.data(), plane_bytes)) return "PSD: image data truncated";
    }
    return nullptr;
  }
  if (compression != kPackBits) return "PSD: compression not supported";
  size_t rows = static_cast<size_t>(h.channels) * h.height;
  if (remaining > 0 && static_cast<uint64_t>(remaining) < rows * 2) return "PSD: image data truncated";
  std::vector<uint8_t> counts(rows * 2);
  if (!file.ReadExact(counts.data(), counts.size())) return "PSD: image data truncated";
  // PackBits expands at most 64-fold, so the packed sizes bound what the
  // planes may take before anything large is allocated.
  uint64_t packed_total = 0;
  for (size_t r = 0; r < static_cast<size_t>(wanted) * h.height; ++r)
    packed_total += Be16(counts.data() + r * 2);
  remaining = file.Remaining();
  if (remaining > 0 && static_cast<uint64_t>(remaining) < packed_total) return "PSD: image data truncated";
  planes.assign(wanted, std::vector<uint8_t>(plane_bytes));
  std::vector<uint8_t> packed;
  for (int c = 0; c < wanted; ++c) {
    for (int y = 0; y < h.height; ++y) {
      size_t size = Be16(counts.data() + (static_cast<size_t>(c) * h.height + y) * 2);
      packed.resize(size);
      if (size > 0 && !file.ReadExact(packed.data(), size)) return "PSD: image data truncated";
      if (!UnpackBitsRow(packed.data(), size, planes[c].data() + y * row_bytes, row_bytes)) {
        return "PSD: bad PackBits row";
      }
    }
  }
  return nullptr;
}

// One sample as 8 bits; 16-bit samples are rounded to the nearest level.
uint8_t Sample(const std::vector<uint8_t>& plane, size_t index, int depth) {
  if (depth == 8) return plane[index];
  unsigned v = (plane[index * 2] << 8) | plane[index * 2 + 1];
  return static_cast<uint8_t>((v + 128) / 257);
}

}  // namespace

bool PsdCodec::Decode(PictureFile& file) {
  uint8_t raw[kHeaderSize];
  if (!file.ReadExact(raw, sizeof raw)) {
    SetError("PSD: file too short");
    return false;
  }
  Header h;
  if (const char* why = ParseHeader(raw, h)) {
    SetError(why);
    return false;
  }
  size_t stride = 0, total = 0;
  if (!ComputeLayout(h.width, h.height, 24, stride, total)) {
    SetError("PSD: image too large");
    return false;
  }
  // Colour mode data: the palette of indexed files.
  uint32_t colour_data = 0;
  std::vector<uint8_t> palette;
  if (!ReadBe32(file, colour_data)) {
    SetError("PSD: file truncated");
    return false;
  }
  if (h.mode == kIndexed) {
    if (colour_data < 768) {
      SetError("PSD: palette missing");
      return false;
    }
    palette.resize(768);
    if (!file.ReadExact(palette.data(), 768) || !Skip(file, colour_data - 768)) {
      SetError("PSD: file truncated");
      return false;
    }
  } else if (!Skip(file, colour_data)) {
    SetError("PSD: file truncated");
    return false;
  }
  uint32_t resources = 0;
  bool extra_is_alpha = false;
  if (!ReadBe32(file, resources) || !Skip(file, resources) || !ReadLayerSection(file, extra_is_alpha)) {
    SetError("PSD: file truncated");
    return false;
  }
  int colours = ColourChannels(h.mode);
  bool alpha = extra_is_alpha && h.channels > colours && h.mode != kBitmap;
  std::vector<std::vector<uint8_t>> planes;
  if (const char* why = ReadPlanes(file, h, colours + (alpha ? 1 : 0), planes)) {
    SetError(why);
    return false;
  }

  bool single = (h.mode == kGreyscale || h.mode == kDuotone || h.mode == kIndexed) && !alpha;
  int bits = h.mode == kBitmap ? 1 : single ? 8 : 24;
  if (!Create(h.width, h.height, bits)) return false;
  if (h.mode == kBitmap) {
    // Set bits are black.
    Palette()[0] = RgbQuad{255, 255, 255, 0};
    Palette()[1] = RgbQuad{0, 0, 0, 0};
    for (int y = 0; y < h.height; ++y) std::memcpy(Row(y), planes[0].data() + y * h.RowBytes(), h.RowBytes());
  } else if (single) {
    if (h.mode == kIndexed) {
      for (int i = 0; i < 256; ++i) Palette()[i] = RgbQuad{palette[512 + i], palette[256 + i], palette[i], 0};
    }
    for (int y = 0; y < h.height; ++y) {
      for (int x = 0; x < h.width; ++x)
        Row(y)[x] = Sample(planes[0], static_cast<size_t>(y) * h.width + x, h.depth);
    }
  } else {
    if (alpha) CreateAlpha();
    for (int y = 0; y < h.height; ++y) {
      uint8_t* row = Row(y);
      for (int x = 0; x < h.width; ++x) {
        size_t i = static_cast<size_t>(y) * h.width + x;
        uint8_t r, g, b;
        if (h.mode == kRgb) {
          r = Sample(planes[0], i, h.depth), g = Sample(planes[1], i, h.depth),
          b = Sample(planes[2], i, h.depth);
        } else if (h.mode == kCmyk) {
          // Ink values are stored inverted (255 = no ink).
          unsigned k = Sample(planes[3], i, h.depth);
          r = static_cast<uint8_t>(Sample(planes[0], i, h.depth) * k / 255);
          g = static_cast<uint8_t>(Sample(planes[1], i, h.depth) * k / 255);
          b = static_cast<uint8_t>(Sample(planes[2], i, h.depth) * k / 255);
        } else if (h.mode == kIndexed) {
          uint8_t index = planes[0][i];
          r = palette[index], g = palette[256 + index], b = palette[512 + index];
        } else {
          r = g = b = Sample(planes[0], i, h.depth);
        }
        if (alpha) {
          uint8_t a = Sample(planes[colours], i, h.depth);
          AlphaRow(y)[x] = a;
          r = Unmatte(r, a), g = Unmatte(g, a), b = Unmatte(b, a);
        }
        row[x * 3] = b, row[x * 3 + 1] = g, row[x * 3 + 2] = r;
      }
    }
  }
  SetType(kImagePsd);
  return true;
}

namespace {

// PackBits: runs of two or more equal bytes, literal stretches otherwise, at
// most 128 bytes a packet.
void PackBits(const uint8_t* bytes, size_t size, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < size) {
    size_t run = 1;
    while (i + run < size && run < 128 && bytes[i + run] == bytes[i]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(bytes[i]);
      i += run;
      continue;
    }
    size_t j = i;
    while (j < size && j - i < 128 && !(j + 1 < size && bytes[j] == bytes[j + 1])) ++j;
    out.push_back(static_cast<uint8_t>(j - i - 1));
    out.insert(out.end(), bytes + i, bytes + j);
    i = j;
  }
}

// Writes the layer and mask section for a picture with transparency: one
// layer holding the picture with its alpha (raw channels), and a negative
// layer count, which tells readers that the composite's fourth channel is alpha.
void WriteTransparencyLayer(const std::vector<std::vector<uint8_t>>& rgba, int width, int height,
                            std::vector<uint8_t>& out) {
  uint32_t channel_bytes = static_cast<uint32_t>(2 + rgba[0].size());
  std::vector<uint8_t> info;
  PutBe16(info, -1);
  for (int v : {0, 0}) PutBe32(info, static_cast<uint32_t>(v));  // top, left
  PutBe32(info, static_cast<uint32_t>(height));
  PutBe32(info, static_cast<uint32_t>(width));
  PutBe16(info, 4);
  for (int id : {0, 1, 2, -1}) {
    PutBe16(info, id);
    PutBe32(info, channel_bytes);
  }
  info.insert(info.end(), {'8', 'B', 'I', 'M', 'n', 'o', 'r', 'm', 255, 0, 0, 0});
  PutBe32(info, 12);  // extra data: no mask, no blending ranges, an empty name
  PutBe32(info, 0);
  PutBe32(info, 0);
  PutBe32(info, 0);
  for (int c : {0, 1, 2, 3}) {
    PutBe16(info, kRaw);
    info.insert(info.end(), rgba[c].begin(), rgba[c].end());
  }
  if (info.size() & 1) info.push_back(0);
  PutBe32(out, static_cast<uint32_t>(4 + info.size() + 4));
  PutBe32(out, static_cast<uint32_t>(info.size()));
  out.insert(out.end(), info.begin(), info.end());
  PutBe32(out, 0);  // no global layer mask
}

// The channel planes of a picture: red, green, blue and alpha, or the one plane
// of grey levels or palette indices.
std::vector<std::vector<uint8_t>> ChannelPlanes(const Picture& picture, int mode, int channels) {
  size_t w = static_cast<size_t>(picture.Width());
  std::vector<std::vector<uint8_t>> planes(channels, std::vector<uint8_t>(w * picture.Height()));
  for (int y = 0; y < picture.Height(); ++y) {
    const uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      size_t i = y * w + x;
      if (mode != kRgb) {
        int bpp = picture.BitsPerPixel();
        planes[0][i] = bpp == 8   ? row[x]
                       : bpp == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15
                                  : (row[x >> 3] >> (7 - (x & 7))) & 1;
        continue;
      }
      uint8_t rgba[4];
      picture.PixelRgba(x, y, rgba);
      for (int c = 0; c < channels; ++c) planes[c][i] = rgba[c];
    }
  }
  return planes;
}

}  // namespace

bool PsdCodec::Encode(PictureFile& file) {
  if (!HasPixels()) {
    SetError("PSD: no image");
    return false;
  }
  if (Width() > kMaxSide || Height() > kMaxSide) {
    SetError("PSD: image too large");
    return false;
  }
  bool alpha = HasAlpha() || (TransparentIndex() >= 0 && BitsPerPixel() <= 8);
  int mode = alpha || BitsPerPixel() == 24 ? kRgb : HasGreyRampPalette() ? kGreyscale : kIndexed;
  int channels = ColourChannels(mode) + (alpha ? 1 : 0);

  std::vector<uint8_t> out = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  PutBe16(out, channels);
  PutBe32(out, static_cast<uint32_t>(Height()));
  PutBe32(out, static_cast<uint32_t>(Width()));
  PutBe16(out, 8);
  PutBe16(out, mode);
  if (mode == kIndexed) {
    PutBe32(out, 768);
    std::vector<RgbQuad> palette = Palette();
    palette.resize(256);
    for (const RgbQuad& q : palette) out.push_back(q.red);
    for (const RgbQuad& q : palette) out.push_back(q.green);
    for (const RgbQuad& q : palette) out.push_back(q.blue);
  } else {
    PutBe32(out, 0);
  }
  PutBe32(out, 0);  // no image resources
  std::vector<std::vector<uint8_t>> planes = ChannelPlanes(*this, mode, channels);
  if (alpha) {
    WriteTransparencyLayer(planes, Width(), Height(), out);
    // The composite shows the picture over white, as Photoshop stores it.
    for (size_t i = 0; i < planes[0].size(); ++i) {
      for (int c = 0; c < 3; ++c) planes[c][i] = Matte(planes[c][i], planes[3][i]);
    }
  } else {
    PutBe32(out, 0);  // no layers: the composite image is the picture
  }
  PutBe16(out, pack_bits_ ? kPackBits : kRaw);
  if (pack_bits_) {
    std::vector<uint8_t> counts, packed;
    for (const auto& plane : planes) {
      for (size_t offset = 0; offset < plane.size(); offset += Width()) {
        size_t before = packed.size();
        PackBits(plane.data() + offset, Width(), packed);
        PutBe16(counts, static_cast<int>(packed.size() - before));
      }
    }
    out.insert(out.end(), counts.begin(), counts.end());
    out.insert(out.end(), packed.begin(), packed.end());
  } else {
    for (const auto& plane : planes) out.insert(out.end(), plane.begin(), plane.end());
  }
  if (!file.WriteAll(out.data(), out.size())) {
    SetError("PSD: write failed");
    return false;
  }
  return true;
}
