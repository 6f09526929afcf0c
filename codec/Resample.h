// Resampling of pixel planes, shared by ResizeTo and ShrinkOntoCanvas. A plane
// is given by the address of its top row and a signed row step, so bottom-up
// pictures need no copying.
#pragma once

#include <cstddef>
#include <cstdint>

namespace resample {

// A plane of width × height pixels of channels bytes each (1 or 3).
struct Plane {
  uint8_t* top = nullptr;
  ptrdiff_t step = 0;  // bytes from one row to the next one down
  int width = 0;
  int height = 0;
  int channels = 0;
  uint8_t* Row(int y) const { return top + step * y; }
};

// Each destination pixel takes the source pixel under its centre.
void Nearest(const Plane& source, const Plane& destination);
// Two-by-two linear interpolation in 8.8 fixed point.
void Bilinear(const Plane& source, const Plane& destination);
// Four-by-four cubic convolution (Catmull-Rom).
void Bicubic(const Plane& source, const Plane& destination);

}  // namespace resample
