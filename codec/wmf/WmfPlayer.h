// Plays the records of a metafile onto a WmfCanvas: mapping modes and the
// window origin and extent, pens, brushes (solid, hatched, bitmap patterns),
// the object table, saved states, clip rectangles, polygons, lines,
// rectangles, ellipses, arcs, pies, chords and bitmap copies. Text is not drawn: only the opaque
// background rectangle of ExtTextOut is painted. Records it does not know are
// skipped; a record that runs past the end of the data ends playback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "codec/wmf/WmfCanvas.h"

class WmfPlayer {
 public:
  // The logical window the device maps onto, and the starting mapping mode.
  struct Setup {
    int window_x = 0;
    int window_y = 0;
    int window_width = 0;  // 0: no window yet (device units until one is set)
    int window_height = 0;
    int map_mode = 1;
    size_t object_slots = 0;  // from the header; the table grows beyond it when needed
  };

  WmfPlayer(WmfCanvas& canvas, const Setup& setup);

  // Plays the records in data (starting after the headers) until the end record.
  void Play(const uint8_t* data, size_t size);

 private:
  struct Pen {
    int style = 0;  // 0 solid (dashes are drawn solid), 5 none
    int width = 0;  // logical units; 0 means one pixel
    uint32_t colour = 0;
  };
  struct Brush {
    int style = 0;  // 0 solid, 1 none, 2 hatched, 3/5 pattern
    WmfPaint paint;
  };
  struct Object {
    enum Kind { kPen, kBrush, kOther };
    Kind kind = kOther;
    Pen pen;
    Brush brush;
  };
  struct State {
    Pen pen;
    Brush brush;
    uint32_t background = 0xFFFFFF;
    bool opaque_background = true;
    bool winding = false;
    WmfPoint position;  // logical
    int map_mode = 1;
    int window_x = 0, window_y = 0, window_width = 0, window_height = 0;
    WmfRect clip;
  };

  // One record: its function and its 16-bit parameters.
  struct Record {
    uint16_t function;
    const uint8_t* params;
    size_t count;  // parameters (16-bit words)
    int16_t Word(size_t i) const;
    uint16_t Unsigned(size_t i) const { return static_cast<uint16_t>(Word(i)); }
    uint32_t Colour(size_t i) const;  // a COLORREF at words i, i+1, as 0x00RRGGBB
  };

  void Dispatch(const Record& r);
  void DrawRecord(const Record& r);
  void BitmapRecord(const Record& r);
  void CreateObject(const Object& object);
  void SelectObject(size_t index);

  WmfPoint ToDevice(double x, double y) const;
  double DeviceWidth(double logical) const;
  std::vector<WmfPoint> Points(const Record& r, size_t first, size_t count) const;
  std::vector<WmfPoint> EllipsePoints(double left, double top, double right, double bottom) const;
  std::vector<WmfPoint> ArcPoints(const Record& r) const;
  void FillAndStroke(const std::vector<std::vector<WmfPoint>>& polygons);
  void Stroke(const std::vector<WmfPoint>& points, bool closed);
  void Stretch(const uint8_t* dib, size_t size, bool palette_indices, int sx, int sy, int sw, int sh, int dx,
               int dy, int dw, int dh, uint32_t rop, bool one_to_one);

  WmfCanvas& canvas_;
  State state_;
  std::vector<State> saved_;
  std::vector<std::optional<Object>> objects_;
};
