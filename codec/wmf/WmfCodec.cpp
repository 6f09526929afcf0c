#include "codec/wmf/WmfCodec.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "codec/wmf/WmfCanvas.h"
#include "codec/wmf/WmfPlayer.h"

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kHeaderSize = 18;
constexpr size_t kMaxFileSize = size_t{64} << 20;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kScreenDpi = 96;
constexpr int kDefaultUnitsPerInch = 1440;
constexpr uint16_t kSetWindowOrg = 0x020B;
constexpr uint16_t kSetWindowExt = 0x020C;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Appends up to n bytes of the stream to data.
void Append(PictureFile& file, std::vector<uint8_t>& data, size_t n) {
  size_t old = data.size();
  data.resize(old + n);
  data.resize(old + file.Read(data.data() + old, n));
}

// Reads the rest of the stream after what data already holds; false when the
// whole would pass the size limit.
bool ReadRest(PictureFile& file, std::vector<uint8_t>& data) {
  if (file.Size() >= 0) {
    int64_t remaining = file.Remaining();
    if (remaining > static_cast<int64_t>(kMaxFileSize - data.size())) return false;
    Append(file, data, static_cast<size_t>(remaining));
    return true;
  }
  for (size_t chunk = size_t{64} << 10; data.size() < kMaxFileSize;
       chunk = std::min(chunk * 2, size_t{8} << 20)) {
    size_t before = data.size();
    Append(file, data, std::min(chunk, kMaxFileSize - before));
    if (data.size() == before) return true;
  }
  return file.GetByte() < 0;
}

// True when a sound metafile header starts at pos: type 1 (memory) or 2
// (disk), nine words long, version 1 or 3.
bool IsMetafileHeader(const std::vector<uint8_t>& data, size_t pos) {
  if (data.size() < pos + kHeaderSize) return false;
  const uint8_t* h = data.data() + pos;
  uint16_t type = Le16(h), header_words = Le16(h + 2), version = Le16(h + 4);
  return (type == 1 || type == 2) && header_words == 9 && (version == 0x0100 || version == 0x0300);
}

// The window set by the first SetWindowOrg and SetWindowExt records of a
// file without a placeable header.
void FindWindow(const uint8_t* data, size_t size, WmfPlayer::Setup& setup) {
  bool have_org = false;
  for (size_t pos = 0; size - pos >= 6;) {
    uint32_t words = Le32(data + pos);
    uint16_t function = Le16(data + pos + 4);
    if (function == 0 || words < 3 || words > (size - pos) / 2) return;
    if (words >= 5 && function == kSetWindowOrg && !have_org) {
      setup.window_y = static_cast<int16_t>(Le16(data + pos + 6));
      setup.window_x = static_cast<int16_t>(Le16(data + pos + 8));
      have_org = true;
    }
    if (words >= 5 && function == kSetWindowExt) {
      setup.window_height = static_cast<int16_t>(Le16(data + pos + 6));
      setup.window_width = static_cast<int16_t>(Le16(data + pos + 8));
      return;
    }
    pos += static_cast<size_t>(words) * 2;
  }
}

// Scales a size down so that its longer side is at most max_side.
void FitSize(double width, double height, int max_side, int& out_width, int& out_height) {
  double scale = std::min(1.0, max_side / std::max(width, height));
  out_width = std::max(1, static_cast<int>(std::lround(width * scale)));
  out_height = std::max(1, static_cast<int>(std::lround(height * scale)));
}

}  // namespace

bool WmfCodec::Decode(PictureFile& file) {
  // The headers are checked before the rest is read: detection tries this
  // codec on files of every kind.
  std::vector<uint8_t> data;
  Append(file, data, kPlaceableSize + kHeaderSize);
  bool placeable = data.size() >= kPlaceableSize && Le32(data.data()) == kPlaceableKey;
  size_t pos = placeable ? kPlaceableSize : 0;
  if (!IsMetafileHeader(data, pos)) {
    SetError("WMF: not a metafile");
    return false;
  }
  if (!ReadRest(file, data)) {
    SetError("WMF: file too large");
    return false;
  }
  WmfPlayer::Setup setup;
  int width = 0, height = 0;
  if (placeable) {
    const uint8_t* p = data.data();
    int left = static_cast<int16_t>(Le16(p + 6)), top = static_cast<int16_t>(Le16(p + 8));
    int right = static_cast<int16_t>(Le16(p + 10)), bottom = static_cast<int16_t>(Le16(p + 12));
    int inch = Le16(p + 14) ? Le16(p + 14) : kDefaultUnitsPerInch;
    if (right == left || bottom == top) {
      SetError("WMF: empty frame");
      return false;
    }
    setup = WmfPlayer::Setup{left, top, right - left, bottom - top, 8, 0};
    FitSize(std::abs(right - left) * static_cast<double>(kScreenDpi) / inch,
            std::abs(bottom - top) * static_cast<double>(kScreenDpi) / inch, max_side_, width, height);
  }
  setup.object_slots = Le16(data.data() + pos + 10);
  pos += kHeaderSize;
  // The first record must be whole, which random bytes after a lucky header rarely are.
  if (data.size() - pos < 6 || Le32(data.data() + pos) < 3 ||
      Le32(data.data() + pos) > (data.size() - pos) / 2) {
    SetError("WMF: no records");
    return false;
  }
  if (width == 0) {
    FindWindow(data.data() + pos, data.size() - pos, setup);
    if (setup.window_width != 0 && setup.window_height != 0) {
      setup.map_mode = 8;
      FitSize(std::abs(setup.window_width), std::abs(setup.window_height), max_side_, width, height);
    } else {
      setup.window_width = setup.window_height = 0;
      FitSize(kDefaultWidth, kDefaultHeight, max_side_, width, height);
    }
  }
  WmfCanvas canvas(width, height);
  WmfPlayer player(canvas, setup);
  player.Play(data.data() + pos, data.size() - pos);
  data = {};

  if (!Create(width, height, 24)) return false;
  for (int y = 0; y < height; ++y) std::memcpy(Row(y), canvas.RowBytes(y), static_cast<size_t>(width) * 3);
  SetType(kImageWmf);
  return true;
}

bool WmfCodec::Encode(PictureFile&) {
  SetError("Save WMF not supported");
  return false;
}
