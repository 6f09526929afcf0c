// The raster the metafile player draws on: a 24-bit picture, top row first,
// with a scan-line polygon filler (even-odd or non-zero winding, sampled at
// pixel centres), thin and wide lines, and stretched bitmap copies. Every
// operation is clipped to the picture and to a clip rectangle, and all of them
// together spend from one work budget, so a hostile metafile cannot keep the
// player busy for long.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/wmf/WmfDib.h"

// A point in device pixels.
struct WmfPoint {
  double x = 0;
  double y = 0;
};

// A rectangle in device pixels: left and top inside, right and bottom outside.
struct WmfRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// How a filled area is painted.
struct WmfPaint {
  enum Kind { kSolid, kHatch, kPattern };
  Kind kind = kSolid;
  uint32_t colour = 0;  // 0x00RRGGBB
  int hatch = 0;        // hatch style 0-5 for kHatch
  uint32_t background = 0xFFFFFF;
  bool opaque_background = true;  // whether hatch gaps take the background
  WmfDib pattern;                 // the tile for kPattern
};

class WmfCanvas {
 public:
  // Bitmap raster operations the player knows.
  enum Rop {
    kSrcCopy,
    kSrcPaint,
    kSrcAnd,
    kSrcInvert,
    kNotSrcCopy,
    kBlackness,
    kWhiteness,
    kDstInvert,
    kPatCopy
  };

  // A white canvas of width × height pixels (both already validated).
  WmfCanvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixel (x, y) as 0x00RRGGBB.
  uint32_t Pixel(int x, int y) const;
  // Row y as blue, green, red bytes.
  const uint8_t* RowBytes(int y) const { return pixels_.data() + static_cast<size_t>(y) * width_ * 3; }
  // False once the work budget is spent; every drawing call is then ignored.
  bool HasBudget() const { return budget_ > 0; }

  // Limits drawing to a rectangle (intersected with the canvas); Unclip lifts it.
  void SetClip(const WmfRect& clip);
  void Unclip();
  const WmfRect& Clip() const { return clip_; }

  // Fills the area of one or more closed polygons.
  void FillPolygons(const std::vector<std::vector<WmfPoint>>& polygons, bool winding, const WmfPaint& paint);
  // Draws connected line segments of the given width (at least one pixel).
  void StrokePolyline(const std::vector<WmfPoint>& points, bool closed, double width, uint32_t colour);
  // Copies the bitmap's part (sx, sy, sw, sh) stretched onto the device
  // rectangle from (x0, y0) to (x1, y1) (reversed corners mirror it).
  void StretchBitmap(const WmfDib& dib, int sx, int sy, int sw, int sh, double x0, double y0, double x1,
                     double y1, Rop rop, const WmfPaint* brush);
  // Paints a device rectangle with a raster operation that uses no bitmap.
  void PatternBlit(double x0, double y0, double x1, double y1, Rop rop, const WmfPaint& brush);

 private:
  void Plot(int x, int y, uint32_t colour);
  void FillSpan(int y, int x0, int x1, const WmfPaint& paint);
  uint32_t PaintColour(const WmfPaint& paint, int x, int y, bool& draw) const;
  void ThinLine(WmfPoint a, WmfPoint b, uint32_t colour);
  bool Spend(int64_t work);

  int width_;
  int height_;
  std::vector<uint8_t> pixels_;  // blue, green, red; top row first
  WmfRect clip_;
  int64_t budget_;
};
