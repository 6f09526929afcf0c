#include "codec/bmp/BmpCodec.h"

#include <cstring>
#include <vector>

#include "codec/bmp/BmpHeader.h"
#include "codec/bmp/BmpRle.h"

namespace {

// Reads the colour table that follows the info header.
bool ReadColourTable(PictureFile& file, const BmpHeader& header, Picture& picture) {
  int entry_size = header.core ? 3 : 4;
  std::vector<uint8_t> table(static_cast<size_t>(header.colours_used) * entry_size);
  if (!file.ReadExact(table.data(), table.size())) return false;
  auto& palette = picture.Palette();
  palette.assign(static_cast<size_t>(1) << header.bit_count, RgbQuad{});
  for (int i = 0; i < header.colours_used && i < static_cast<int>(palette.size()); ++i)
    palette[i] = RgbQuad{table[i * entry_size], table[i * entry_size + 1], table[i * entry_size + 2], 0};
  return true;
}

// The value of a masked channel scaled to eight bits.
inline uint8_t Channel(uint32_t pixel, const BmpMask& mask) {
  if (mask.bits == 0) return 0;
  uint32_t value = (pixel & mask.mask) >> mask.shift;
  if (mask.bits >= 8) return static_cast<uint8_t>(value >> (mask.bits - 8));
  // Narrow channels widen by repeating their bits (5 bits: abcde -> abcdeabc).
  uint32_t wide = 0;
  for (int filled = 0; filled < 8; filled += mask.bits) wide = (wide << mask.bits) | value;
  int total = ((8 + mask.bits - 1) / mask.bits) * mask.bits;
  return static_cast<uint8_t>(wide >> (total - 8));
}

// Converts one 16 or 32 bit row through the channel masks.
void ConvertMaskedRow(const uint8_t* src, const BmpHeader& header, uint8_t* bgr, uint8_t* alpha, int width) {
  for (int x = 0; x < width; ++x) {
    uint32_t pixel = header.bit_count == 16
                         ? static_cast<uint32_t>(src[x * 2] | (src[x * 2 + 1] << 8))
                         : static_cast<uint32_t>(src[x * 4] | (src[x * 4 + 1] << 8) | (src[x * 4 + 2] << 16) |
                                                 (static_cast<uint32_t>(src[x * 4 + 3]) << 24));
    bgr[x * 3] = Channel(pixel, header.blue);
    bgr[x * 3 + 1] = Channel(pixel, header.green);
    bgr[x * 3 + 2] = Channel(pixel, header.red);
    if (alpha) alpha[x] = Channel(pixel, header.alpha);
  }
}

// Reads uncompressed rows (stored bottom-up unless the height was negative).
bool ReadPlainRows(PictureFile& file, const BmpHeader& header, Picture& picture) {
  size_t file_stride = ((static_cast<size_t>(header.width) * header.bit_count + 31) / 32) * 4;
  std::vector<uint8_t> row(file_stride);
  bool masked = header.bit_count == 16 || header.bit_count == 32;
  bool use_alpha = masked && header.alpha.bits > 0;
  if (use_alpha) picture.CreateAlpha();
  bool any_alpha = false;
  for (int i = 0; i < header.height; ++i) {
    int y = header.top_down ? i : header.height - 1 - i;
    if (!file.ReadExact(row.data(), file_stride)) return false;
    if (!masked) {
      std::memcpy(picture.Row(y), row.data(), file_stride);
      continue;
    }
    uint8_t* alpha = use_alpha ? picture.AlphaRow(y) : nullptr;
    ConvertMaskedRow(row.data(), header, picture.Row(y), alpha, header.width);
    for (int x = 0; alpha && x < header.width && !any_alpha; ++x) any_alpha = alpha[x] != 0;
  }
  // NOTE: many writers leave the alpha byte of 32-bit pixels at zero; an
  // all-zero alpha channel means "no alpha", not "fully transparent".
  if (use_alpha && !any_alpha) picture.DropAlpha();
  return true;
}

}  // namespace

bool BmpCodec::Decode(PictureFile& file) {
  BmpHeader header;
  int64_t start = file.Tell();
  if (!ReadBmpHeader(file, header)) {
    SetError(header.error);
    return false;
  }
  int storage_bits = header.bit_count <= 8 ? header.bit_count : 24;
  size_t stride = 0, total = 0;
  if (!ComputeLayout(header.width, header.height, storage_bits, stride, total)) {
    SetError("BMP: image too large");
    return false;
  }
  // A file far too short for its pixels is refused before anything is allocated.
  int64_t available = file.Size() < 0 ? -1 : file.Size() - start - header.pixel_offset;
  bool run_length = header.compression == kBmpRle8 || header.compression == kBmpRle4;
  uint64_t needed = run_length ? 2
                               : ((static_cast<uint64_t>(header.width) * header.bit_count + 31) / 32) * 4 *
                                     static_cast<uint64_t>(header.height);
  if (file.Size() >= 0 && (available < 0 || static_cast<uint64_t>(available) < needed)) {
    SetError("BMP: file truncated");
    return false;
  }
  Picture picture(kImageBmp);
  picture.Create(header.width, header.height, storage_bits);
  picture.SetDpi(header.x_dpi, header.y_dpi);
  if (header.bit_count <= 8 && !ReadColourTable(file, header, picture)) {
    SetError("BMP: file truncated");
    return false;
  }
  if (!file.Seek(start + header.pixel_offset, PictureFile::kFromStart)) {
    SetError("BMP: bad pixel offset");
    return false;
  }
  bool ok = run_length ? DecodeBmpRle(file, header.compression == kBmpRle4, header.top_down, picture)
                       : ReadPlainRows(file, header, picture);
  if (!ok) {
    SetError("BMP: file truncated");
    return false;
  }
  picture.SetJpegQuality(JpegQuality());
  Swap(picture);
  return true;
}

bool BmpCodec::Encode(PictureFile& file) {
  if (!HasPixels()) {
    SetError("BMP: no image");
    return false;
  }
  bool alpha = BitsPerPixel() == 24 && HasAlpha();
  if (!WriteBmpHeader(file, *this, alpha)) {
    SetError("BMP: write failed");
    return false;
  }
  std::vector<uint8_t> row;
  if (alpha) row.resize(static_cast<size_t>(Width()) * 4);
  // Bottom-up as stored: the block goes out as it is, unless alpha is merged in.
  for (int i = 0; i < Height(); ++i) {
    int y = Height() - 1 - i;
    const uint8_t* src = Row(y);
    size_t size = Stride();
    if (alpha) {
      const uint8_t* a = AlphaRow(y);
      for (int x = 0; x < Width(); ++x) {
        std::memcpy(&row[x * 4], src + x * 3, 3);
        row[x * 4 + 3] = a[x];
      }
      src = row.data();
      size = row.size();
    }
    if (!file.WriteAll(src, size)) {
      SetError("BMP: write failed");
      return false;
    }
  }
  if (!file.Flush()) {
    SetError("BMP: write failed");
    return false;
  }
  return true;
}
