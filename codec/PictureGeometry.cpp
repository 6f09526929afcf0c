// The geometric operations of Picture: resizing, fitting onto a canvas and
// quarter turns.
#include <algorithm>
#include <cstring>

#include "codec/Picture.h"
#include "codec/Resample.h"

namespace {

resample::Plane PixelPlane(Picture& picture) {
  return {picture.Row(0), -static_cast<ptrdiff_t>(picture.Stride()), picture.Width(), picture.Height(), 3};
}

resample::Plane AlphaPlane(Picture& picture) {
  return {picture.AlphaRow(0), -static_cast<ptrdiff_t>(picture.Width()), picture.Width(), picture.Height(),
          1};
}

void Resample(const resample::Plane& source, const resample::Plane& destination, int mode) {
  if (mode == Picture::kResizeNearest) {
    resample::Nearest(source, destination);
  } else if (mode == Picture::kResizeBicubic) {
    resample::Bicubic(source, destination);
  } else {
    resample::Bilinear(source, destination);
  }
}

// Index of pixel x in a 1, 4 or 8 bit row, and its setter.
inline int IndexAt(const uint8_t* row, int x, int bits) {
  if (bits == 8) return row[x];
  if (bits == 4) return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

inline void SetIndex(uint8_t* row, int x, int bits, int index) {
  if (bits == 8) {
    row[x] = static_cast<uint8_t>(index);
  } else if (bits == 4) {
    int shift = (x & 1) ? 0 : 4;
    row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(15 << shift)) | (index << shift));
  } else {
    int shift = 7 - (x & 7);
    row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << shift)) | (index << shift));
  }
}

// Copies pixel (sx, sy) of source to (dx, dy) of destination, same depth.
inline void CopyPixel(const Picture& source, int sx, int sy, Picture& destination, int dx, int dy) {
  int bits = source.BitsPerPixel();
  if (bits == 24) {
    std::memcpy(destination.Row(dy) + dx * 3, source.Row(sy) + sx * 3, 3);
  } else {
    SetIndex(destination.Row(dy), dx, bits, IndexAt(source.Row(sy), sx, bits));
  }
  if (source.HasAlpha()) destination.AlphaRow(dy)[dx] = source.AlphaRow(sy)[sx];
}

}  // namespace

bool Picture::ResizeTo(int width, int height, int mode) {
  if (!HasPixels()) {
    SetError("Resize: no image");
    return false;
  }
  if (width == width_ && height == height_) return true;
  if (bpp_ != 24 && !ConvertTo24Bits()) return false;
  Picture out;
  if (!out.Create(width, height, 24)) {
    SetError("Resize: bad size");
    return false;
  }
  Resample(PixelPlane(*this), PixelPlane(out), mode);
  if (HasAlpha()) {
    out.CreateAlpha();
    Resample(AlphaPlane(*this), AlphaPlane(out), mode);
  }
  out.CopySettingsFrom(*this);
  out.last_error_ = last_error_;
  Swap(out);
  return true;
}

bool Picture::ShrinkOntoCanvas(int width, int height, CanvasColour canvas, Picture* destination) {
  if (!HasPixels() || width <= 0 || height <= 0) return false;
  // Work on a copy; a 24-bit picture that needs shrinking is read in place.
  Picture work;
  const Picture* fitted = this;
  if (width_ > width || height_ > height) {
    int new_width = 0, new_height = 0;
    resample::ShrunkSize(width_, height_, width, height, new_width, new_height);
    if (bpp_ == 24) {
      if (!work.Create(new_width, new_height, 24)) return false;
      resample::Bilinear(PixelPlane(*this), PixelPlane(work));
      if (HasAlpha()) {
        work.CreateAlpha();
        resample::Bilinear(AlphaPlane(*this), AlphaPlane(work));
      }
    } else {
      work = *this;
      if (!work.ResizeTo(new_width, new_height, kResizeBilinear)) return false;
    }
    fitted = &work;
  } else if (bpp_ != 24 || transparent_index_ >= 0) {
    work = *this;
    if (!work.ConvertTo24Bits()) return false;
    fitted = &work;
  }
  Picture result;
  if (!result.Create(width, height, 24)) return false;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = result.Row(y);
    for (int x = 0; x < width; ++x)
      row[x * 3] = canvas.blue, row[x * 3 + 1] = canvas.green, row[x * 3 + 2] = canvas.red;
  }
  // Centre the picture; alpha blends it over the canvas colour.
  const int left = (width - fitted->Width()) / 2, top = (height - fitted->Height()) / 2;
  for (int y = 0; y < fitted->Height(); ++y) {
    const uint8_t* src = fitted->Row(y);
    uint8_t* dst = result.Row(top + y) + left * 3;
    if (!fitted->HasAlpha()) {
      std::memcpy(dst, src, static_cast<size_t>(fitted->Width()) * 3);
      continue;
    }
    const uint8_t* alpha = fitted->AlphaRow(y);
    for (int x = 0; x < fitted->Width() * 3; ++x) {
      int a = alpha[x / 3];
      dst[x] = static_cast<uint8_t>((src[x] * a + dst[x] * (255 - a) + 127) / 255);
    }
  }
  result.CopySettingsFrom(*this);
  Picture& target = destination ? *destination : *this;
  target.Swap(result);
  return true;
}

bool Picture::TurnLeft() { return Turn(false); }
bool Picture::TurnRight() { return Turn(true); }

bool Picture::Turn(bool clockwise) {
  if (!HasPixels()) {
    SetError("Turn: no image");
    return false;
  }
  Picture out;
  if (!out.Create(height_, width_, bpp_)) return false;
  out.palette_ = palette_;
  if (HasAlpha()) out.CreateAlpha();
  // Clockwise: destination (x, y) shows source (y, H-1-x); counter-clockwise
  // it shows source (W-1-y, x).
  for (int y = 0; y < out.height_; ++y)
    for (int x = 0; x < out.width_; ++x) {
      if (clockwise) {
        CopyPixel(*this, y, height_ - 1 - x, out, x, y);
      } else {
        CopyPixel(*this, width_ - 1 - y, x, out, x, y);
      }
    }
  out.CopySettingsFrom(*this);
  out.transparent_index_ = transparent_index_;
  std::swap(out.x_dpi_, out.y_dpi_);
  Swap(out);
  return true;
}
