#include "codec/bmp/BmpRle.h"

#include <vector>

namespace {

// Writes pixels of an RLE stream into the picture, clipping at its edges.
class RlePainter {
 public:
  RlePainter(Picture& picture, bool four_bit, bool top_down)
      : picture_(picture), four_bit_(four_bit), top_down_(top_down) {}

  void Put(int index) {
    if (x_ < picture_.Width() && line_ < picture_.Height()) {
      uint8_t* row = picture_.Row(top_down_ ? line_ : picture_.Height() - 1 - line_);
      if (four_bit_) {
        uint8_t& byte = row[x_ >> 1];
        byte = (x_ & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 15))
                        : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
      } else {
        row[x_] = static_cast<uint8_t>(index);
      }
    }
    ++x_;
  }
  void NextLine() {
    x_ = 0;
    ++line_;
  }
  void Move(int dx, int dy) {
    x_ += dx;
    line_ += dy;
  }
  bool Done() const { return line_ >= picture_.Height(); }

 private:
  Picture& picture_;
  bool four_bit_;
  bool top_down_;
  int x_ = 0;
  int line_ = 0;  // counted in file order
};

}  // namespace

bool DecodeBmpRle(PictureFile& file, bool four_bit, bool top_down, Picture& picture) {
  int64_t remaining = file.Remaining();
  if (remaining <= 0) return false;
  if (remaining > static_cast<int64_t>(Picture::kMaxPixelBytes)) remaining = Picture::kMaxPixelBytes;
  std::vector<uint8_t> data(static_cast<size_t>(remaining));
  data.resize(file.Read(data.data(), data.size()));
  RlePainter painter(picture, four_bit, top_down);
  size_t pos = 0, size = data.size();
  while (!painter.Done() && pos + 1 < size) {
    int count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) painter.Put(four_bit ? ((i & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      painter.NextLine();
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (pos + 1 >= size) break;
      painter.Move(data[pos], data[pos + 1]);
      pos += 2;
    } else {
      // An absolute run of value pixels, padded to a 16-bit boundary.
      size_t bytes = four_bit ? (value + 1) / 2 : value;
      if (pos + bytes > size) break;
      for (int i = 0; i < value; ++i)
        painter.Put(four_bit ? ((i & 1) ? data[pos + i / 2] & 15 : data[pos + i / 2] >> 4) : data[pos + i]);
      pos += bytes + (bytes & 1);
    }
  }
  return painter.Done();
}
