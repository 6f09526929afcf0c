// A device-independent bitmap embedded in a metafile record (the bitmap of
// StretchDIBits, SetDIBitsToDevice, DIBStretchBlt and pattern brushes). It is
// read in place: the pixels are looked up in the record's bytes on demand, so a
// hostile record never makes the player allocate more than it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class WmfDib {
 public:
  // Parses the bitmap at data (header, colour table, bits). With palette_indices
  // (DIB_PAL_COLORS) the colour table holds 16-bit palette indices, which the
  // player shows as grey levels. False when the bitmap is malformed or its bits
  // are not all inside the given bytes.
  bool Parse(const uint8_t* data, size_t size, bool palette_indices);
  // Like Parse, but keeps its own copy of the bytes (for pattern brushes, which
  // outlive their record).
  bool ParseCopy(const uint8_t* data, size_t size, bool palette_indices);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The colour at (x, y), y = 0 the top row, as 0x00RRGGBB; both inside the bitmap.
  uint32_t Pixel(int x, int y) const;

 private:
  std::shared_ptr<std::vector<uint8_t>> copy_;
  const uint8_t* bits_ = nullptr;
  size_t stride_ = 0;
  int width_ = 0;
  int height_ = 0;
  int bit_count_ = 0;
  bool top_down_ = false;
  uint32_t masks_[3] = {0, 0, 0};
  std::vector<uint32_t> colours_;
};
