// A receiver of decoded rows, for decoders that can hand a picture over row
// by row instead of filling a whole Picture (see ShrinkingRowSink).
#pragma once

#include <cstdint>

class RowSink {
 public:
  virtual ~RowSink() = default;
  // Called once with the picture's size before any row; false stops the decode.
  virtual bool Begin(int width, int height) = 0;
  // Where row y (counted from the top, blue-green-red, width × 3 bytes) goes.
  virtual uint8_t* RowBuffer(int y) = 0;
  // Row y is complete; rows arrive in order from the top.
  virtual void RowDone(int y) = 0;
};
