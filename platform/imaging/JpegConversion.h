// The platform imaging library's picture-to-JPEG conversion, used by the
// upload preparation: read a picture file (or take a bitmap) and write it with
// the "image/jpeg" encoder and no encoder parameters, which means the
// library's default quality.
#pragma once

#include <string>

class Picture;

namespace platform::imaging {

// The quality the "image/jpeg" encoder uses when given no parameters.
constexpr int kDefaultJpegQuality = 75;

// Reads any picture file the codec layer can read (the format is detected,
// whatever the name says) and writes it to out as a JPEG. False, with out
// left alone, when the input cannot be read; false when out cannot be written.
bool ConvertFileToJpeg(const std::string& in, const std::string& out);

// Writes a bitmap to out as a JPEG. The bitmap is lent for the call and
// comes back unchanged (its own JPEG quality setting is not used).
bool SaveBitmapAsJpeg(Picture& bitmap, const std::string& out);

}  // namespace platform::imaging
