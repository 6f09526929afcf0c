// Run-length decoding of 4 and 8 bit BMP pixel data.
#pragma once

#include "codec/Picture.h"
#include "codec/PictureFile.h"

// Decodes RLE8 (or RLE4) data from the stream into an 8 (or 4) bit picture
// already created at the right size. Runs that leave the picture are clipped;
// pixels the data skips keep index 0. False when the data ends before the
// end-of-bitmap marker and before the last row was reached.
bool DecodeBmpRle(PictureFile& file, bool four_bit, bool top_down, Picture& picture);
