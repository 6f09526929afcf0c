#include "codec/wmf/WmfCodec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/wmf/tests/WmfBuilder.h"
#include "tools/testsupport/TempDir.h"

namespace {

using wmftest::WmfBuilder;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

// Plays a metafile; an invalid picture when it does not decode.
Picture Play(const std::string& bytes) {
  MemoryPictureFile file(bytes.data(), bytes.size());
  WmfCodec codec;
  Picture picture;
  if (codec.Decode(file)) picture.Swap(codec);
  return picture;
}

uint32_t At(const Picture& picture, int x, int y) {
  uint8_t rgba[4];
  picture.PixelRgba(x, y, rgba);
  return static_cast<uint32_t>(rgba[0]) << 16 | rgba[1] << 8 | rgba[2];
}

// A 100 × 50 pixel frame at one logical unit a pixel, with the defaults
// replaced by a null pen and a solid brush of the given colour.
WmfBuilder Frame(uint32_t brush = kRed) {
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96).Pen(5, 0, 0).Brush(0, brush).Select(0).Select(1);
  return b;
}

struct Probe {
  int x, y;
  uint32_t colour;
};

void ExpectPixels(const Picture& picture, std::initializer_list<Probe> probes) {
  ASSERT_TRUE(picture.HasPixels());
  for (const Probe& p : probes) {
    EXPECT_EQ(At(picture, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
  }
}

TEST(WmfCodec, PlaceableFrameGivesTheSizeAtScreenResolution) {
  // 2 × 1 inches at 1440 units an inch: 192 × 96 pixels.
  Picture picture = Play(WmfBuilder().Placeable(0, 0, 2880, 1440, 1440).Build());
  ASSERT_TRUE(picture.HasPixels());
  EXPECT_EQ(picture.Width(), 192);
  EXPECT_EQ(picture.Height(), 96);
  EXPECT_EQ(picture.BitsPerPixel(), 24);
  EXPECT_EQ(At(picture, 100, 50), kWhite);
}

TEST(WmfCodec, SizeWithoutPlaceableHeader) {
  Picture windowed = Play(WmfBuilder().Record(wmftest::kSetWindowExt, {120, 300}).Build());
  ASSERT_TRUE(windowed.HasPixels());
  EXPECT_EQ(windowed.Width(), 300);
  EXPECT_EQ(windowed.Height(), 120);
  Picture plain = Play(WmfBuilder().Rectangle(0, 0, 5, 5).Build());
  ASSERT_TRUE(plain.HasPixels());
  EXPECT_EQ(plain.Width(), 640);
  EXPECT_EQ(plain.Height(), 480);
}

TEST(WmfCodec, HugeFramesAreScaledDownToTheLimit) {
  Picture picture = Play(WmfBuilder().Placeable(-30000, 0, 30000, 15000, 96).Build());
  ASSERT_TRUE(picture.HasPixels());
  EXPECT_EQ(picture.Width(), WmfCodec::kMaxSide);
  EXPECT_EQ(picture.Height(), WmfCodec::kMaxSide / 4);
}

TEST(WmfCodec, RectangleFillsPixelCentresInside) {
  ExpectPixels(Play(Frame().Rectangle(10, 10, 30, 20).Build()),
               {{10, 10, kRed}, {29, 19, kRed}, {30, 15, kWhite}, {15, 20, kWhite}, {9, 15, kWhite}});
}

TEST(WmfCodec, WindowMapsLogicalUnitsOntoTheFrame) {
  // The frame is 1000 × 500 units at 960 an inch (100 × 50 pixels); the
  // window then moves the origin and doubles the scale.
  WmfBuilder b;
  b.Placeable(0, 0, 1000, 500, 960)
      .Record(wmftest::kSetWindowOrg, {100, 200})
      .Record(wmftest::kSetWindowExt, {250, 500})
      .Pen(5, 0, 0)
      .Brush(0, kBlue)
      .Select(0)
      .Select(1)
      .Rectangle(200, 100, 250, 150);
  ExpectPixels(Play(b.Build()), {{0, 0, kBlue}, {9, 9, kBlue}, {10, 10, kWhite}});
}

TEST(WmfCodec, PenDrawsLinesAndNullPenDoesNot) {
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96).Pen(0, 1, kBlack).Select(0);
  b.Record(wmftest::kMoveTo, {5, 10}).Record(wmftest::kLineTo, {5, 60});
  b.Record(wmftest::kPolyline, {3, 10, 20, 50, 20, 50, 40});
  b.Pen(5, 0, 0).Select(1).Record(wmftest::kMoveTo, {30, 10}).Record(wmftest::kLineTo, {30, 60});
  ExpectPixels(Play(b.Build()), {{10, 5, kBlack},
                                 {40, 5, kBlack},
                                 {60, 5, kWhite},  // last point left out
                                 {30, 20, kBlack},
                                 {50, 30, kBlack},
                                 {40, 30, kWhite},
                                 {20, 30, kWhite}});
}

TEST(WmfCodec, RectangleOutlineHasNoGaps) {
  WmfBuilder b;
  b.Placeable(0, 0, 100, 60, 96).Brush(1, 0).Select(0).Rectangle(3, 0, 50, 50);  // default pen, no fill
  Picture picture = Play(b.Build());
  ASSERT_TRUE(picture.HasPixels());
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(At(picture, 50, i), kBlack) << "right edge at " << i;
    EXPECT_EQ(At(picture, 3 + i * 47 / 50, 50), kBlack) << "bottom edge at " << i;
  }
  EXPECT_EQ(At(picture, 25, 25), kWhite);
}

TEST(WmfCodec, WidePenCoversItsWidth) {
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96).Pen(0, 6, kGreen).Select(0);
  b.Record(wmftest::kMoveTo, {25, 10}).Record(wmftest::kLineTo, {25, 90});
  ExpectPixels(Play(b.Build()), {{50, 22, kGreen}, {50, 27, kGreen}, {50, 29, kWhite}, {50, 20, kWhite}});
}

TEST(WmfCodec, PolyPolygonFillModes) {
  // Two squares, the inner one inside the outer, both the same way round:
  // alternate filling leaves a hole, winding fills it.
  auto file = [](int mode) {
    return Frame(kBlue)
        .Record(wmftest::kSetPolyFillMode, {mode})
        .Record(wmftest::kPolyPolygon,
                {2, 4, 4, 10, 10, 40, 10, 40, 40, 10, 40, 20, 20, 30, 20, 30, 30, 20, 30})
        .Build();
  };
  ExpectPixels(Play(file(1)), {{15, 15, kBlue}, {25, 25, kWhite}, {45, 25, kWhite}});
  ExpectPixels(Play(file(2)), {{15, 15, kBlue}, {25, 25, kBlue}, {45, 25, kWhite}});
}

TEST(WmfCodec, PolygonAndEllipse) {
  WmfBuilder b = Frame(kGreen);
  b.Record(wmftest::kPolygon, {3, 60, 10, 90, 10, 60, 40});
  b.Record(wmftest::kEllipse, {40, 50, 10, 10});  // bottom, right, top, left
  ExpectPixels(Play(b.Build()), {{65, 15, kGreen}, {88, 35, kWhite}, {30, 25, kGreen}, {11, 11, kWhite}});
}

TEST(WmfCodec, PieAndArcRunCounterClockwiseFromStartToEnd) {
  WmfBuilder b = Frame(kBlue);
  // end y, end x, start y, start x, box bottom, right, top, left: from the
  // right (3 o'clock) round to the top, the upper right quarter.
  b.Record(wmftest::kPie, {10, 30, 30, 50, 50, 50, 10, 10});
  b.Pen(0, 1, kBlack)
      .Select(2)
      .Record(wmftest::kArc, {30, 90, 10, 70, 50, 90, 10, 50});  // from the top to the right
  ExpectPixels(Play(b.Build()), {{40, 20, kBlue},
                                 {20, 20, kWhite},
                                 {20, 40, kWhite},
                                 {40, 40, kWhite},
                                 {50, 30, kBlack},
                                 {70, 10, kBlack},
                                 {89, 30, kBlack},
                                 {70, 49, kBlack},
                                 {84, 16, kWhite}});
}

TEST(WmfCodec, HatchedBrushPaintsLinesAndTheBackgroundWhenOpaque) {
  auto file = [](int background_mode) {
    WmfBuilder b;
    b.Placeable(0, 0, 100, 50, 96).Pen(5, 0, 0).Select(0);
    b.Brush(0, kGreen).Select(1).Rectangle(0, 0, 100, 50);  // a green ground under the hatch
    b.Record(wmftest::kSetBkMode, {background_mode})
        .Record(wmftest::kSetBkColor, {WmfBuilder::Low(kBlue), WmfBuilder::High(kBlue)});
    b.Brush(2, kRed, 0).Select(2).Rectangle(0, 0, 100, 50);
    return b.Build();
  };
  ExpectPixels(Play(file(2)), {{5, 8, kRed}, {5, 9, kBlue}});
  ExpectPixels(Play(file(1)), {{5, 8, kRed}, {5, 9, kGreen}});
}

TEST(WmfCodec, ObjectTableReusesTheLowestFreeSlot) {
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96);
  b.Pen(5, 0, 0).Record(wmftest::kCreateFontIndirect, {12, 0, 0, 0, 400}).Brush(0, kRed);  // slots 0, 1, 2
  b.Select(0).Select(2).Rectangle(0, 0, 10, 10);
  b.Record(wmftest::kDeleteObject, {1}).Brush(0, kBlue);  // the font's slot 1
  b.Select(1).Rectangle(20, 0, 30, 10);
  b.Brush(0, kGreen).Select(3).Rectangle(40, 0, 50, 10);
  b.Brush(0, kBlack).Select(4).Rectangle(60, 0, 70, 10);  // past the header's four slots
  ExpectPixels(Play(b.Build()), {{5, 5, kRed}, {25, 5, kBlue}, {45, 5, kGreen}, {65, 5, kBlack}});
}

TEST(WmfCodec, RestoreDcBringsBackTheBrushAndTheClip) {
  WmfBuilder b = Frame(kRed);
  b.Record(wmftest::kSaveDc, {});
  b.Brush(0, kBlue).Select(2).Record(wmftest::kIntersectClipRect, {20, 20, 0, 0});
  b.Rectangle(0, 0, 100, 50);  // clipped to 20 × 20
  b.Record(wmftest::kRestoreDc, {-1}).Rectangle(50, 30, 60, 40);
  ExpectPixels(Play(b.Build()), {{10, 10, kBlue}, {30, 10, kWhite}, {10, 30, kWhite}, {55, 35, kRed}});
}

TEST(WmfCodec, StretchDibitsScalesAndMirrors) {
  std::string dib = wmftest::Dib24({{kRed, kGreen}, {kBlue, kBlack}});
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96);
  // rop, usage, source h, w, y, x, destination h, w, y, x
  b.Record(wmftest::kStretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, 20, 0, 0}, dib);
  b.Record(wmftest::kStretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, -20, 0, 60}, dib);  // mirrored
  ExpectPixels(Play(b.Build()), {{5, 5, kRed},
                                 {15, 5, kGreen},
                                 {5, 15, kBlue},
                                 {15, 15, kBlack},
                                 {45, 5, kGreen},
                                 {55, 5, kRed},
                                 {20, 5, kWhite}});
}

TEST(WmfCodec, PaletteBitmapsThroughDibStretchBltAndSetDibitsToDevice) {
  std::string dib = wmftest::Dib8({kRed, kGreen, kBlue}, {{0, 1, 2}});
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96);
  // rop, source h, w, y, x, destination h, w, y, x
  b.Record(wmftest::kDibStretchBlt, {0x0020, 0x00CC, 1, 3, 0, 0, 10, 30, 0, 0}, dib);
  // usage, scan count, start scan, source y, x, h, w, destination y, x
  b.Record(wmftest::kSetDibToDev, {0, 1, 0, 0, 0, 1, 3, 20, 40}, dib);
  ExpectPixels(Play(b.Build()), {{5, 5, kRed},
                                 {15, 5, kGreen},
                                 {25, 5, kBlue},
                                 {35, 5, kWhite},
                                 {40, 20, kRed},
                                 {41, 20, kGreen},
                                 {42, 20, kBlue},
                                 {43, 20, kWhite}});
}

TEST(WmfCodec, PatternBrushTilesItsBitmap) {
  std::string dib = wmftest::Dib24({{kRed, kGreen}});
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96).Pen(5, 0, 0).Select(0);
  b.Record(wmftest::kDibCreatePatternBrush, {5, 0}, dib).Select(1).Rectangle(0, 0, 10, 10);
  ExpectPixels(Play(b.Build()), {{0, 0, kRed}, {1, 0, kGreen}, {2, 3, kRed}, {9, 9, kGreen}});
}

TEST(WmfCodec, OpaqueTextBackgroundIsPaintedButTextIsNot) {
  WmfBuilder b;
  b.Placeable(0, 0, 100, 50, 96)
      .Record(wmftest::kSetBkColor, {WmfBuilder::Low(kGreen), WmfBuilder::High(kGreen)});
  // y, x, length, options (opaque), box left, top, right, bottom, "Hi"
  b.Record(wmftest::kExtTextOut, {10, 10, 2, 2, 5, 5, 40, 20}, "Hi");
  ExpectPixels(Play(b.Build()), {{6, 6, kGreen}, {39, 19, kGreen}, {41, 10, kWhite}});
}

TEST(WmfCodec, MalformedRecordsEndPlaybackButKeepThePicture) {
  WmfBuilder b = Frame(kRed);
  b.Rectangle(0, 0, 10, 10);
  b.Record(wmftest::kPolygon, {30000, 1, 2});  // claims far more points than it holds
  b.Record(wmftest::kStretchDib, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, 20, 0, 0}, "short bitmap");
  std::string bytes = b.Build();
  bytes.resize(bytes.size() - 6);                       // no end record, but
  bytes += std::string("\xFF\xFF\x00\x10\x1B\x04", 6);  // a record longer than the file
  Picture picture = Play(bytes);
  ExpectPixels(picture, {{5, 5, kRed}, {50, 25, kWhite}});
}

TEST(WmfCodec, EndlessFillsStopAtTheWorkBudget) {
  WmfBuilder b;
  b.Placeable(0, 0, 2048, 2048, 96).Pen(5, 0, 0).Brush(0, kRed).Select(0).Select(1);
  for (int i = 0; i < 20000; ++i) b.Rectangle(0, 0, 2048, 2048);
  EXPECT_TRUE(Play(b.Build()).HasPixels());
}

struct RefusedCase {
  const char* name;
  std::string bytes;
};

class WmfRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(WmfRefuses, WithAnErrorAndNoPixels) {
  MemoryPictureFile file(GetParam().bytes.data(), GetParam().bytes.size());
  WmfCodec codec;
  EXPECT_FALSE(codec.Decode(file));
  EXPECT_FALSE(codec.HasPixels());
  EXPECT_FALSE(codec.LastError().empty());
}

std::string Patched(std::string bytes, size_t at, char value) {
  bytes[at] = value;
  return bytes;
}

const std::string kValid = WmfBuilder().Rectangle(0, 0, 5, 5).Build();

INSTANTIATE_TEST_SUITE_P(
    Headers, WmfRefuses,
    testing::Values(RefusedCase{"empty", ""}, RefusedCase{"short", kValid.substr(0, 10)},
                    RefusedCase{"bad_type", Patched(kValid, 0, 3)},
                    RefusedCase{"bad_header_size", Patched(kValid, 2, 8)},
                    RefusedCase{"bad_version", Patched(kValid, 5, 2)},
                    RefusedCase{"no_records", kValid.substr(0, 18)},
                    RefusedCase{"first_record_too_long", Patched(kValid, 20, 0x7F)},
                    RefusedCase{"empty_frame", WmfBuilder().Placeable(10, 0, 10, 50, 96).Build()},
                    RefusedCase{"text", std::string("Just some words in a text file, nothing more.\n")}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(WmfCodec, SavingAsWmfIsNotSupported) {
  Picture picture = Play(kValid);
  ASSERT_TRUE(picture.HasPixels());
  std::vector<uint8_t> out;
  EXPECT_FALSE(picture.SaveToMemory(out, kImageWmf));
  EXPECT_EQ(picture.LastError(), "Save WMF not supported");
}

TEST(WmfCodec, DetectionFindsAMetafile) {
  std::string bytes = Frame().Rectangle(10, 10, 30, 20).Build();
  Picture picture;
  ASSERT_TRUE(picture.LoadFromMemory(bytes.data(), bytes.size(), kImageUnknown)) << picture.LastError();
  EXPECT_EQ(picture.Width(), 100);
  EXPECT_EQ(At(picture, 15, 15), kRed);
}

// Inputs that once crashed the decoder under the fuzzer; each must be refused
// or decoded cleanly.
TEST(WmfCodec, FuzzerRegressionsDecodeOrFailCleanly) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TESSEL_TESTDATA_DIR "/regressions")) {
    std::string bytes = testsupport::ReadFileBytes(entry.path());
    MemoryPictureFile file(bytes.data(), bytes.size());
    WmfCodec codec;
    if (!codec.Decode(file)) {
      EXPECT_FALSE(codec.LastError().empty()) << entry.path();
    }
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
