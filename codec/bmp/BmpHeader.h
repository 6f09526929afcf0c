// The headers of a BMP file: reading and validating them before any pixel
// memory is allocated, and writing them for the encoder.
#pragma once

#include <cstdint>

#include "codec/Picture.h"
#include "codec/PictureFile.h"

// Compression values of the info header.
enum BmpCompression : uint32_t {
  kBmpRgb = 0,
  kBmpRle8 = 1,
  kBmpRle4 = 2,
  kBmpBitfields = 3,
  kBmpAlphaBitfields = 6,
};

// One colour channel of a 16 or 32 bit pixel: its mask, shift and width.
struct BmpMask {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

// What the decoder needs from the headers, already validated.
struct BmpHeader {
  bool core = false;  // the 12-byte header of the oldest format (3-byte palette entries)
  int width = 0;
  int height = 0;  // always positive; top_down says the row order
  bool top_down = false;
  int bit_count = 0;
  uint32_t compression = kBmpRgb;
  int colours_used = 0;      // palette entries stored in the file (palette depths only)
  int64_t pixel_offset = 0;  // from the start of the file header
  int x_dpi = 96;
  int y_dpi = 96;
  BmpMask red, green, blue, alpha;
  const char* error = "BMP: bad header";
};

// Reads the file and info headers (and the channel masks) from the current
// position, leaving the stream at the colour table; false with header.error.
bool ReadBmpHeader(PictureFile& file, BmpHeader& header);

// Writes the file and info headers and the colour table of picture; a 24-bit
// picture with alpha is written as 32 bits with an alpha mask.
bool WriteBmpHeader(PictureFile& file, const Picture& picture, bool with_alpha);
