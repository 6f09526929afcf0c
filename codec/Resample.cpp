#include "codec/Resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace resample {
namespace {

// Position of a destination pixel centre on the source axis, in source pixels.
inline double SourceCentre(int i, int source_size, int destination_size) {
  return (i + 0.5) * source_size / destination_size - 0.5;
}

inline double CubicWeight(double t) {
  t = std::fabs(t);
  if (t < 1) return (1.5 * t - 2.5) * t * t + 1;
  if (t < 2) return ((-0.5 * t + 2.5) * t - 4) * t + 2;
  return 0;
}

struct CubicTap {
  int index[4];
  double weight[4];
};

std::vector<CubicTap> CubicTaps(int source_size, int destination_size) {
  std::vector<CubicTap> taps(destination_size);
  for (int i = 0; i < destination_size; ++i) {
    double centre = SourceCentre(i, source_size, destination_size);
    int base = static_cast<int>(std::floor(centre));
    for (int k = 0; k < 4; ++k) {
      taps[i].index[k] = std::clamp(base - 1 + k, 0, source_size - 1);
      taps[i].weight[k] = CubicWeight(centre - (base - 1 + k));
    }
  }
  return taps;
}

}  // namespace

std::vector<LinearTap> LinearTaps(int source_size, int destination_size) {
  std::vector<LinearTap> taps(destination_size);
  for (int i = 0; i < destination_size; ++i) {
    double centre = std::clamp(SourceCentre(i, source_size, destination_size), 0.0, source_size - 1.0);
    int first = static_cast<int>(centre);
    int second = std::min(first + 1, source_size - 1);
    taps[i] = {first, second, static_cast<int>((centre - first) * 256 + 0.5)};
  }
  return taps;
}

void BilinearRow(const uint8_t* upper, const uint8_t* lower, int weight,
                 const std::vector<LinearTap>& columns, int channels, uint8_t* destination) {
  const int c = channels, wy = weight;
  const int width = static_cast<int>(columns.size());
  for (int x = 0; x < width; ++x) {
    const int a = columns[x].first * c, b = columns[x].second * c, wx = columns[x].weight;
    for (int k = 0; k < c; ++k) {
      int top = upper[a + k] * (256 - wx) + upper[b + k] * wx;
      int bottom = lower[a + k] * (256 - wx) + lower[b + k] * wx;
      destination[x * c + k] = static_cast<uint8_t>((top * (256 - wy) + bottom * wy + 32768) >> 16);
    }
  }
}

void ShrunkSize(int width, int height, int canvas_width, int canvas_height, int& new_width, int& new_height) {
  int64_t w = canvas_width, h = canvas_height;
  bool by_height = static_cast<int64_t>(width) * h < static_cast<int64_t>(height) * w;
  new_width = by_height ? static_cast<int>(width * h / height) : canvas_width;
  new_height = by_height ? canvas_height : static_cast<int>(height * w / width);
  new_width = std::max(new_width, 1);
  new_height = std::max(new_height, 1);
}

void Nearest(const Plane& source, const Plane& destination) {
  const int c = source.channels;
  std::vector<int> columns(destination.width);
  for (int x = 0; x < destination.width; ++x)
    columns[x] = static_cast<int>(static_cast<int64_t>(x) * source.width / destination.width) * c;
  for (int y = 0; y < destination.height; ++y) {
    const uint8_t* src =
        source.Row(static_cast<int>(static_cast<int64_t>(y) * source.height / destination.height));
    uint8_t* dst = destination.Row(y);
    for (int x = 0; x < destination.width; ++x)
      for (int k = 0; k < c; ++k) dst[x * c + k] = src[columns[x] + k];
  }
}

void Bilinear(const Plane& source, const Plane& destination) {
  std::vector<LinearTap> columns = LinearTaps(source.width, destination.width);
  std::vector<LinearTap> rows = LinearTaps(source.height, destination.height);
  for (int y = 0; y < destination.height; ++y)
    BilinearRow(source.Row(rows[y].first), source.Row(rows[y].second), rows[y].weight, columns,
                source.channels, destination.Row(y));
}

void Bicubic(const Plane& source, const Plane& destination) {
  const int c = source.channels;
  std::vector<CubicTap> columns = CubicTaps(source.width, destination.width);
  std::vector<CubicTap> rows = CubicTaps(source.height, destination.height);
  for (int y = 0; y < destination.height; ++y) {
    uint8_t* dst = destination.Row(y);
    for (int x = 0; x < destination.width; ++x) {
      for (int k = 0; k < c; ++k) {
        double sum = 0;
        for (int j = 0; j < 4; ++j) {
          const uint8_t* src = source.Row(rows[y].index[j]);
          double line = 0;
          for (int i = 0; i < 4; ++i) line += columns[x].weight[i] * src[columns[x].index[i] * c + k];
          sum += rows[y].weight[j] * line;
        }
        dst[x * c + k] = static_cast<uint8_t>(std::clamp(sum + 0.5, 0.0, 255.0));
      }
    }
  }
}

}  // namespace resample
