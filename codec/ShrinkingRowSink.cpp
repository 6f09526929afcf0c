#include "codec/ShrinkingRowSink.h"

#include <cstring>
#include <utility>

ShrinkingRowSink::ShrinkingRowSink(CanvasFit fit, CanvasColour colour)
    : fit_(std::move(fit)), colour_(colour) {}

bool ShrinkingRowSink::Begin(int width, int height) {
  int canvas_width = 0, canvas_height = 0;
  fit_(width, height, canvas_width, canvas_height);
  if (canvas_width <= 0 || canvas_height <= 0 || !canvas_.Create(canvas_width, canvas_height, 24))
    return false;
  for (int y = 0; y < canvas_height; ++y) {
    uint8_t* row = canvas_.Row(y);
    for (int x = 0; x < canvas_width; ++x)
      row[x * 3] = colour_.blue, row[x * 3 + 1] = colour_.green, row[x * 3 + 2] = colour_.red;
  }
  source_width_ = width;
  source_height_ = height;
  int fitted_width = width, fitted_height = height;
  shrinking_ = width > canvas_width || height > canvas_height;
  if (shrinking_) {
    resample::ShrunkSize(width, height, canvas_width, canvas_height, fitted_width, fitted_height);
    columns_ = resample::LinearTaps(width, fitted_width);
    rows_ = resample::LinearTaps(height, fitted_height);
  }
  left_ = (canvas_width - fitted_width) / 2;
  top_ = (canvas_height - fitted_height) / 2;
  previous_.assign(static_cast<size_t>(width) * 3, 0);
  current_.assign(static_cast<size_t>(width) * 3, 0);
  return true;
}

uint8_t* ShrinkingRowSink::RowBuffer(int) { return current_.data(); }

void ShrinkingRowSink::RowDone(int y) {
  rows_done_ = y + 1;
  if (!shrinking_) {
    std::memcpy(canvas_.Row(top_ + y) + left_ * 3, current_.data(), current_.size());
    return;
  }
  // Every output row whose lower source row is this one can be made now: its
  // upper source row is this one or the one before.
  const int fitted_height = static_cast<int>(rows_.size());
  while (next_output_row_ < fitted_height && rows_[next_output_row_].second == y) {
    const resample::LinearTap& tap = rows_[next_output_row_];
    const uint8_t* upper = tap.first == y ? current_.data() : previous_.data();
    resample::BilinearRow(upper, current_.data(), tap.weight, columns_, 3,
                          canvas_.Row(top_ + next_output_row_) + left_ * 3);
    ++next_output_row_;
  }
  previous_.swap(current_);
}
