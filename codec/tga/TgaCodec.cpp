#include "codec/tga/TgaCodec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";

// Image type codes of the header.
enum : uint8_t {
  kMapped = 1,
  kTrueColour = 2,
  kGrey = 3,
  kMappedRle = 9,
  kTrueColourRle = 10,
  kGreyRle = 11,
};

// Descriptor bits: the low nibble counts alpha bits per pixel.
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kTopDown = 0x20;
constexpr uint8_t kInterleaveMask = 0xC0;

struct Header {
  uint8_t id_length = 0;
  uint8_t map_type = 0;
  uint8_t image_type = 0;
  int map_first = 0;
  int map_length = 0;
  int map_entry_bits = 0;
  int width = 0;
  int height = 0;
  int pixel_bits = 0;
  uint8_t descriptor = 0;

  bool IsRle() const { return image_type >= kMappedRle; }
  uint8_t BaseType() const { return IsRle() ? image_type - 8 : image_type; }
  int AlphaBits() const { return descriptor & 0x0F; }
  int PixelBytes() const { return (pixel_bits + 7) / 8; }
  int MapEntryBytes() const { return (map_entry_bits + 7) / 8; }
};

// A BGRA colour as decoded from the file.
using Bgra = std::array<uint8_t, 4>;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void PutLe16(uint8_t* p, int value) {
  p[0] = static_cast<uint8_t>(value & 0xFF);
  p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

bool IsColourDepth(int bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// Checks every header field; a file of random bytes almost never passes, which
// keeps detection from taking other files for TGA. Returns the failure text or null.
const char* ValidateHeader(const Header& h) {
  uint8_t base = h.BaseType();
  if (h.map_type > 1) return "TGA: bad colour map type";
  if (base != kMapped && base != kTrueColour && base != kGrey) return "TGA: bad image type";
  if (h.image_type != base && h.image_type != base + 8) return "TGA: bad image type";
  if (h.descriptor & kInterleaveMask) return "TGA: interleaved rows are not supported";
  if (h.width <= 0 || h.height <= 0) return "TGA: empty image";
  if (h.map_type == 1) {
    if (!IsColourDepth(h.map_entry_bits) || h.map_length == 0) return "TGA: bad colour map";
  } else if (h.map_length != 0 || h.map_first != 0 ||
             (h.map_entry_bits != 0 && !IsColourDepth(h.map_entry_bits))) {
    return "TGA: colour map fields without a map";
  }
  switch (base) {
    case kMapped:
      if (h.map_type != 1 || h.pixel_bits != 8) return "TGA: bad colour-mapped depth";
      if (h.map_first + h.map_length > 256) return "TGA: colour map too long";
      if (h.AlphaBits() > 8) return "TGA: bad alpha bits";
      break;
    case kTrueColour:
      if (!IsColourDepth(h.pixel_bits)) return "TGA: bad pixel depth";
      if (h.AlphaBits() > (h.pixel_bits == 32 ? 8 : h.pixel_bits == 24 ? 0 : 1)) return "TGA: bad alpha bits";
      break;
    default:
      if (h.pixel_bits != 8 && h.pixel_bits != 16) return "TGA: bad grey depth";
      if (h.AlphaBits() > (h.pixel_bits == 16 ? 8 : 0)) return "TGA: bad alpha bits";
      break;
  }
  return nullptr;
}

Header ParseHeader(const uint8_t* raw) {
  Header h;
  h.id_length = raw[0];
  h.map_type = raw[1];
  h.image_type = raw[2];
  h.map_first = Le16(raw + 3);
  h.map_length = Le16(raw + 5);
  h.map_entry_bits = raw[7];
  h.width = Le16(raw + 12);
  h.height = Le16(raw + 14);
  h.pixel_bits = raw[16];
  h.descriptor = raw[17];
  return h;
}

// Decodes one 15/16/24/32-bit colour; alpha_bits says whether the file's
// alpha (the top bit of a 16-bit value, the fourth byte of 32 bits) counts.
Bgra DecodeColour(const uint8_t* p, int bits, int alpha_bits) {
  if (bits == 15 || bits == 16) {
    int v = Le16(p);
    auto scale = [](int five) { return static_cast<uint8_t>(five * 255 / 31); };
    uint8_t alpha = (alpha_bits > 0 && bits == 16 && !(v & 0x8000)) ? 0 : 255;
    return {scale(v & 0x1F), scale((v >> 5) & 0x1F), scale((v >> 10) & 0x1F), alpha};
  }
  if (bits == 24) return {p[0], p[1], p[2], 255};
  return {p[0], p[1], p[2], p[3]};
}

// Unpacks count pixels of pixel_bytes each, raw or run-length encoded, from
// data into out. Packets that run past the last pixel are clipped; a stream
// that ends before the last pixel is refused.
bool UnpackPixels(const std::vector<uint8_t>& data, bool rle, size_t pixel_bytes, size_t count,
                  std::vector<uint8_t>& out) {
  size_t total = count * pixel_bytes;
  if (!rle) {
    if (data.size() < total) return false;
    out.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(total));
    return true;
  }
  // One packet yields at most 128 pixels: data too short for the picture is
  // refused before the pixels are allocated.
  if (data.size() < total / 128) return false;
  out.assign(total, 0);
  size_t in = 0, done = 0;
  while (done < total) {
    if (in >= data.size()) return false;
    uint8_t packet = data[in++];
    size_t run = static_cast<size_t>(packet & 0x7F) + 1;
    size_t bytes = std::min(run * pixel_bytes, total - done);
    if (packet & 0x80) {
      if (data.size() - in < pixel_bytes) return false;
      for (size_t i = 0; i < bytes; ++i) out[done + i] = data[in + i % pixel_bytes];
      in += pixel_bytes;
    } else {
      if (data.size() - in < bytes) return false;
      std::memcpy(out.data() + done, data.data() + in, bytes);
      in += run * pixel_bytes;
    }
    done += bytes;
  }
  return true;
}

// True when every alpha byte of a 32-bit pixel stream is zero: such files
// declare no alpha and would otherwise be wholly transparent.
bool AllAlphaZero(const std::vector<uint8_t>& pixels) {
  for (size_t i = 3; i < pixels.size(); i += 4) {
    if (pixels[i] != 0) return false;
  }
  return true;
}

}  // namespace

bool TgaCodec::Decode(PictureFile& file) {
  uint8_t raw[kHeaderSize];
  if (!file.ReadExact(raw, sizeof raw)) {
    SetError("TGA: file too short");
    return false;
  }
  Header h = ParseHeader(raw);
  if (const char* why = ValidateHeader(h)) {
    SetError(why);
    return false;
  }
  size_t stride = 0, total = 0;
  if (!ComputeLayout(h.width, h.height, 24, stride, total)) {
    SetError("TGA: image too large");
    return false;
  }
  size_t count = static_cast<size_t>(h.width) * static_cast<size_t>(h.height);
  size_t pixel_bytes = static_cast<size_t>(h.PixelBytes());
  size_t map_bytes = h.map_type ? static_cast<size_t>(h.map_length) * h.MapEntryBytes() : 0;
  size_t raw_bytes = count * pixel_bytes;
  // An RLE stream needs at most one packet byte per pixel on top of the pixels.
  size_t most = h.id_length + map_bytes + (h.IsRle() ? raw_bytes + count : raw_bytes);
  int64_t remaining = file.Remaining();
  if (remaining > 0 && !h.IsRle() && static_cast<uint64_t>(remaining) < most) {
    SetError("TGA: file truncated");
    return false;
  }
  std::vector<uint8_t> data = ReadUpTo(file, most);
  if (data.size() < h.id_length + map_bytes) {
    SetError("TGA: file truncated");
    return false;
  }

  std::vector<Bgra> map(256, Bgra{0, 0, 0, 255});
  bool map_alpha = false;
  if (h.BaseType() == kMapped) {
    const uint8_t* p = data.data() + h.id_length;
    for (int i = 0; i < h.map_length; ++i, p += h.MapEntryBytes()) {
      map[h.map_first + i] = DecodeColour(p, h.map_entry_bits, h.AlphaBits());
      map_alpha = map_alpha || map[h.map_first + i][3] != 255;
    }
    if (h.map_entry_bits == 32 && h.AlphaBits() == 0) map_alpha = false;
  }
  data.erase(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(h.id_length + map_bytes));

  std::vector<uint8_t> pixels;
  if (!UnpackPixels(data, h.IsRle(), pixel_bytes, count, pixels)) {
    SetError("TGA: pixel data truncated");
    return false;
  }
  data = {};

  uint8_t base = h.BaseType();
  bool alpha = false;
  if (base == kMapped) alpha = map_alpha;
  if (base == kGrey) alpha = h.pixel_bits == 16;
  if (base == kTrueColour) {
    alpha = h.pixel_bits == 32 ? !(h.AlphaBits() == 0 && AllAlphaZero(pixels))
                               : (h.pixel_bits == 16 && h.AlphaBits() > 0);
  }
  bool paletted = (base == kMapped || base == kGrey) && !alpha;
  if (!Create(h.width, h.height, paletted ? 8 : 24)) return false;
  if (alpha) CreateAlpha();
  if (base == kMapped && paletted) {
    for (int i = 0; i < 256; ++i) Palette()[i] = RgbQuad{map[i][0], map[i][1], map[i][2], 0};
  }

  for (int r = 0; r < h.height; ++r) {
    int y = (h.descriptor & kTopDown) ? r : h.height - 1 - r;
    uint8_t* row = Row(y);
    uint8_t* alpha_row = alpha ? AlphaRow(y) : nullptr;
    const uint8_t* src = pixels.data() + static_cast<size_t>(r) * h.width * pixel_bytes;
    for (int c = 0; c < h.width; ++c, src += pixel_bytes) {
      int x = (h.descriptor & kRightToLeft) ? h.width - 1 - c : c;
      if (paletted) {
        row[x] = src[0];
        continue;
      }
      Bgra colour;
      if (base == kMapped) {
        colour = map[src[0]];
      } else if (base == kGrey) {
        colour = {src[0], src[0], src[0], src[1]};
      } else {
        colour = DecodeColour(src, h.pixel_bits, h.AlphaBits());
        if (!alpha) colour[3] = 255;
      }
      std::memcpy(row + x * 3, colour.data(), 3);
      if (alpha_row) alpha_row[x] = colour[3];
    }
  }
  SetType(kImageTga);
  return true;
}

namespace {

// Writes a row of pixels of pixel_bytes each as run-length packets (runs of
// equal pixels, literal stretches otherwise), never crossing the row's end.
void EncodeRleRow(const uint8_t* row, int width, size_t pixel_bytes, std::vector<uint8_t>& out) {
  auto same = [&](int a, int b) {
    return std::memcmp(row + a * pixel_bytes, row + b * pixel_bytes, pixel_bytes) == 0;
  };
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 128 && same(x, x + run)) ++run;
    if (run > 1) {
      out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
      out.insert(out.end(), row + x * pixel_bytes, row + (x + 1) * pixel_bytes);
      x += run;
      continue;
    }
    int literal = 1;
    while (x + literal < width && literal < 128 &&
           !(x + literal + 1 < width && same(x + literal, x + literal + 1))) {
      ++literal;
    }
    out.push_back(static_cast<uint8_t>(literal - 1));
    out.insert(out.end(), row + x * pixel_bytes, row + (x + literal) * pixel_bytes);
    x += literal;
  }
}

}  // namespace

bool TgaCodec::Encode(PictureFile& file) {
  if (!HasPixels()) {
    SetError("TGA: no image");
    return false;
  }
  if (Width() > 0xFFFF || Height() > 0xFFFF) {
    SetError("TGA: image too large");
    return false;
  }
  // Palette pictures keep their palette unless some colour is transparent;
  // those become 32-bit so the transparency survives.
  bool keyed = TransparentIndex() >= 0 && BitsPerPixel() <= 8;
  bool alpha = HasAlpha() || keyed;
  bool paletted = BitsPerPixel() <= 8 && !alpha;
  bool grey = paletted && HasGreyRampPalette();
  size_t pixel_bytes = paletted ? 1 : (alpha ? 4 : 3);

  uint8_t header[kHeaderSize] = {};
  header[1] = (paletted && !grey) ? 1 : 0;
  header[2] = static_cast<uint8_t>((grey ? kGrey : paletted ? kMapped : kTrueColour) + (run_length_ ? 8 : 0));
  if (header[1]) {
    PutLe16(header + 5, 256);
    header[7] = 24;
  }
  PutLe16(header + 12, Width());
  PutLe16(header + 14, Height());
  header[16] = static_cast<uint8_t>(pixel_bytes * 8);
  header[17] = alpha ? 8 : 0;  // bottom-up rows, left to right
  std::vector<uint8_t> out(header, header + kHeaderSize);
  if (header[1]) {
    std::vector<RgbQuad> palette = Palette();
    palette.resize(256);
    for (const RgbQuad& q : palette) out.insert(out.end(), {q.blue, q.green, q.red});
  }

  std::vector<uint8_t> row(static_cast<size_t>(Width()) * pixel_bytes);
  for (int y = Height() - 1; y >= 0; --y) {
    for (int x = 0; x < Width(); ++x) {
      uint8_t rgba[4];
      PixelRgba(x, y, rgba);
      uint8_t* p = row.data() + x * pixel_bytes;
      if (paletted) {
        p[0] = BitsPerPixel() == 8   ? Row(y)[x]
               : BitsPerPixel() == 4 ? (Row(y)[x >> 1] >> ((x & 1) ? 0 : 4)) & 15
                                     : (Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
        continue;
      }
      p[0] = rgba[2];
      p[1] = rgba[1];
      p[2] = rgba[0];
      if (alpha) p[3] = rgba[3];
    }
    if (run_length_) {
      EncodeRleRow(row.data(), Width(), pixel_bytes, out);
    } else {
      out.insert(out.end(), row.begin(), row.end());
    }
  }
  // The version 2 footer (no extension or developer areas) tells readers the
  // file is TGA.
  out.insert(out.end(), 8, 0);
  out.insert(out.end(), kFooterSignature, kFooterSignature + sizeof kFooterSignature);
  if (!file.WriteAll(out.data(), out.size())) {
    SetError("TGA: write failed");
    return false;
  }
  return true;
}
