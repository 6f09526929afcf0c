// Fits a picture onto a canvas while it is being decoded: the same pixels as
// decoding it whole and calling ShrinkOntoCanvas, but only two full-size rows
// are ever held. Thumbnails of large photographs are made this way.
#pragma once

#include <functional>
#include <vector>

#include "codec/Picture.h"
#include "codec/Resample.h"
#include "codec/RowSink.h"

class ShrinkingRowSink : public RowSink {
 public:
  // Chooses the canvas size from the decoded picture's size.
  using CanvasFit = std::function<void(int width, int height, int& canvas_width, int& canvas_height)>;

  ShrinkingRowSink(CanvasFit fit, CanvasColour colour);

  bool Begin(int width, int height) override;
  uint8_t* RowBuffer(int y) override;
  void RowDone(int y) override;

  // The finished canvas (valid once every row was delivered).
  Picture& Result() { return canvas_; }
  // True when every row of the picture was delivered.
  bool Complete() const { return rows_done_ == source_height_; }

 private:
  CanvasFit fit_;
  CanvasColour colour_;
  Picture canvas_;
  int source_width_ = 0;
  int source_height_ = 0;
  int rows_done_ = 0;
  int left_ = 0;  // where the fitted picture sits on the canvas
  int top_ = 0;
  bool shrinking_ = false;
  std::vector<resample::LinearTap> columns_;
  std::vector<resample::LinearTap> rows_;
  int next_output_row_ = 0;
  std::vector<uint8_t> previous_;  // full-size row y - 1
  std::vector<uint8_t> current_;   // full-size row y
};
