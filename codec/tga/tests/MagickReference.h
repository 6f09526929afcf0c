// Test helpers that use ImageMagick as the reference reader and writer for the
// TGA, PCX and PSD codecs: it writes sample files in every variant, and reads
// back what our encoders write, both compared pixel for pixel as RGBA bytes.
#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/Picture.h"

namespace magick {

// The real ImageMagick, not a stand-in that may come first on the PATH.
inline const char* kConvert = "/usr/bin/convert";

// RGBA bytes of a picture, with its size.
struct Rgba {
  int width = 0;
  int height = 0;
  std::string bytes;
  bool operator==(const Rgba&) const = default;
};

// Shows the size and the first differing bytes when a comparison fails.
inline void PrintTo(const Rgba& rgba, std::ostream* os) {
  *os << rgba.width << "x" << rgba.height << " (" << rgba.bytes.size() << " bytes):";
  for (size_t i = 0; i < rgba.bytes.size() && i < 48; ++i) {
    static const char* kHex = "0123456789abcdef";
    uint8_t b = static_cast<uint8_t>(rgba.bytes[i]);
    *os << (i % 4 ? "" : " ") << kHex[b >> 4] << kHex[b & 15];
  }
}

inline std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs convert with the arguments; stdout is returned, exit status in status.
inline std::string Run(const std::vector<std::string>& args, int* status = nullptr) {
  std::string command = kConvert;
  for (const std::string& a : args) command += " " + Quote(a);
  command += " 2>/dev/null";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// Writes the picture's pixels as a PAM file (RGB_ALPHA), which ImageMagick reads
// without help from any of our codecs.
inline void WritePam(const Picture& picture, const std::filesystem::path& path) {
  std::string data = "P7\nWIDTH " + std::to_string(picture.Width()) + "\nHEIGHT " +
                     std::to_string(picture.Height()) + "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      uint8_t rgba[4];
      picture.PixelRgba(x, y, rgba);
      data.append(reinterpret_cast<char*>(rgba), 4);
    }
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  fwrite(data.data(), 1, data.size(), f);
  fclose(f);
}

// How ImageMagick sees a file, as 8-bit RGBA. NOTE: ImageMagick keeps a
// bottom-up TGA's rows in file order and only labels the orientation, so the
// picture is turned upright first.
inline Rgba Read(const std::filesystem::path& path) {
  Rgba result;
  std::string size = Run({path.string() + "[0]", "-format", "%w %h", "info:"});
  if (sscanf(size.c_str(), "%d %d", &result.width, &result.height) != 2) return {};
  result.bytes = Run({path.string() + "[0]", "-auto-orient", "-depth", "8", "rgba:-"});
  return result;
}

// The RGBA bytes of one of our pictures.
inline Rgba Of(const Picture& picture) {
  Rgba result{picture.Width(), picture.Height(), {}};
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      uint8_t rgba[4];
      picture.PixelRgba(x, y, rgba);
      result.bytes.append(reinterpret_cast<char*>(rgba), 4);
    }
  }
  return result;
}

// A small picture with runs of equal pixels (for run-length coding), many
// distinct colours and an odd width (for row padding).
inline Picture Sample24(int width = 13, int height = 7) {
  Picture p;
  p.Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* px = p.Row(y) + x * 3;
      bool flat = x < 5;  // a run at the start of every row
      px[0] = static_cast<uint8_t>(flat ? 40 : x * 19 + y * 7);
      px[1] = static_cast<uint8_t>(flat ? 200 : 255 - x * 11);
      px[2] = static_cast<uint8_t>(flat ? 90 + y : y * 37);
    }
  }
  return p;
}

// Sample24 with an alpha plane of varied levels.
inline Picture SampleWithAlpha(int width = 13, int height = 7) {
  Picture p = Sample24(width, height);
  p.CreateAlpha();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.AlphaRow(y)[x] = static_cast<uint8_t>(x < 3 ? 255 : x * 17 + y);
  }
  return p;
}

// An 8-bit palette picture using colours out of a non-grey palette.
inline Picture SamplePalette(int width = 13, int height = 7, int colours = 256) {
  Picture p;
  p.Create(width, height, 8);
  for (int i = 0; i < 256; ++i) {
    p.Palette()[i] = RgbQuad{static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                             static_cast<uint8_t>(i * 7 + 1), 0};
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.Row(y)[x] = static_cast<uint8_t>(x < 4 ? 1 : (x * 5 + y * 3) % colours);
  }
  return p;
}

// An 8-bit grey picture (grey-ramp palette).
inline Picture SampleGrey(int width = 13, int height = 7) {
  Picture p;
  p.Create(width, height, 8);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.Row(y)[x] = static_cast<uint8_t>(x < 4 ? 128 : x * 20 + y * 3);
  }
  return p;
}

// Decodes bytes with one codec class.
template <class Codec>
bool DecodeBytes(const std::string& bytes, Codec& codec) {
  MemoryPictureFile file(bytes.data(), bytes.size());
  return codec.Decode(file);
}

}  // namespace magick
