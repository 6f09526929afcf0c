#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "codec/Picture.h"

namespace {

constexpr CanvasColour kWhite{255, 255, 255};

// A w × h picture of one colour.
Picture Solid(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
  Picture picture;
  EXPECT_TRUE(picture.Create(width, height, 24));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = picture.Row(y) + x * 3;
      p[0] = blue, p[1] = green, p[2] = red;
    }
  return picture;
}

// The rectangle of pixels that differ from the canvas colour.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Box NonCanvas(const Picture& picture, CanvasColour canvas) {
  Box box;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      uint8_t c[4];
      picture.PixelRgba(x, y, c);
      if (c[0] == canvas.red && c[1] == canvas.green && c[2] == canvas.blue) continue;
      box.left = std::min(box.left, x), box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1), box.bottom = std::max(box.bottom, y + 1);
    }
  return box;
}

struct FitCase {
  int width, height;  // the picture
  int canvas_width, canvas_height;
  int fitted_width, fitted_height;  // what the picture becomes on the canvas
};

class ShrinkOntoCanvasTest : public ::testing::TestWithParam<FitCase> {};

// One factor for both sides (h / height when width < height × w / h, else
// w / width), never enlarging, centred on the canvas colour.
TEST_P(ShrinkOntoCanvasTest, FitsByOneFactorAndCentres) {
  const FitCase& c = GetParam();
  Picture picture = Solid(c.width, c.height, 200, 10, 10);
  Picture result;
  ASSERT_TRUE(picture.ShrinkOntoCanvas(c.canvas_width, c.canvas_height, kWhite, &result));
  EXPECT_EQ(result.Width(), c.canvas_width);
  EXPECT_EQ(result.Height(), c.canvas_height);
  EXPECT_EQ(result.BitsPerPixel(), 24);
  Box box = NonCanvas(result, kWhite);
  EXPECT_EQ(box.right - box.left, c.fitted_width);
  EXPECT_EQ(box.bottom - box.top, c.fitted_height);
  EXPECT_EQ(box.left, (c.canvas_width - c.fitted_width) / 2);
  EXPECT_EQ(box.top, (c.canvas_height - c.fitted_height) / 2);
  uint8_t centre[4];
  result.PixelRgba(c.canvas_width / 2, c.canvas_height / 2, centre);
  EXPECT_EQ(centre[0], 200);
  EXPECT_EQ(picture.Width(), c.width);  // the source is untouched
}

INSTANTIATE_TEST_SUITE_P(Rules, ShrinkOntoCanvasTest,
                         ::testing::Values(FitCase{50, 40, 83, 83, 50, 40},      // smaller: never enlarged
                                           FitCase{200, 100, 83, 83, 83, 41},    // wide
                                           FitCase{100, 200, 83, 83, 41, 83},    // tall
                                           FitCase{4000, 3000, 83, 83, 83, 62},  // photo
                                           FitCase{1800, 1200, 900, 600, 900, 600},
                                           FitCase{1200, 1800, 900, 600, 400, 600},
                                           FitCase{1000, 100, 90, 60, 90, 9},
                                           FitCase{90, 61, 90, 60, 88, 60},    // just too tall
                                           FitCase{5000, 1, 83, 83, 83, 1}));  // never collapses to 0

// The 50 × 40 picture keeps every one of its pixels in the middle of 83 × 83.
TEST(ShrinkOntoCanvas, SmallPictureIsCopiedExactly) {
  Picture picture;
  ASSERT_TRUE(picture.Create(50, 40, 24));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 150; ++x) picture.Row(y)[x] = static_cast<uint8_t>(x * 7 + y);
  CanvasColour grey{1, 2, 3};
  ASSERT_TRUE(picture.ShrinkOntoCanvas(83, 83, grey));
  ASSERT_EQ(picture.Width(), 83);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 150; ++x) ASSERT_EQ(picture.Row(21 + y)[16 * 3 + x], static_cast<uint8_t>(x * 7 + y));
  uint8_t corner[4];
  picture.PixelRgba(0, 0, corner);
  EXPECT_EQ(corner[0], 1);
  EXPECT_EQ(corner[2], 3);
}

// Transparency is laid over the canvas colour; the result has no alpha.
TEST(ShrinkOntoCanvas, AlphaBlendsOverTheCanvas) {
  Picture picture = Solid(10, 10, 0, 0, 0);
  picture.CreateAlpha();
  for (int y = 0; y < 10; ++y) std::fill(picture.AlphaRow(y), picture.AlphaRow(y) + 10, y < 5 ? 0 : 128);
  ASSERT_TRUE(picture.ShrinkOntoCanvas(10, 10, kWhite));
  EXPECT_FALSE(picture.HasAlpha());
  uint8_t top[4], bottom[4];
  picture.PixelRgba(3, 1, top);
  picture.PixelRgba(3, 8, bottom);
  EXPECT_EQ(top[0], 255);
  EXPECT_NEAR(bottom[0], 127, 1);
}

TEST(ShrinkOntoCanvas, RefusesEmptyPictureAndBadSizes) {
  Picture empty;
  EXPECT_FALSE(empty.ShrinkOntoCanvas(83, 83, kWhite));
  Picture picture = Solid(4, 4, 1, 2, 3);
  EXPECT_FALSE(picture.ShrinkOntoCanvas(0, 83, kWhite));
  EXPECT_FALSE(picture.ShrinkOntoCanvas(83, -1, kWhite));
  EXPECT_EQ(picture.Width(), 4);
}

// A picture with a value per pixel that tells where it came from.
Picture Numbered(int width, int height, int bits) {
  Picture picture;
  EXPECT_TRUE(picture.Create(width, height, bits));
  int colours = bits == 24 ? 256 : 1 << bits;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int value = (x * 31 + y * 17) % colours;
      uint8_t* row = picture.Row(y);
      if (bits == 24) row[x * 3] = uint8_t(value), row[x * 3 + 1] = uint8_t(x), row[x * 3 + 2] = uint8_t(y);
      if (bits == 8) row[x] = uint8_t(value);
      if (bits == 4) row[x / 2] |= uint8_t(value << ((x & 1) ? 0 : 4));
      if (bits == 1) row[x / 8] |= uint8_t(value << (7 - x % 8));
    }
  return picture;
}

bool SamePixels(const Picture& a, const Picture& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitsPerPixel() != b.BitsPerPixel())
    return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      uint8_t p[4], q[4];
      a.PixelRgba(x, y, p);
      b.PixelRgba(x, y, q);
      if (std::memcmp(p, q, 4) != 0) return false;
    }
  return true;
}

class TurnTest : public ::testing::TestWithParam<int> {};

// Right then left gives the same pixels back, at every depth and with alpha;
// a right turn takes the top-left pixel to the top-right corner.
TEST_P(TurnTest, RightThenLeftRestores) {
  Picture original = Numbered(13, 7, GetParam());
  original.CreateAlpha();
  original.AlphaRow(0)[0] = 9;
  Picture picture = original;
  ASSERT_TRUE(picture.TurnRight());
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 13);
  uint8_t moved[4], source[4];
  picture.PixelRgba(6, 0, moved);
  original.PixelRgba(0, 0, source);
  EXPECT_EQ(std::memcmp(moved, source, 4), 0);
  EXPECT_EQ(moved[3], 9);
  ASSERT_TRUE(picture.TurnLeft());
  EXPECT_TRUE(SamePixels(picture, original));
  // Four left turns are no turn at all.
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(picture.TurnLeft());
  EXPECT_TRUE(SamePixels(picture, original));
}

INSTANTIATE_TEST_SUITE_P(Depths, TurnTest, ::testing::Values(1, 4, 8, 24));

TEST(Turn, EmptyPictureFails) {
  Picture empty;
  EXPECT_FALSE(empty.TurnLeft());
  EXPECT_FALSE(empty.TurnRight());
}

// A horizontal ramp 0, 10, 20, ... of the given width.
Picture Ramp(int width) {
  Picture picture;
  EXPECT_TRUE(picture.Create(width, 3, 24));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < width; ++x)
      std::fill(picture.Row(y) + x * 3, picture.Row(y) + x * 3 + 3, uint8_t(x * 10));
  return picture;
}

// Halving: nearest takes every second pixel, bilinear averages each pair,
// bicubic lies close to the ramp; all keep a uniform picture uniform.
TEST(ResizeTo, Modes) {
  Picture nearest = Ramp(16), bilinear = Ramp(16), bicubic = Ramp(16);
  ASSERT_TRUE(nearest.ResizeTo(8, 3, Picture::kResizeNearest));
  ASSERT_TRUE(bilinear.ResizeTo(8, 3, 0));
  ASSERT_TRUE(bicubic.ResizeTo(8, 3, Picture::kResizeBicubic));
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(nearest.Row(1)[x * 3], x * 20);
    EXPECT_NEAR(bilinear.Row(1)[x * 3], x * 20 + 5, 1);
    if (x > 0 && x < 7) {
      EXPECT_NEAR(bicubic.Row(1)[x * 3], x * 20 + 5, 1);
    }
  }
  for (int mode : {0, 1, 2, 7}) {
    Picture solid = Solid(9, 5, 10, 20, 30);
    ASSERT_TRUE(solid.ResizeTo(23, 2, mode));
    uint8_t c[4];
    solid.PixelRgba(22, 1, c);
    EXPECT_EQ(c[0], 10);
    EXPECT_EQ(c[2], 30);
  }
}

// Palette pictures become 24-bit; alpha is resampled with the colours.
TEST(ResizeTo, PaletteAndAlpha) {
  Picture picture = Numbered(8, 8, 4);
  picture.CreateAlpha();
  ASSERT_TRUE(picture.ResizeTo(16, 4, 0));
  EXPECT_EQ(picture.BitsPerPixel(), 24);
  EXPECT_TRUE(picture.HasAlpha());
  EXPECT_EQ(picture.AlphaRow(3)[15], 255);
  EXPECT_FALSE(picture.ResizeTo(0, 4, 0));
  EXPECT_FALSE(picture.ResizeTo(4, Picture::kMaxDimension + 1, 0));
  EXPECT_EQ(picture.Width(), 16);
}

// Size limits are checked before anything is allocated.
TEST(Create, Limits) {
  Picture picture;
  EXPECT_FALSE(picture.Create(Picture::kMaxDimension + 1, 1, 24));
  EXPECT_FALSE(picture.Create(20000, 20000, 24));  // 1.2 GB
  EXPECT_FALSE(picture.Create(10, 10, 16));
  EXPECT_TRUE(picture.Create(3, 1, 1));
  EXPECT_EQ(picture.Stride(), 4u);
  EXPECT_EQ(picture.Palette().size(), 2u);
}

}  // namespace
