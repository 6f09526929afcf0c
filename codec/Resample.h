// Resampling of pixel planes, shared by ResizeTo and ShrinkOntoCanvas. A plane
// is given by the address of its top row and a signed row step, so bottom-up
// pictures need no copying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// For one destination index along an axis: the two source indices it blends
// and the weight of the second one, in 1/256.
struct LinearTap {
  int first;
  int second;
  int weight;
};

// The taps of every destination index along an axis (pixel centres aligned).
std::vector<LinearTap> LinearTaps(int source_size, int destination_size);

// One bilinear destination row from its two source rows; weight is the
// lower row's share in 1/256.
void BilinearRow(const uint8_t* upper, const uint8_t* lower, int weight,
                 const std::vector<LinearTap>& columns, int channels, uint8_t* destination);

// The size a width × height picture shrinks to on a canvas_width ×
// canvas_height canvas: one factor for both sides, height / picture height
// when width < height × (canvas_width / canvas_height), else canvas_width /
// width; at least one pixel each way. Only meaningful when it is larger.
void ShrunkSize(int width, int height, int canvas_width, int canvas_height, int& new_width, int& new_height);

}  // namespace resample
