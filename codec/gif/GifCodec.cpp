#include "codec/gif/GifCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/gif/GifLzw.h"

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Reads a colour table of count entries into a 256-entry palette.
bool ReadColourTable(PictureFile& file, int count, std::vector<RgbQuad>& palette) {
  uint8_t table[768];
  if (!file.ReadExact(table, static_cast<size_t>(count) * 3)) return false;
  palette.assign(256, RgbQuad{});
  for (int i = 0; i < count; ++i) palette[i] = RgbQuad{table[i * 3 + 2], table[i * 3 + 1], table[i * 3], 0};
  return true;
}

// Joins data sub-blocks until the terminator; false when the file ends first
// (what was read so far stays in out).
bool ReadSubBlocks(PictureFile& file, std::vector<uint8_t>* out) {
  for (;;) {
    int length = file.GetByte();
    if (length < 0) return false;
    if (length == 0) return true;
    uint8_t block[255];
    size_t got = file.Read(block, static_cast<size_t>(length));
    if (out) out->insert(out->end(), block, block + got);
    if (got != static_cast<size_t>(length)) return false;
  }
}

// The picture row of each frame row: interlaced frames store rows in four
// passes (every 8th from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
std::vector<int> FrameRowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(height);
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  int min_code_size = 0;
  std::vector<RgbQuad> local_palette;
  std::vector<uint8_t> data;
};

}  // namespace

bool GifCodec::Decode(PictureFile& file) {
  uint8_t header[13];
  if (!file.ReadExact(header, 13) || std::memcmp(header, "GIF", 3) != 0 ||
      (std::memcmp(header + 3, "87a", 3) != 0 && std::memcmp(header + 3, "89a", 3) != 0)) {
    SetError("GIF: not a GIF file");
    return false;
  }
  int screen_width = U16(header + 6), screen_height = U16(header + 8);
  std::vector<RgbQuad> global;
  if ((header[10] & 0x80) && !ReadColourTable(file, 2 << (header[10] & 7), global)) {
    SetError("GIF: file truncated");
    return false;
  }
  int background = header[11], transparent = -1;
  Frame frame;
  bool found = false;
  while (!found) {
    int kind = file.GetByte();
    if (kind == 0x21) {
      int label = file.GetByte();
      uint8_t control[6];
      if (label == 0xF9) {
        if (!file.ReadExact(control, 6) || control[0] != 4) break;
        if (control[1] & 1) transparent = control[4];
        if (control[5] == 0) continue;  // the terminator was the sixth byte
        if (!file.Seek(control[5], PictureFile::kFromCurrent)) break;
      }
      if (label < 0 || !ReadSubBlocks(file, nullptr)) break;
    } else if (kind == 0x2C) {
      uint8_t d[9];
      if (!file.ReadExact(d, 9)) break;
      frame.left = U16(d), frame.top = U16(d + 2), frame.width = U16(d + 4), frame.height = U16(d + 6);
      frame.interlaced = (d[8] & 0x40) != 0;
      if ((d[8] & 0x80) && !ReadColourTable(file, 2 << (d[8] & 7), frame.local_palette)) break;
      frame.min_code_size = file.GetByte();
      if (frame.min_code_size < 1 || frame.min_code_size > 11) {
        SetError("GIF: bad code size");
        return false;
      }
      // A stream cut inside the data still gives the rows it holds.
      ReadSubBlocks(file, &frame.data);
      found = true;
    } else {
      break;  // the trailer, the end of the file or garbage: no image
    }
  }
  if (!found || frame.width == 0 || frame.height == 0) {
    SetError("GIF: no image");
    return false;
  }
  // Each code yields at most 4096 pixels: a frame larger than its data could
  // ever fill is refused before anything is allocated for it.
  uint64_t max_codes = frame.data.size() * 8 / (std::max(frame.min_code_size, 2) + 1);
  if (static_cast<uint64_t>(frame.width) * frame.height > (max_codes + 1) * 4096) {
    SetError("GIF: image data too short");
    return false;
  }
  // The picture is the logical screen, grown when the frame does not fit in it.
  int width = std::max(screen_width, frame.left + frame.width);
  int height = std::max(screen_height, frame.top + frame.height);
  Picture picture(kImageGif);
  size_t stride = 0, total = 0;
  if (!ComputeLayout(width, height, 8, stride, total) || !picture.Create(width, height, 8)) {
    SetError("GIF: image too large");
    return false;
  }
  std::vector<RgbQuad>& palette = frame.local_palette.empty() ? global : frame.local_palette;
  if (palette.empty()) {
    palette.assign(256, RgbQuad{});  // no colour table: a grey ramp
    for (int i = 0; i < 256; ++i) palette[i] = RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  }
  picture.Palette() = palette;
  int fill = transparent >= 0 ? transparent : background;
  std::memset(picture.Bits(), fill, picture.BitsSize());
  std::vector<uint8_t> pixels(static_cast<size_t>(frame.width) * frame.height, 0);
  GifLzwDecoder decoder(frame.min_code_size, frame.data.data(), frame.data.size());
  size_t produced = decoder.Decode(pixels.data(), pixels.size());
  if (produced == 0) {
    SetError("GIF: bad image data");
    return false;
  }
  std::vector<int> order = FrameRowOrder(frame.height, frame.interlaced);
  for (int i = 0; i < frame.height; ++i)
    std::memcpy(picture.Row(frame.top + order[i]) + frame.left, &pixels[static_cast<size_t>(i) * frame.width],
                frame.width);
  picture.SetTransparentIndex(transparent);
  picture.SetJpegQuality(JpegQuality());
  Swap(picture);
  return true;
}
