// Test helpers that use ImageMagick as the independent reference: it writes
// sample files in every variant a codec reads, and reads back what our
// encoders write. Always the real program (/usr/bin/convert), never whatever
// "convert" comes first on the PATH.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codec/Picture.h"

namespace magick {

inline const char* kConvert = "/usr/bin/convert";
inline const char* kIdentify = "/usr/bin/identify";

// Runs convert with the given argument text; true when it succeeded.
inline bool Convert(const std::string& arguments) {
  std::string command = std::string(kConvert) + " " + arguments + " 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

// The whole standard output of a shell command.
inline std::string Capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// An image as ImageMagick sees it: 8-bit red, green, blue, alpha.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// Reads the first frame of a file through ImageMagick; false when it cannot.
inline bool Read(const std::string& path, Image& image) {
  std::string size = Capture(std::string(kIdentify) + " -format '%w %h' '" + path + "[0]' 2>/dev/null");
  if (std::sscanf(size.c_str(), "%d %d", &image.width, &image.height) != 2) return false;
  std::string bytes = Capture(std::string(kConvert) + " '" + path + "[0]' -depth 8 rgba:- 2>/dev/null");
  image.rgba.assign(bytes.begin(), bytes.end());
  return image.rgba.size() == static_cast<size_t>(image.width) * image.height * 4;
}

// Writes red-green-blue-alpha bytes as a PAM file (ImageMagick reads it).
inline bool WritePam(const std::string& path, const Image& image, bool with_alpha) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fprintf(file, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n", image.width,
               image.height, with_alpha ? 4 : 3, with_alpha ? "RGB_ALPHA" : "RGB");
  for (size_t i = 0; i < image.rgba.size(); i += 4) std::fwrite(&image.rgba[i], 1, with_alpha ? 4 : 3, file);
  return std::fclose(file) == 0;
}

// A deterministic picture with smooth areas, hard edges and noise; with
// alpha, the left columns are transparent and a band is half transparent.
inline Image Pattern(int width, int height, bool with_alpha) {
  Image image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
      p[1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
      p[2] = static_cast<uint8_t>(((x / 4 + y / 4) & 1) ? 200 : (seed >> 24));
      p[3] = !with_alpha ? 255 : (x < width / 4 ? 0 : (y < height / 3 ? 128 : 255));
    }
  return image;
}

// How far a decoded picture is from ImageMagick's view of the same file.
struct Difference {
  bool same_size = false;
  double mean = 0;    // mean absolute colour difference over visible pixels
  int max = 0;        // largest colour difference over visible pixels
  int alpha_max = 0;  // largest alpha difference
};

// Compares colours where either side is visible (colours under full
// transparency are arbitrary) and alpha everywhere.
inline Difference Compare(const Picture& picture, const Image& image) {
  Difference d;
  d.same_size = picture.Width() == image.width && picture.Height() == image.height;
  if (!d.same_size || !picture.HasPixels()) return d;
  uint64_t sum = 0, count = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      uint8_t ours[4];
      picture.PixelRgba(x, y, ours);
      const uint8_t* theirs = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      d.alpha_max = std::max(d.alpha_max, std::abs(ours[3] - theirs[3]));
      if (ours[3] == 0 && theirs[3] == 0) continue;
      for (int k = 0; k < 3; ++k) {
        int e = std::abs(ours[k] - theirs[k]);
        sum += e;
        ++count;
        d.max = std::max(d.max, e);
      }
    }
  d.mean = count ? static_cast<double>(sum) / count : 0;
  return d;
}

// Builds a Picture (24 bits, alpha when asked) from red-green-blue-alpha bytes.
inline Picture ToPicture(const Image& image, bool with_alpha) {
  Picture picture;
  picture.Create(image.width, image.height, 24);
  if (with_alpha) picture.CreateAlpha();
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      uint8_t* q = picture.Row(y) + x * 3;
      q[0] = p[2], q[1] = p[1], q[2] = p[0];
      if (with_alpha) picture.AlphaRow(y)[x] = p[3];
    }
  return picture;
}

}  // namespace magick
