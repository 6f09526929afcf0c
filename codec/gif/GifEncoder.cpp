#include <cstring>
#include <unordered_map>
#include <vector>

#include "codec/gif/GifCodec.h"
#include "codec/gif/GifLzw.h"

namespace {

void Put16(std::vector<uint8_t>& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// A palette picture for a 24-bit one: its own colours when there are at most
// 256 (255 when a transparent entry is needed), otherwise a fixed 3-3-2 colour
// cube. Pixels with alpha below 128 map to the transparent entry.
bool Quantise(const Picture& source, Picture& out) {
  if (!out.Create(source.Width(), source.Height(), 8)) return false;
  bool keyed = source.HasAlpha();
  std::unordered_map<uint32_t, int> colours;
  size_t limit = keyed ? 255 : 256;
  for (int y = 0; y < source.Height() && colours.size() <= limit; ++y) {
    const uint8_t* row = source.Row(y);
    for (int x = 0; x < source.Width() && colours.size() <= limit; ++x)
      colours.emplace(row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16), 0);
  }
  bool exact = colours.size() <= limit;
  auto& palette = out.Palette();
  palette.assign(256, RgbQuad{});
  if (exact) {
    int index = 0;
    for (auto& [bgr, slot] : colours) {
      slot = index;
      palette[index++] = RgbQuad{uint8_t(bgr), uint8_t(bgr >> 8), uint8_t(bgr >> 16), 0};
    }
  } else {
    for (int i = 0; i < 256; ++i)
      palette[i] = RgbQuad{uint8_t((i & 3) * 255 / 3), uint8_t(((i >> 2) & 7) * 255 / 7),
                           uint8_t((i >> 5) * 255 / 7), 0};
  }
  int key = keyed ? (exact ? static_cast<int>(colours.size()) : 0) : -1;
  for (int y = 0; y < source.Height(); ++y) {
    const uint8_t* row = source.Row(y);
    uint8_t* dst = out.Row(y);
    for (int x = 0; x < source.Width(); ++x) {
      const uint8_t* p = row + x * 3;
      if (keyed && source.AlphaRow(y)[x] < 128) {
        dst[x] = static_cast<uint8_t>(key);
      } else if (exact) {
        dst[x] = static_cast<uint8_t>(colours[p[0] | (p[1] << 8) | (p[2] << 16)]);
      } else {
        dst[x] = static_cast<uint8_t>(((p[2] * 7 + 127) / 255) << 5 | ((p[1] * 7 + 127) / 255) << 2 |
                                      ((p[0] * 3 + 127) / 255));
      }
    }
  }
  out.SetTransparentIndex(key);
  return true;
}

// The palette index of pixel x of a 1, 4 or 8 bit row.
inline uint8_t IndexAt(const uint8_t* row, int x, int bits) {
  if (bits == 8) return row[x];
  if (bits == 4) return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

void WriteImage(const Picture& picture, std::vector<uint8_t>& out) {
  int bits = picture.BitsPerPixel();
  int min_code_size = bits < 2 ? 2 : bits;
  out.push_back(static_cast<uint8_t>(min_code_size));
  GifLzwEncoder encoder(min_code_size);
  std::vector<uint8_t> indices(picture.Width());
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) indices[x] = IndexAt(picture.Row(y), x, bits);
    encoder.Add(indices.data(), indices.size());
  }
  std::vector<uint8_t> data = encoder.Finish();
  for (size_t pos = 0; pos < data.size(); pos += 255) {
    size_t length = std::min<size_t>(255, data.size() - pos);
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), data.begin() + pos, data.begin() + pos + length);
  }
  out.push_back(0);
}

}  // namespace

bool GifCodec::Encode(PictureFile& file) {
  if (!HasPixels() || Width() > 65535 || Height() > 65535) {
    SetError("GIF: no image or too large");
    return false;
  }
  Picture quantised;
  const Picture* source = this;
  if (BitsPerPixel() == 24 || HasAlpha()) {
    Picture full(*this);
    if (!full.ConvertTo24Bits() || !Quantise(full, quantised)) {
      SetError("GIF: out of memory");
      return false;
    }
    source = &quantised;
  }
  int bits = source->BitsPerPixel();
  std::vector<uint8_t> out;
  out.insert(out.end(), {'G', 'I', 'F', '8', '9', 'a'});
  Put16(out, source->Width());
  Put16(out, source->Height());
  out.push_back(static_cast<uint8_t>(0xF0 | (bits - 1)));  // global table of 2^bits entries
  out.push_back(0);
  out.push_back(0);
  for (int i = 0; i < (1 << bits); ++i) {
    RgbQuad c = i < static_cast<int>(source->Palette().size()) ? source->Palette()[i] : RgbQuad{};
    out.insert(out.end(), {c.red, c.green, c.blue});
  }
  int key = source->TransparentIndex();
  if (key >= 0 && key < (1 << bits))
    out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(key), 0});
  out.push_back(0x2C);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, source->Width());
  Put16(out, source->Height());
  out.push_back(0);
  WriteImage(*source, out);
  out.push_back(0x3B);
  if (!file.WriteAll(out.data(), out.size()) || !file.Flush()) {
    SetError("GIF: write failed");
    return false;
  }
  return true;
}
