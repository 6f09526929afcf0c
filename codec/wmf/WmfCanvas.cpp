#include "codec/wmf/WmfCanvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Enough for a few hundred full-canvas fills of a large picture; a metafile
// that asks for more stops drawing instead of hanging the worker thread.
constexpr int64_t kWorkBudget = int64_t{1} << 27;
constexpr int kJoinSegments = 16;

// The first pixel whose centre lies at or right of a coordinate.
int PixelAtOrAfter(double v) {
  double p = std::ceil(v - 0.5);
  return static_cast<int>(std::clamp(p, -1e9, 1e9));
}

bool IsFinite(const WmfPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Clips the segment a-b to a box (Liang-Barsky); false when nothing is left.
bool ClipSegment(WmfPoint& a, WmfPoint& b, double left, double top, double right, double bottom) {
  double t0 = 0, t1 = 1, dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  WmfPoint start{a.x + t0 * dx, a.y + t0 * dy};
  b = WmfPoint{a.x + t1 * dx, a.y + t1 * dy};
  a = start;
  return true;
}

uint32_t Combine(WmfCanvas::Rop rop, uint32_t dst, uint32_t src) {
  switch (rop) {
    case WmfCanvas::kSrcPaint:
      return dst | src;
    case WmfCanvas::kSrcAnd:
      return dst & src;
    case WmfCanvas::kSrcInvert:
      return dst ^ src;
    case WmfCanvas::kNotSrcCopy:
      return ~src & 0xFFFFFF;
    case WmfCanvas::kBlackness:
      return 0;
    case WmfCanvas::kWhiteness:
      return 0xFFFFFF;
    case WmfCanvas::kDstInvert:
      return ~dst & 0xFFFFFF;
    default:
      return src;
  }
}

}  // namespace

WmfCanvas::WmfCanvas(int width, int height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height * 3, 0xFF),
      clip_{0, 0, width, height},
      budget_(kWorkBudget) {}

uint32_t WmfCanvas::Pixel(int x, int y) const {
  const uint8_t* p = pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 3;
  return static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
}

void WmfCanvas::SetClip(const WmfRect& clip) {
  clip_ = WmfRect{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, width_),
                  std::min(clip.bottom, height_)};
  if (clip_.right < clip_.left) clip_.right = clip_.left;
  if (clip_.bottom < clip_.top) clip_.bottom = clip_.top;
}

void WmfCanvas::Unclip() { clip_ = WmfRect{0, 0, width_, height_}; }

bool WmfCanvas::Spend(int64_t work) {
  budget_ -= std::max<int64_t>(work, 1);
  return budget_ > 0;
}

void WmfCanvas::Plot(int x, int y, uint32_t colour) {
  if (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom) return;
  uint8_t* p = pixels_.data() + (static_cast<size_t>(y) * width_ + x) * 3;
  p[0] = colour & 0xFF;
  p[1] = (colour >> 8) & 0xFF;
  p[2] = (colour >> 16) & 0xFF;
}

uint32_t WmfCanvas::PaintColour(const WmfPaint& paint, int x, int y, bool& draw) const {
  draw = true;
  if (paint.kind == WmfPaint::kPattern && paint.pattern.Width() > 0 && paint.pattern.Height() > 0) {
    int w = paint.pattern.Width(), h = paint.pattern.Height();
    return paint.pattern.Pixel(((x % w) + w) % w, ((y % h) + h) % h);
  }
  if (paint.kind == WmfPaint::kSolid) return paint.colour;
  bool horizontal = (y & 7) == 0, vertical = (x & 7) == 0;
  bool forward = ((x - y) & 7) == 0, backward = ((x + y) & 7) == 0;
  static constexpr int kCount = 6;
  const bool on[kCount] = {horizontal,         vertical, forward, backward, horizontal || vertical,
                           forward || backward};
  if (paint.hatch >= 0 && paint.hatch < kCount && on[paint.hatch]) return paint.colour;
  draw = paint.opaque_background;
  return paint.background;
}

void WmfCanvas::FillSpan(int y, int x0, int x1, const WmfPaint& paint) {
  x0 = std::max(x0, clip_.left);
  x1 = std::min(x1, clip_.right);
  if (y < clip_.top || y >= clip_.bottom || x0 >= x1 || !Spend(x1 - x0)) return;
  if (paint.kind == WmfPaint::kSolid) {
    uint8_t* p = pixels_.data() + (static_cast<size_t>(y) * width_ + x0) * 3;
    for (int x = x0; x < x1; ++x, p += 3) {
      p[0] = paint.colour & 0xFF;
      p[1] = (paint.colour >> 8) & 0xFF;
      p[2] = (paint.colour >> 16) & 0xFF;
    }
    return;
  }
  for (int x = x0; x < x1; ++x) {
    bool draw = true;
    uint32_t colour = PaintColour(paint, x, y, draw);
    if (draw) Plot(x, y, colour);
  }
}

void WmfCanvas::FillPolygons(const std::vector<std::vector<WmfPoint>>& polygons, bool winding,
                             const WmfPaint& paint) {
  struct Edge {
    double x_top, y_top, slope, y_bottom;
    int direction;
  };
  std::vector<Edge> edges;
  double min_y = 1e300, max_y = -1e300;
  for (const auto& polygon : polygons) {
    for (size_t i = 0; i < polygon.size(); ++i) {
      WmfPoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
      if (!IsFinite(a) || !IsFinite(b) || a.y == b.y) continue;
      int direction = a.y < b.y ? 1 : -1;
      if (a.y > b.y) std::swap(a, b);
      edges.push_back(Edge{a.x, a.y, (b.x - a.x) / (b.y - a.y), b.y, direction});
      min_y = std::min(min_y, a.y);
      max_y = std::max(max_y, b.y);
    }
  }
  if (edges.empty() || !HasBudget()) return;
  int top = std::max(clip_.top, PixelAtOrAfter(min_y));
  int bottom = std::min(clip_.bottom, PixelAtOrAfter(max_y));
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y_top < b.y_top; });
  std::vector<const Edge*> active;
  std::vector<std::pair<double, int>> crossings;
  size_t next = 0;
  for (int y = top; y < bottom; ++y) {
    double centre = y + 0.5;
    while (next < edges.size() && edges[next].y_top <= centre) active.push_back(&edges[next++]);
    std::erase_if(active, [&](const Edge* e) { return e->y_bottom <= centre; });
    if (!Spend(static_cast<int64_t>(active.size()))) return;
    crossings.clear();
    for (const Edge* e : active)
      crossings.emplace_back(e->x_top + (centre - e->y_top) * e->slope, e->direction);
    std::sort(crossings.begin(), crossings.end());
    int count = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
      count += winding ? crossings[i].second : 1;
      bool inside = winding ? count != 0 : (count & 1) != 0;
      if (inside)
        FillSpan(y, PixelAtOrAfter(crossings[i].first), PixelAtOrAfter(crossings[i + 1].first), paint);
    }
  }
}

void WmfCanvas::ThinLine(WmfPoint a, WmfPoint b, uint32_t colour) {
  if (!IsFinite(a) || !IsFinite(b)) return;
  WmfPoint end = b;
  if (!ClipSegment(a, b, clip_.left - 1.0, clip_.top - 1.0, clip_.right + 1.0, clip_.bottom + 1.0)) return;
  bool clipped_end = b.x != end.x || b.y != end.y;
  double dx = b.x - a.x, dy = b.y - a.y;
  int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
  if (steps == 0 || !Spend(steps)) return;
  // The last point is left out, as the platform's line drawing does, unless
  // clipping moved it.
  for (int i = 0; i < steps + (clipped_end ? 1 : 0); ++i) {
    // Multiplying before dividing keeps whole-pixel lines exact; the small
    // nudge keeps rounding from dropping a pixel of a diagonal.
    double x = a.x + dx * i / steps, y = a.y + dy * i / steps;
    Plot(static_cast<int>(std::floor(x + 1e-9)), static_cast<int>(std::floor(y + 1e-9)), colour);
  }
}

void WmfCanvas::StrokePolyline(const std::vector<WmfPoint>& points, bool closed, double width,
                               uint32_t colour) {
  size_t segments = points.size() < 2 ? 0 : (closed ? points.size() : points.size() - 1);
  if (width <= 1.5) {
    for (size_t i = 0; i < segments; ++i) ThinLine(points[i], points[(i + 1) % points.size()], colour);
    return;
  }
  // Wide lines: each segment a rectangle, each joint a disc (round joins and ends).
  WmfPaint paint;
  paint.colour = colour;
  double half = width / 2;
  for (size_t i = 0; i < segments && HasBudget(); ++i) {
    WmfPoint a = points[i], b = points[(i + 1) % points.size()];
    double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!(length > 1e-9) || !std::isfinite(length)) continue;
    double nx = -(b.y - a.y) / length * half, ny = (b.x - a.x) / length * half;
    FillPolygons({{{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}},
                 true, paint);
  }
  for (size_t i = 0; i < points.size() && segments > 0 && HasBudget(); ++i) {
    std::vector<WmfPoint> disc;
    for (int k = 0; k < kJoinSegments; ++k) {
      double angle = 2 * std::numbers::pi * k / kJoinSegments;
      disc.push_back({points[i].x + half * std::cos(angle), points[i].y + half * std::sin(angle)});
    }
    FillPolygons({disc}, true, paint);
  }
}

void WmfCanvas::StretchBitmap(const WmfDib& dib, int sx, int sy, int sw, int sh, double x0, double y0,
                              double x1, double y1, Rop rop, const WmfPaint* brush) {
  if (sw == 0 || sh == 0 || x0 == x1 || y0 == y1) return;
  if (!IsFinite({x0, y0}) || !IsFinite({x1, y1})) return;
  int left = std::max(clip_.left, PixelAtOrAfter(std::min(x0, x1)));
  int right = std::min(clip_.right, PixelAtOrAfter(std::max(x0, x1)));
  int top = std::max(clip_.top, PixelAtOrAfter(std::min(y0, y1)));
  int bottom = std::min(clip_.bottom, PixelAtOrAfter(std::max(y0, y1)));
  if (left >= right || top >= bottom) return;
  if (!Spend(static_cast<int64_t>(right - left) * (bottom - top))) return;
  for (int y = top; y < bottom; ++y) {
    double v = (y + 0.5 - y0) / (y1 - y0);
    int source_y = sy + static_cast<int>(std::floor(v * sh));
    if (source_y < 0 || source_y >= dib.Height()) continue;
    for (int x = left; x < right; ++x) {
      double u = (x + 0.5 - x0) / (x1 - x0);
      int source_x = sx + static_cast<int>(std::floor(u * sw));
      if (source_x < 0 || source_x >= dib.Width()) continue;
      uint32_t src = dib.Pixel(source_x, source_y);
      bool draw = true;
      if (rop == kPatCopy && brush) src = PaintColour(*brush, x, y, draw);
      if (draw) Plot(x, y, Combine(rop, Pixel(x, y), src));
    }
  }
}

void WmfCanvas::PatternBlit(double x0, double y0, double x1, double y1, Rop rop, const WmfPaint& brush) {
  if (!IsFinite({x0, y0}) || !IsFinite({x1, y1})) return;
  int left = std::max(clip_.left, PixelAtOrAfter(std::min(x0, x1)));
  int right = std::min(clip_.right, PixelAtOrAfter(std::max(x0, x1)));
  int top = std::max(clip_.top, PixelAtOrAfter(std::min(y0, y1)));
  int bottom = std::min(clip_.bottom, PixelAtOrAfter(std::max(y0, y1)));
  if (left >= right || top >= bottom) return;
  if (!Spend(static_cast<int64_t>(right - left) * (bottom - top))) return;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      bool draw = true;
      uint32_t colour = rop == kPatCopy ? PaintColour(brush, x, y, draw) : 0;
      if (draw) Plot(x, y, Combine(rop, Pixel(x, y), colour));
    }
  }
}
