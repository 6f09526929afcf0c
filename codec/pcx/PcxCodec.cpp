#include "codec/pcx/PcxCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 128;
constexpr uint8_t kManufacturer = 0x0A;
constexpr uint8_t kPaletteMarker = 0x0C;
constexpr size_t kTrailerSize = 1 + 768;  // marker and 256 RGB entries

// The colours of an EGA adapter, used when a version-3 file leaves its
// palette out.
constexpr uint8_t kEgaPalette[16][3] = {{0, 0, 0},     {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                                        {170, 0, 0},   {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                                        {85, 85, 85},  {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                                        {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};

struct Header {
  int version = 0;
  int encoding = 0;
  int bits = 0;
  int planes = 0;
  int width = 0;
  int height = 0;
  int bytes_per_line = 0;
  int palette_info = 0;
  int x_dpi = 0;
  int y_dpi = 0;
  uint8_t palette[48] = {};
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void PutLe16(uint8_t* p, int value) {
  p[0] = static_cast<uint8_t>(value & 0xFF);
  p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

bool IsKnownLayout(int bits, int planes) {
  if (bits == 1) return planes >= 1 && planes <= 4;
  if (bits == 2 || bits == 4) return planes == 1;
  return bits == 8 && (planes == 1 || planes == 3 || planes == 4);
}

// Parses and checks the header; the failure text, or null when it is sound.
const char* ParseHeader(const uint8_t* raw, Header& h) {
  if (raw[0] != kManufacturer) return "PCX: not a PCX file";
  h.version = raw[1];
  h.encoding = raw[2];
  h.bits = raw[3];
  if (h.version != 0 && (h.version < 2 || h.version > 5)) return "PCX: unknown version";
  if (h.encoding > 1) return "PCX: unknown encoding";
  int x_min = Le16(raw + 4), y_min = Le16(raw + 6), x_max = Le16(raw + 8), y_max = Le16(raw + 10);
  if (x_max < x_min || y_max < y_min) return "PCX: bad image window";
  h.width = x_max - x_min + 1;
  h.height = y_max - y_min + 1;
  h.x_dpi = Le16(raw + 12);
  h.y_dpi = Le16(raw + 14);
  std::memcpy(h.palette, raw + 16, sizeof h.palette);
  h.planes = raw[65];
  h.bytes_per_line = Le16(raw + 66);
  h.palette_info = Le16(raw + 68);
  if (!IsKnownLayout(h.bits, h.planes)) return "PCX: unsupported depth";
  int needed = static_cast<int>((static_cast<long>(h.width) * h.bits + 7) / 8);
  if (h.bytes_per_line < needed) return "PCX: bad line length";
  return nullptr;
}

// Expands the image data into rows of planes × bytes_per_line bytes. Runs may
// cross line ends (some writers do that); a run past the last line is
// clipped, data that ends early is refused.
bool Unpack(const std::vector<uint8_t>& data, const Header& h, std::vector<uint8_t>& out) {
  size_t total = static_cast<size_t>(h.planes) * h.bytes_per_line * h.height;
  if (h.encoding == 0) {
    if (data.size() < total) return false;
    out.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(total));
    return true;
  }
  // A run of two bytes gives at most 63: data too short for the picture is
  // refused before the lines are allocated.
  if (data.size() < total / 32) return false;
  out.assign(total, 0);
  size_t in = 0, done = 0;
  while (done < total) {
    if (in >= data.size()) return false;
    uint8_t b = data[in++];
    size_t count = 1;
    if ((b & 0xC0) == 0xC0) {
      count = b & 0x3F;
      if (in >= data.size()) return false;
      b = data[in++];
    }
    count = std::min(count, total - done);
    std::memset(out.data() + done, b, count);
    done += count;
  }
  return true;
}

// Palette entries 0..count-1 from the header (or the EGA colours for a file
// that says it carries no palette).
void SetHeaderPalette(Picture& picture, const Header& h, int count) {
  for (int i = 0; i < count; ++i) {
    const uint8_t* rgb = h.version == 3 ? kEgaPalette[i] : h.palette + i * 3;
    picture.Palette()[i] = RgbQuad{rgb[2], rgb[1], rgb[0], 0};
  }
}

}  // namespace

bool PcxCodec::Decode(PictureFile& file) {
  uint8_t raw[kHeaderSize];
  if (!file.ReadExact(raw, sizeof raw)) {
    SetError("PCX: file too short");
    return false;
  }
  Header h;
  if (const char* why = ParseHeader(raw, h)) {
    SetError(why);
    return false;
  }
  int out_bits = h.bits == 8 ? (h.planes >= 3 ? 24 : 8) : (h.bits == 1 && h.planes == 1 ? 1 : 4);
  size_t stride = 0, total = 0;
  if (!ComputeLayout(h.width, h.height, out_bits, stride, total) ||
      !ComputeLayout(h.width, h.height, 24, stride, total)) {
    SetError("PCX: image too large");
    return false;
  }
  size_t line = static_cast<size_t>(h.planes) * h.bytes_per_line;
  if (line > Picture::kMaxPixelBytes / static_cast<size_t>(h.height)) {
    SetError("PCX: image too large");
    return false;
  }
  // Run-length data takes at most two bytes per byte it encodes.
  std::vector<uint8_t> data = ReadUpTo(file, line * h.height * 2 + kTrailerSize);
  std::vector<uint8_t> lines;
  if (!Unpack(data, h, lines)) {
    SetError("PCX: image data truncated");
    return false;
  }
  if (!Create(h.width, h.height, out_bits)) return false;
  if (h.planes == 4 && h.bits == 8) CreateAlpha();

  if (out_bits == 8) {
    // The 256-colour palette follows the image data, after its marker.
    if (h.planes == 1 && data.size() >= kTrailerSize && data[data.size() - kTrailerSize] == kPaletteMarker) {
      const uint8_t* rgb = data.data() + data.size() - 768;
      for (int i = 0; i < 256; ++i) Palette()[i] = RgbQuad{rgb[i * 3 + 2], rgb[i * 3 + 1], rgb[i * 3], 0};
    }
  } else if (out_bits == 1) {
    // Monochrome files use the header's first two entries when they differ,
    // black and white otherwise.
    if (std::memcmp(h.palette, h.palette + 3, 3) != 0) SetHeaderPalette(*this, h, 2);
  } else if (out_bits == 4) {
    Palette().assign(16, RgbQuad{});
    SetHeaderPalette(*this, h, 16);
  }

  for (int y = 0; y < h.height; ++y) {
    const uint8_t* src = lines.data() + static_cast<size_t>(y) * line;
    uint8_t* row = Row(y);
    if (out_bits == 24) {
      uint8_t* alpha = HasAlpha() ? AlphaRow(y) : nullptr;
      for (int x = 0; x < h.width; ++x) {
        row[x * 3 + 2] = src[x];
        row[x * 3 + 1] = src[h.bytes_per_line + x];
        row[x * 3] = src[2 * h.bytes_per_line + x];
        if (alpha) alpha[x] = src[3 * h.bytes_per_line + x];
      }
    } else if (out_bits == 8 || out_bits == 1 || h.bits == 4) {
      std::memcpy(row, src, std::min(stride, static_cast<size_t>((h.width * out_bits + 7) / 8)));
    } else {
      // Planar bits (EGA) or two bits a pixel (CGA) become 4-bit indices.
      for (int x = 0; x < h.width; ++x) {
        int index = 0;
        if (h.bits == 2) {
          index = (src[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        } else {
          for (int p = 0; p < h.planes; ++p)
            index |= ((src[p * h.bytes_per_line + (x >> 3)] >> (7 - (x & 7))) & 1) << p;
        }
        row[x >> 1] = static_cast<uint8_t>((x & 1) ? (row[x >> 1] | index) : (index << 4));
      }
    }
  }
  if (h.x_dpi > 0 && h.y_dpi > 0) SetDpi(h.x_dpi, h.y_dpi);
  SetType(kImagePcx);
  return true;
}

namespace {

// Run-length encodes one plane line: runs of up to 63 equal bytes, and bytes
// that look like a run count written as runs of one.
void EncodeLine(const uint8_t* bytes, size_t size, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < size) {
    size_t run = 1;
    while (i + run < size && run < 63 && bytes[i + run] == bytes[i]) ++run;
    if (run > 1 || (bytes[i] & 0xC0) == 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
    out.push_back(bytes[i]);
    i += run;
  }
}

}  // namespace

bool PcxCodec::Encode(PictureFile& file) {
  if (!HasPixels()) {
    SetError("PCX: no image");
    return false;
  }
  if (Width() > 0xFFFF || Height() > 0xFFFF) {
    SetError("PCX: image too large");
    return false;
  }
  bool alpha = HasAlpha() || (TransparentIndex() >= 0 && BitsPerPixel() <= 8);
  int bits = alpha || BitsPerPixel() == 24 ? 8 : BitsPerPixel() == 1 ? 1 : 8;
  int planes = alpha ? 4 : BitsPerPixel() == 24 ? 3 : 1;
  int bytes_per_line = (Width() * bits + 7) / 8;
  bytes_per_line += bytes_per_line & 1;  // lines have an even length

  uint8_t header[kHeaderSize] = {};
  header[0] = kManufacturer;
  header[1] = 5;
  header[2] = 1;
  header[3] = static_cast<uint8_t>(bits);
  PutLe16(header + 8, Width() - 1);
  PutLe16(header + 10, Height() - 1);
  PutLe16(header + 12, std::clamp(XDpi(), 1, 0xFFFF));
  PutLe16(header + 14, std::clamp(YDpi(), 1, 0xFFFF));
  if (bits == 1) {
    for (int i = 0; i < 2; ++i) {
      const RgbQuad& q = Palette()[i];
      header[16 + i * 3] = q.red;
      header[17 + i * 3] = q.green;
      header[18 + i * 3] = q.blue;
    }
  }
  header[65] = static_cast<uint8_t>(planes);
  PutLe16(header + 66, bytes_per_line);
  PutLe16(header + 68, HasGreyRampPalette() ? 2 : 1);
  std::vector<uint8_t> out(header, header + kHeaderSize);

  std::vector<uint8_t> line(static_cast<size_t>(bytes_per_line) * planes);
  for (int y = 0; y < Height(); ++y) {
    std::fill(line.begin(), line.end(), 0);
    const uint8_t* row = Row(y);
    for (int x = 0; x < Width(); ++x) {
      if (bits == 1) {
        line[x >> 3] = row[x >> 3];
        continue;
      }
      if (planes == 1) {
        line[x] = BitsPerPixel() == 8 ? row[x] : (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        continue;
      }
      uint8_t rgba[4];
      PixelRgba(x, y, rgba);
      for (int p = 0; p < planes; ++p) line[p * bytes_per_line + x] = rgba[p];
    }
    for (int p = 0; p < planes; ++p) EncodeLine(line.data() + p * bytes_per_line, bytes_per_line, out);
  }
  if (bits == 8 && planes == 1) {
    out.push_back(kPaletteMarker);
    for (int i = 0; i < 256; ++i) {
      RgbQuad q = i < static_cast<int>(Palette().size()) ? Palette()[i] : RgbQuad{};
      out.insert(out.end(), {q.red, q.green, q.blue});
    }
  }
  if (!file.WriteAll(out.data(), out.size())) {
    SetError("PCX: write failed");
    return false;
  }
  return true;
}
