#include "codec/wmf/WmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Record functions (the high byte is the record's size in words without bitmaps).
enum Function : uint16_t {
  kEof = 0x0000,
  kSaveDc = 0x001E,
  kRestoreDc = 0x0127,
  kSetBkMode = 0x0102,
  kSetMapMode = 0x0103,
  kSetPolyFillMode = 0x0106,
  kSetBkColor = 0x0201,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kOffsetWindowOrg = 0x020F,
  kMoveTo = 0x0214,
  kLineTo = 0x0213,
  kRectangle = 0x041B,
  kEllipse = 0x0418,
  kArc = 0x0817,
  kPie = 0x081A,
  kChord = 0x0830,
  kRoundRect = 0x061C,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kPolyPolygon = 0x0538,
  kIntersectClipRect = 0x0416,
  kExtTextOut = 0x0A32,
  kCreatePenIndirect = 0x02FA,
  kCreateBrushIndirect = 0x02FC,
  kDibCreatePatternBrush = 0x0142,
  kCreatePatternBrush = 0x01F9,
  kCreateFontIndirect = 0x02FB,
  kCreatePalette = 0x00F7,
  kCreateRegion = 0x06FF,
  kSelectObject = 0x012D,
  kDeleteObject = 0x01F0,
  kStretchDib = 0x0F43,
  kDibStretchBlt = 0x0B41,
  kDibBitBlt = 0x0940,
  kSetDibToDev = 0x0D33,
  kPatBlt = 0x061D,
};

constexpr int kMapText = 1;
constexpr int kMapIsotropic = 7;
constexpr int kMapAnisotropic = 8;
constexpr int kPenNull = 5;
constexpr int kBrushNull = 1;
constexpr int kBrushHatched = 2;
constexpr int kBrushDibPattern = 5;
constexpr int kBrushDibPatternPt = 6;
constexpr uint16_t kEtoOpaque = 0x0002;
constexpr size_t kMaxObjects = 65535;
constexpr size_t kMaxSavedStates = 1024;

// The logical units per device pixel of the fixed mapping modes (at 96 dpi).
double FixedModeScale(int mode) {
  switch (mode) {
    case 2:
      return 96.0 / 254;  // 0.1 mm
    case 3:
      return 96.0 / 2540;  // 0.01 mm
    case 4:
      return 0.96;  // 0.01 inch
    case 5:
      return 0.096;  // 0.001 inch
    case 6:
      return 96.0 / 1440;  // twips
    default:
      return 0;
  }
}

WmfCanvas::Rop RopOf(uint32_t rop, WmfCanvas::Rop fallback) {
  switch ((rop >> 16) & 0xFF) {
    case 0xCC:
      return WmfCanvas::kSrcCopy;
    case 0xEE:
      return WmfCanvas::kSrcPaint;
    case 0x88:
      return WmfCanvas::kSrcAnd;
    case 0x66:
      return WmfCanvas::kSrcInvert;
    case 0x33:
      return WmfCanvas::kNotSrcCopy;
    case 0x00:
      return WmfCanvas::kBlackness;
    case 0xFF:
      return WmfCanvas::kWhiteness;
    case 0x55:
      return WmfCanvas::kDstInvert;
    case 0xF0:
      return WmfCanvas::kPatCopy;
    default:
      return fallback;
  }
}

}  // namespace

int16_t WmfPlayer::Record::Word(size_t i) const {
  if (i >= count) return 0;
  return static_cast<int16_t>(params[i * 2] | (params[i * 2 + 1] << 8));
}

uint32_t WmfPlayer::Record::Colour(size_t i) const {
  uint32_t low = Unsigned(i), high = Unsigned(i + 1);
  // COLORREF 0x00BBGGRR to 0x00RRGGBB.
  return (low & 0xFF) << 16 | (low & 0xFF00) | (high & 0xFF);
}

WmfPlayer::WmfPlayer(WmfCanvas& canvas, const Setup& setup) : canvas_(canvas) {
  state_.window_x = setup.window_x;
  state_.window_y = setup.window_y;
  state_.window_width = setup.window_width;
  state_.window_height = setup.window_height;
  state_.map_mode = setup.map_mode;
  state_.brush.paint.colour = 0xFFFFFF;
  state_.clip = canvas.Clip();
  objects_.resize(std::min(setup.object_slots, kMaxObjects));
}

void WmfPlayer::Play(const uint8_t* data, size_t size) {
  size_t pos = 0;
  while (size - pos >= 6 && canvas_.HasBudget()) {
    const uint8_t* p = data + pos;
    uint64_t words = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint64_t>(p[3]) << 24);
    uint16_t function = static_cast<uint16_t>(p[4] | (p[5] << 8));
    if (function == kEof || words < 3 || words > (size - pos) / 2) return;
    Dispatch(Record{function, p + 6, static_cast<size_t>(words - 3)});
    pos += static_cast<size_t>(words) * 2;
  }
}

WmfPoint WmfPlayer::ToDevice(double x, double y) const {
  double dx = x - state_.window_x, dy = y - state_.window_y;
  double fixed = FixedModeScale(state_.map_mode);
  if (fixed > 0) return WmfPoint{dx * fixed, -dy * fixed};
  if (state_.window_width == 0 || state_.window_height == 0) return WmfPoint{dx, dy};
  double sx = static_cast<double>(canvas_.Width()) / state_.window_width;
  double sy = static_cast<double>(canvas_.Height()) / state_.window_height;
  if (state_.map_mode == kMapIsotropic) {
    double s = std::min(std::fabs(sx), std::fabs(sy));
    sx = std::copysign(s, sx);
    sy = std::copysign(s, sy);
  }
  return WmfPoint{dx * sx, dy * sy};
}

double WmfPlayer::DeviceWidth(double logical) const {
  WmfPoint origin = ToDevice(state_.window_x, state_.window_y);
  WmfPoint far = ToDevice(state_.window_x + logical, state_.window_y);
  return std::fabs(far.x - origin.x);
}

std::vector<WmfPoint> WmfPlayer::Points(const Record& r, size_t first, size_t count) const {
  std::vector<WmfPoint> points;
  count = std::min(count, first < r.count ? (r.count - first) / 2 : 0);
  points.reserve(count);
  for (size_t i = 0; i < count; ++i)
    points.push_back(ToDevice(r.Word(first + 2 * i), r.Word(first + 2 * i + 1)));
  return points;
}

std::vector<WmfPoint> WmfPlayer::EllipsePoints(double left, double top, double right, double bottom) const {
  WmfPoint a = ToDevice(left, top), b = ToDevice(right, bottom);
  double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2, rx = std::fabs(b.x - a.x) / 2,
         ry = std::fabs(b.y - a.y) / 2;
  int segments = static_cast<int>(std::clamp((rx + ry) * 2, 16.0, 720.0));
  std::vector<WmfPoint> points;
  for (int k = 0; k < segments; ++k) {
    double angle = 2 * std::numbers::pi * k / segments;
    points.push_back({cx + rx * std::cos(angle), cy + ry * std::sin(angle)});
  }
  return points;
}

std::vector<WmfPoint> WmfPlayer::ArcPoints(const Record& r) const {
  // Words: end y, end x, start y, start x, then the bounding box bottom,
  // right, top, left. The arc runs counter-clockwise on screen from the ray
  // through the start point to the ray through the end point.
  WmfPoint a = ToDevice(r.Word(7), r.Word(6)), b = ToDevice(r.Word(5), r.Word(4));
  WmfPoint start = ToDevice(r.Word(3), r.Word(2)), end = ToDevice(r.Word(1), r.Word(0));
  double cx = (a.x + b.x) / 2, cy = (a.y + b.y) / 2, rx = std::fabs(b.x - a.x) / 2,
         ry = std::fabs(b.y - a.y) / 2;
  if (rx == 0 || ry == 0) return {};
  double from = std::atan2(-(start.y - cy) / ry, (start.x - cx) / rx);
  double to = std::atan2(-(end.y - cy) / ry, (end.x - cx) / rx);
  if (to <= from) to += 2 * std::numbers::pi;
  double full = std::clamp((rx + ry) * 2, 16.0, 720.0);
  int segments = std::max(2, static_cast<int>(full * (to - from) / (2 * std::numbers::pi)));
  std::vector<WmfPoint> points;
  for (int k = 0; k <= segments; ++k) {
    double angle = from + (to - from) * k / segments;
    points.push_back({cx + rx * std::cos(angle), cy - ry * std::sin(angle)});
  }
  return points;
}

void WmfPlayer::Stroke(const std::vector<WmfPoint>& points, bool closed) {
  if (state_.pen.style == kPenNull) return;
  double width = state_.pen.width <= 1 ? 1 : std::min(DeviceWidth(state_.pen.width), 4096.0);
  canvas_.StrokePolyline(points, closed, width, state_.pen.colour);
}

void WmfPlayer::FillAndStroke(const std::vector<std::vector<WmfPoint>>& polygons) {
  if (state_.brush.style != kBrushNull) {
    WmfPaint paint = state_.brush.paint;
    paint.background = state_.background;
    paint.opaque_background = state_.opaque_background;
    canvas_.FillPolygons(polygons, state_.winding, paint);
  }
  for (const auto& polygon : polygons) Stroke(polygon, true);
}

void WmfPlayer::CreateObject(const Object& object) {
  auto free =
      std::find_if(objects_.begin(), objects_.end(), [](const auto& slot) { return !slot.has_value(); });
  if (free != objects_.end()) {
    *free = object;
  } else if (objects_.size() < kMaxObjects) {
    objects_.push_back(object);
  }
}

void WmfPlayer::SelectObject(size_t index) {
  if (index >= objects_.size() || !objects_[index]) return;
  const Object& object = *objects_[index];
  if (object.kind == Object::kPen) state_.pen = object.pen;
  if (object.kind == Object::kBrush) state_.brush = object.brush;
}

void WmfPlayer::Dispatch(const Record& r) {
  switch (r.function) {
    case kSaveDc:
      if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
      return;
    case kRestoreDc: {
      int n = r.Word(0);
      size_t target = n < 0 ? (saved_.size() >= static_cast<size_t>(-n) ? saved_.size() + n : saved_.size())
                            : static_cast<size_t>(n - 1);
      if (n == 0 || target >= saved_.size()) return;
      state_ = saved_[target];
      saved_.resize(target);
      canvas_.SetClip(state_.clip);
      return;
    }
    case kSetBkMode:
      state_.opaque_background = r.Word(0) == 2;
      return;
    case kSetMapMode:
      // A frame given by the header keeps its mapping: the picture is drawn
      // to its frame whatever mode the records ask for.
      if (r.Word(0) != kMapText || state_.window_width == 0) state_.map_mode = r.Word(0);
      return;
    case kSetPolyFillMode:
      state_.winding = r.Word(0) == 2;
      return;
    case kSetBkColor:
      state_.background = r.Colour(0);
      return;
    case kSetWindowOrg:
      state_.window_y = r.Word(0), state_.window_x = r.Word(1);
      return;
    case kOffsetWindowOrg:
      state_.window_y += r.Word(0), state_.window_x += r.Word(1);
      return;
    case kSetWindowExt:
      state_.window_height = r.Word(0), state_.window_width = r.Word(1);
      if (state_.map_mode == kMapText) state_.map_mode = kMapAnisotropic;
      return;
    case kMoveTo:
      state_.position = WmfPoint{static_cast<double>(r.Word(1)), static_cast<double>(r.Word(0))};
      return;
    case kCreatePenIndirect: {
      Object object{Object::kPen, {r.Word(0) & 0x0F, r.Word(1), r.Colour(3)}, {}};
      CreateObject(object);
      return;
    }
    case kCreateBrushIndirect: {
      Object object{Object::kBrush, {}, {}};
      object.brush.style = r.Word(0);
      object.brush.paint.colour = r.Colour(1);
      if (object.brush.style == kBrushHatched) {
        object.brush.paint.kind = WmfPaint::kHatch;
        object.brush.paint.hatch = r.Word(3);
      } else if (object.brush.style != 0) {
        object.brush.style = kBrushNull;  // patterns need a bitmap this record does not carry
      }
      CreateObject(object);
      return;
    }
    case kDibCreatePatternBrush: {
      Object object{Object::kBrush, {}, {}};
      object.brush.paint.kind = WmfPaint::kPattern;
      int style = r.Word(0);
      bool parsed = (style == kBrushDibPattern || style == kBrushDibPatternPt) && r.count > 2 &&
                    object.brush.paint.pattern.ParseCopy(r.params + 4, (r.count - 2) * 2, r.Word(1) == 1);
      if (!parsed) {
        object.brush.style = kBrushNull;
        object.brush.paint.kind = WmfPaint::kSolid;
      }
      CreateObject(object);
      return;
    }
    case kCreatePatternBrush:
    case kCreateFontIndirect:
    case kCreatePalette:
    case kCreateRegion:
      // Fonts, palettes, regions and device-dependent patterns are not drawn,
      // but they take their place in the object table all the same.
      CreateObject(Object{});
      return;
    case kSelectObject:
      SelectObject(r.Unsigned(0));
      return;
    case kDeleteObject:
      if (r.Unsigned(0) < objects_.size()) objects_[r.Unsigned(0)].reset();
      return;
    case kIntersectClipRect: {
      WmfPoint a = ToDevice(r.Word(3), r.Word(2)), b = ToDevice(r.Word(1), r.Word(0));
      auto pixel = [](double v) { return static_cast<int>(std::clamp(std::ceil(v - 0.5), -1e9, 1e9)); };
      WmfRect clip{std::max(state_.clip.left, pixel(std::min(a.x, b.x))),
                   std::max(state_.clip.top, pixel(std::min(a.y, b.y))),
                   std::min(state_.clip.right, pixel(std::max(a.x, b.x))),
                   std::min(state_.clip.bottom, pixel(std::max(a.y, b.y)))};
      canvas_.SetClip(clip);
      state_.clip = canvas_.Clip();
      return;
    }
    default:
      DrawRecord(r);
      return;
  }
}

void WmfPlayer::DrawRecord(const Record& r) {
  switch (r.function) {
    case kLineTo: {
      WmfPoint to{static_cast<double>(r.Word(1)), static_cast<double>(r.Word(0))};
      Stroke({ToDevice(state_.position.x, state_.position.y), ToDevice(to.x, to.y)}, false);
      state_.position = to;
      return;
    }
    case kRectangle:
    case kRoundRect: {
      // NOTE: rounded corners are drawn square.
      size_t at = r.function == kRoundRect ? 2 : 0;
      double bottom = r.Word(at), right = r.Word(at + 1), top = r.Word(at + 2), left = r.Word(at + 3);
      FillAndStroke(
          {{ToDevice(left, top), ToDevice(right, top), ToDevice(right, bottom), ToDevice(left, bottom)}});
      return;
    }
    case kEllipse:
      FillAndStroke({EllipsePoints(r.Word(3), r.Word(2), r.Word(1), r.Word(0))});
      return;
    case kArc:
    case kPie:
    case kChord: {
      std::vector<WmfPoint> arc = ArcPoints(r);
      if (r.function == kArc) {
        Stroke(arc, false);
        return;
      }
      if (r.function == kPie) {
        WmfPoint a = ToDevice(r.Word(7), r.Word(6)), b = ToDevice(r.Word(5), r.Word(4));
        arc.insert(arc.begin(), WmfPoint{(a.x + b.x) / 2, (a.y + b.y) / 2});
      }
      FillAndStroke({arc});
      return;
    }
    case kPolygon:
      FillAndStroke({Points(r, 1, r.Unsigned(0))});
      return;
    case kPolyline:
      Stroke(Points(r, 1, r.Unsigned(0)), false);
      return;
    case kPolyPolygon: {
      size_t polygons = r.Unsigned(0), first = 1 + polygons;
      std::vector<std::vector<WmfPoint>> all;
      for (size_t i = 0; i < polygons && first < r.count; ++i) {
        size_t count = r.Unsigned(1 + i);
        all.push_back(Points(r, first, count));
        first += 2 * count;
      }
      FillAndStroke(all);
      return;
    }
    case kExtTextOut:
      // Text is not drawn; the opaque background box is.
      if ((r.Unsigned(3) & kEtoOpaque) && r.count >= 8) {
        WmfPaint paint;
        paint.colour = state_.background;
        WmfPoint a = ToDevice(r.Word(4), r.Word(5)), b = ToDevice(r.Word(6), r.Word(7));
        canvas_.PatternBlit(a.x, a.y, b.x, b.y, WmfCanvas::kPatCopy, paint);
      }
      return;
    default:
      BitmapRecord(r);
      return;
  }
}

void WmfPlayer::BitmapRecord(const Record& r) {
  uint32_t rop = r.Unsigned(0) | static_cast<uint32_t>(r.Unsigned(1)) << 16;
  auto bitmap = [&](size_t word) { return word < r.count ? r.params + word * 2 : nullptr; };
  auto bitmap_size = [&](size_t word) { return word < r.count ? (r.count - word) * 2 : 0; };
  // A pattern operation with the hollow brush leaves the destination alone.
  auto pattern_blit = [&](WmfPoint a, WmfPoint b) {
    WmfCanvas::Rop op = RopOf(rop, WmfCanvas::kPatCopy);
    if (op == WmfCanvas::kPatCopy && state_.brush.style == kBrushNull) return;
    canvas_.PatternBlit(a.x, a.y, b.x, b.y, op, state_.brush.paint);
  };
  switch (r.function) {
    case kStretchDib:
      Stretch(bitmap(11), bitmap_size(11), r.Word(2) == 1, r.Word(6), r.Word(5), r.Word(4), r.Word(3),
              r.Word(10), r.Word(9), r.Word(8), r.Word(7), rop, false);
      return;
    case kDibStretchBlt:
      if (r.count == 11) {  // no bitmap: a pattern operation on the destination
        WmfPoint a = ToDevice(r.Word(10), r.Word(9)),
                 b = ToDevice(r.Word(10) + r.Word(8), r.Word(9) + r.Word(7));
        pattern_blit(a, b);
        return;
      }
      Stretch(bitmap(10), bitmap_size(10), false, r.Word(5), r.Word(4), r.Word(3), r.Word(2), r.Word(9),
              r.Word(8), r.Word(7), r.Word(6), rop, false);
      return;
    case kDibBitBlt:
      if (r.count == 9) {
        WmfPoint a = ToDevice(r.Word(8), r.Word(7)),
                 b = ToDevice(r.Word(8) + r.Word(6), r.Word(7) + r.Word(5));
        pattern_blit(a, b);
        return;
      }
      Stretch(bitmap(8), bitmap_size(8), false, r.Word(3), r.Word(2), r.Word(5), r.Word(4), r.Word(7),
              r.Word(6), r.Word(5), r.Word(4), rop, false);
      return;
    case kSetDibToDev:
      Stretch(bitmap(9), bitmap_size(9), r.Word(0) == 1, r.Word(4), r.Word(3), r.Word(6), r.Word(5),
              r.Word(8), r.Word(7), r.Word(6), r.Word(5), 0x00CC0020, true);
      return;
    case kPatBlt: {
      WmfPoint a = ToDevice(r.Word(5), r.Word(4)), b = ToDevice(r.Word(5) + r.Word(3), r.Word(4) + r.Word(2));
      pattern_blit(a, b);
      return;
    }
    default:
      return;  // records that do not draw, or that this player does not know
  }
}

void WmfPlayer::Stretch(const uint8_t* dib, size_t size, bool palette_indices, int sx, int sy, int sw, int sh,
                        int dx, int dy, int dw, int dh, uint32_t rop, bool one_to_one) {
  WmfDib bitmap;
  if (!dib || !bitmap.Parse(dib, size, palette_indices)) return;
  // Source rows of a bottom-up bitmap are counted from its bottom edge.
  int top = bitmap.Height() - sy - sh;
  if (top < 0 || top > bitmap.Height()) top = sy;
  WmfPoint a = ToDevice(dx, dy);
  WmfPoint b = one_to_one ? WmfPoint{a.x + dw, a.y + dh}
                          : ToDevice(static_cast<double>(dx) + dw, static_cast<double>(dy) + dh);
  canvas_.StretchBitmap(bitmap, sx, top, sw, sh, a.x, a.y, b.x, b.y, RopOf(rop, WmfCanvas::kSrcCopy),
                        &state_.brush.paint);
}
