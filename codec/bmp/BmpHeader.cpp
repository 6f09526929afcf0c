#include "codec/bmp/BmpHeader.h"

#include <climits>
#include <vector>

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A mask must be one run of set bits; false otherwise.
bool MakeMask(uint32_t mask, BmpMask& out) {
  out = BmpMask{mask, 0, 0};
  if (mask == 0) return true;
  while (!((mask >> out.shift) & 1)) ++out.shift;
  while (out.shift + out.bits < 32 && ((mask >> (out.shift + out.bits)) & 1)) ++out.bits;
  uint64_t run = ((uint64_t{1} << out.bits) - 1) << out.shift;
  return run == mask;
}

bool ValidDepthAndCompression(int bits, uint32_t compression) {
  switch (compression) {
    case kBmpRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kBmpRle8:
      return bits == 8;
    case kBmpRle4:
      return bits == 4;
    case kBmpBitfields:
    case kBmpAlphaBitfields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

int DpiFromPixelsPerMetre(int32_t ppm) {
  if (ppm <= 0 || ppm > 4000000) return 96;
  return static_cast<int>(ppm * 0.0254 + 0.5);
}

// The channel masks: from the header (or the fields after it), or the defaults.
bool ReadMasks(PictureFile& file, uint32_t info_size, const uint8_t* info, BmpHeader& h) {
  uint32_t masks[4] = {0, 0, 0, 0};
  if (h.compression == kBmpBitfields || h.compression == kBmpAlphaBitfields) {
    int count = h.compression == kBmpAlphaBitfields ? 4 : 3;
    if (info_size >= 52) {
      for (int i = 0; i < count && 40u + i * 4u + 4u <= info_size; ++i) masks[i] = U32(info + 40 + i * 4);
      if (info_size >= 56) masks[3] = U32(info + 52);
    } else {
      uint8_t extra[16];
      if (!file.ReadExact(extra, count * 4)) return false;
      for (int i = 0; i < count; ++i) masks[i] = U32(extra + i * 4);
    }
  } else if (h.bit_count == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (h.bit_count == 32) {
    // The fourth byte of a plain 32-bit pixel is read as alpha, as other
    // readers do; an all-zero channel is taken as opaque by the decoder.
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0xFF000000u;
  }
  if (h.bit_count == 16) {
    for (uint32_t& m : masks) m &= 0xFFFF;
  }
  return MakeMask(masks[0], h.red) && MakeMask(masks[1], h.green) && MakeMask(masks[2], h.blue) &&
         MakeMask(masks[3], h.alpha);
}

}  // namespace

bool ReadBmpHeader(PictureFile& file, BmpHeader& h) {
  int64_t start = file.Tell();
  uint8_t fh[14];
  uint8_t info[124];
  if (!file.ReadExact(fh, 14) || fh[0] != 'B' || fh[1] != 'M' || !file.ReadExact(info, 4)) return false;
  uint32_t info_size = U32(info);
  if (info_size != 12 && info_size != 40 && info_size != 52 && info_size != 56 && info_size != 64 &&
      info_size != 108 && info_size != 124)
    return false;
  if (!file.ReadExact(info + 4, info_size - 4)) return false;
  int32_t height = 0;
  int planes = 0;
  if (info_size == 12) {
    h.core = true;
    h.width = U16(info + 4);
    height = U16(info + 6);
    planes = U16(info + 8);
    h.bit_count = U16(info + 10);
  } else {
    h.width = static_cast<int32_t>(U32(info + 4));
    height = static_cast<int32_t>(U32(info + 8));
    planes = U16(info + 12);
    h.bit_count = U16(info + 14);
    h.compression = U32(info + 16);
    h.x_dpi = DpiFromPixelsPerMetre(static_cast<int32_t>(U32(info + 24)));
    h.y_dpi = DpiFromPixelsPerMetre(static_cast<int32_t>(U32(info + 28)));
    h.colours_used = static_cast<int>(U32(info + 32) > 65536 ? 65536 : U32(info + 32));
  }
  if (planes != 1 || !ValidDepthAndCompression(h.bit_count, h.compression) || h.width <= 0 || height == 0 ||
      height == INT32_MIN)
    return false;
  h.top_down = height < 0;
  h.height = height < 0 ? -height : height;
  if (h.bit_count <= 8) {
    int full = 1 << h.bit_count;
    if (h.colours_used == 0 || h.colours_used > full) h.colours_used = full;
  } else {
    h.colours_used = 0;
  }
  if (!ReadMasks(file, info_size, info, h)) return false;
  int64_t table_end = file.Tell();
  int64_t offset = U32(fh + 10);
  h.pixel_offset = offset;
  // Headers that give no pixel offset mean "right after the colour table".
  int64_t after_table = 14 + info_size + static_cast<int64_t>(h.colours_used) * (h.core ? 3 : 4);
  if (offset == 0) h.pixel_offset = after_table + (table_end - start - 14 - static_cast<int64_t>(info_size));
  if (h.pixel_offset < 14 + static_cast<int64_t>(info_size)) return false;
  h.error = nullptr;
  return true;
}

bool WriteBmpHeader(PictureFile& file, const Picture& picture, bool with_alpha) {
  int bits = with_alpha ? 32 : picture.BitsPerPixel();
  uint32_t info_size = with_alpha ? 108 : 40;
  uint32_t colours = bits <= 8 ? (1u << bits) : 0;
  uint64_t row = ((static_cast<uint64_t>(picture.Width()) * bits + 31) / 32) * 4;
  uint64_t image = row * static_cast<uint64_t>(picture.Height());
  uint64_t offset = 14 + info_size + colours * 4;
  if (offset + image > UINT32_MAX) return false;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(offset + image));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(offset));
  Put32(out, info_size);
  Put32(out, static_cast<uint32_t>(picture.Width()));
  Put32(out, static_cast<uint32_t>(picture.Height()));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, with_alpha ? kBmpBitfields : kBmpRgb);
  Put32(out, static_cast<uint32_t>(image));
  Put32(out, static_cast<uint32_t>(picture.XDpi() / 0.0254 + 0.5));
  Put32(out, static_cast<uint32_t>(picture.YDpi() / 0.0254 + 0.5));
  Put32(out, colours);
  Put32(out, 0);
  if (with_alpha) {
    for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(out, mask);
    Put32(out, 0x73524742);                      // colour space "sRGB"
    for (int i = 0; i < 12; ++i) Put32(out, 0);  // end points and gamma, unused with sRGB
  }
  for (uint32_t i = 0; i < colours; ++i) {
    RgbQuad c = i < picture.Palette().size() ? picture.Palette()[i] : RgbQuad{};
    out.insert(out.end(), {c.blue, c.green, c.red, 0});
  }
  return file.WriteAll(out.data(), out.size());
}
