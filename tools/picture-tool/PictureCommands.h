// The commands of picture-tool. Each writes its result to out and any error
// text to err, and returns the exit status: 0 success, 1 failure.
#pragma once

#include <ostream>
#include <string>

namespace picture_tool {

// The size of a thumbnail of a width × height picture: fitted into 83 × 83
// keeping the aspect ratio, never enlarged, never below one pixel.
struct Size {
  int width;
  int height;
};
Size ThumbnailSize(int width, int height);

// Prints the detected type, width, height and bits per pixel.
int Info(const std::string& path, std::ostream& out, std::ostream& err);
// Decodes by the input's extension (with detection), encodes by the output's.
int Convert(const std::string& in, const std::string& out_path, std::ostream& err);
// Writes the 83 × 83-fitted thumbnail of a picture as PNG.
int Thumb(const std::string& in, const std::string& out_path, std::ostream& err);

}  // namespace picture_tool
