#include "codec/wmf/WmfDib.h"

#include <bit>
#include <cstring>

namespace {

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr int kMaxSide = 1 << 16;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Scales the masked bits of a pixel to 0-255.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  uint32_t max = mask >> shift;
  return ((value & mask) >> shift) * 255 / max;
}

}  // namespace

bool WmfDib::ParseCopy(const uint8_t* data, size_t size, bool palette_indices) {
  copy_ = std::make_shared<std::vector<uint8_t>>(data, data + size);
  return Parse(copy_->data(), copy_->size(), palette_indices);
}

bool WmfDib::Parse(const uint8_t* data, size_t size, bool palette_indices) {
  if (size < 4) return false;
  uint32_t header = Le32(data);
  int64_t width = 0, height = 0;
  uint32_t compression = kBiRgb, used = 0;
  if (header == kCoreHeader) {
    if (size < kCoreHeader) return false;
    width = Le16(data + 4);
    height = Le16(data + 6);
    bit_count_ = Le16(data + 10);
  } else if (header >= kInfoHeader && header <= size) {
    width = static_cast<int32_t>(Le32(data + 4));
    height = static_cast<int32_t>(Le32(data + 8));
    if (Le16(data + 12) != 1) return false;
    bit_count_ = Le16(data + 14);
    compression = Le32(data + 16);
    used = Le32(data + 32);
  } else {
    return false;
  }
  top_down_ = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
  if (bit_count_ != 1 && bit_count_ != 4 && bit_count_ != 8 && bit_count_ != 16 && bit_count_ != 24 &&
      bit_count_ != 32) {
    return false;
  }
  size_t offset = header;
  if (compression == kBiBitfields && (bit_count_ == 16 || bit_count_ == 32)) {
    if (header == kInfoHeader) {
      if (size < offset + 12) return false;
      for (int i = 0; i < 3; ++i) masks_[i] = Le32(data + offset + 4 * i);
      offset += 12;
    } else {
      if (header < kInfoHeader + 12) return false;
      for (int i = 0; i < 3; ++i) masks_[i] = Le32(data + 40 + 4 * i);
    }
  } else if (compression != kBiRgb) {
    return false;  // run-length and embedded JPEG/PNG bitmaps are not played
  } else if (bit_count_ == 16) {
    masks_[0] = 0x7C00, masks_[1] = 0x03E0, masks_[2] = 0x001F;
  } else if (bit_count_ == 32) {
    masks_[0] = 0xFF0000, masks_[1] = 0xFF00, masks_[2] = 0xFF;
  }

  colours_.clear();
  if (bit_count_ <= 8) {
    size_t count = (used == 0 || used > (1u << bit_count_)) ? (1u << bit_count_) : used;
    size_t entry = palette_indices ? 2 : (header == kCoreHeader ? 3 : 4);
    if (size < offset + count * entry) return false;
    const uint8_t* p = data + offset;
    for (size_t i = 0; i < count; ++i, p += entry) {
      if (palette_indices) {
        uint32_t level = Le16(p) & 0xFF;
        colours_.push_back(level << 16 | level << 8 | level);
      } else {
        colours_.push_back(static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]);
      }
    }
    colours_.resize(size_t{1} << bit_count_, 0);
    offset += count * entry;
  }
  stride_ = ((static_cast<size_t>(width_) * bit_count_ + 31) / 32) * 4;
  if (size < offset || (size - offset) / stride_ < static_cast<size_t>(height_)) return false;
  bits_ = data + offset;
  return true;
}

uint32_t WmfDib::Pixel(int x, int y) const {
  const uint8_t* row = bits_ + stride_ * static_cast<size_t>(top_down_ ? y : height_ - 1 - y);
  switch (bit_count_) {
    case 1:
      return colours_[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
      return colours_[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
    case 8:
      return colours_[row[x]];
    case 24:
      return static_cast<uint32_t>(row[x * 3 + 2]) << 16 | row[x * 3 + 1] << 8 | row[x * 3];
    default: {
      uint32_t v = bit_count_ == 16 ? Le16(row + x * 2) : Le32(row + x * 4);
      return Channel(v, masks_[0]) << 16 | Channel(v, masks_[1]) << 8 | Channel(v, masks_[2]);
    }
  }
}
