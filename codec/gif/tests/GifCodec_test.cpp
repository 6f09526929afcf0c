#include "codec/gif/GifCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/MemoryPictureFile.h"
#include "codec/Picture.h"
#include "codec/gif/GifLzw.h"
#include "codec/tests/MagickTool.h"
#include "tools/testsupport/TempDir.h"

namespace {

struct MagickVariant {
  const char* name;
  const char* options;
  bool with_alpha;
  int width;
  int height;
};

class GifMagickTest : public ::testing::TestWithParam<MagickVariant> {};

TEST_P(GifMagickTest, DecodesLikeImageMagick) {
  const MagickVariant& v = GetParam();
  testsupport::TempDir dir;
  std::string source = (dir / "source.pam").string(), file = (dir / "out.gif").string();
  ASSERT_TRUE(magick::WritePam(source, magick::Pattern(v.width, v.height, v.with_alpha), v.with_alpha));
  ASSERT_TRUE(magick::Convert("'" + source + "' " + v.options + " 'gif:" + file + "'"));
  magick::Image reference;
  ASSERT_TRUE(magick::Read(file, reference));
  Picture picture;
  ASSERT_TRUE(picture.LoadFromFile(file, kImageGif)) << picture.LastError();
  magick::Difference d = magick::Compare(picture, reference);
  EXPECT_TRUE(d.same_size);
  EXPECT_EQ(d.max, 0);
  EXPECT_EQ(d.alpha_max, 0);
  EXPECT_EQ(picture.TransparentIndex() >= 0, v.with_alpha);
}

INSTANTIATE_TEST_SUITE_P(Variants, GifMagickTest,
                         ::testing::Values(MagickVariant{"palette", "", false, 45, 31},
                                           MagickVariant{"interlaced", "-interlace GIF", false, 45, 31},
                                           MagickVariant{"transparent", "", true, 45, 31},
                                           MagickVariant{"two_colours", "-colors 2", false, 45, 31},
                                           MagickVariant{"large_table_resets", "", false, 300, 200}),
                         [](const auto& info) { return std::string(info.param.name); });

// Real sample files: a single picture and the first frame of an animation.
TEST(GifSamples, ShippedFiles) {
  const std::string base = "/usr/share/doc/libsixel-examples/examples/images/";
  for (const char* name : {"snake.gif", "seq2gif.gif"}) {
    SCOPED_TRACE(name);
    magick::Image reference;
    ASSERT_TRUE(magick::Read(base + name, reference));
    Picture picture;
    ASSERT_TRUE(picture.LoadFromFile(base + name, kImageGif)) << picture.LastError();
    magick::Difference d = magick::Compare(picture, reference);
    EXPECT_TRUE(d.same_size);
    EXPECT_EQ(d.max, 0);
  }
}

struct EncodeCase {
  const char* name;
  int bits;
  bool with_alpha;
  int width;
  int height;
};

class GifEncodeTest : public ::testing::TestWithParam<EncodeCase> {};

// ImageMagick reads what we write; palette pictures and 24-bit pictures of at
// most 256 colours come back exactly.
TEST_P(GifEncodeTest, ImageMagickReadsWhatWeWrite) {
  const EncodeCase& c = GetParam();
  testsupport::TempDir dir;
  Picture picture;
  ASSERT_TRUE(picture.Create(c.width, c.height, c.bits));
  uint32_t seed = 7;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      seed = seed * 1103515245u + 12345u;
      // Runs and noise, so that the code table fills up and is reset.
      int value = (x / 3 + y) % 2 ? static_cast<int>(seed >> 24) : (x * y) & 255;
      if (c.bits == 24) {
        uint8_t* p = picture.Row(y) + x * 3;
        p[0] = static_cast<uint8_t>(value & 0xE0), p[1] = static_cast<uint8_t>((value << 3) & 0xE0),
        p[2] = 17;
      } else if (c.bits == 8) {
        picture.Row(y)[x] = static_cast<uint8_t>(value);
      } else {
        picture.Row(y)[x / 8] |= static_cast<uint8_t>((value & 1) << (7 - x % 8));
      }
    }
  if (c.bits <= 8) {
    for (size_t i = 0; i < picture.Palette().size(); ++i)
      picture.Palette()[i] = RgbQuad{uint8_t(i), uint8_t(i * 7), uint8_t(255 - i), 0};
  }
  if (c.with_alpha) {
    picture.CreateAlpha();
    for (int y = 0; y < c.height / 2; ++y) std::fill(picture.AlphaRow(y), picture.AlphaRow(y) + c.width, 0);
  }
  std::string file = (dir / "ours.gif").string();
  ASSERT_TRUE(picture.SaveToFile(file, kImageGif)) << picture.LastError();
  magick::Image reference;
  ASSERT_TRUE(magick::Read(file, reference));
  magick::Difference d = magick::Compare(picture, reference);
  EXPECT_TRUE(d.same_size);
  EXPECT_EQ(d.max, 0);
  EXPECT_EQ(d.alpha_max, 0);
  Picture back;
  ASSERT_TRUE(back.LoadFromFile(file, kImageGif));
  EXPECT_EQ(magick::Compare(back, reference).max, 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, GifEncodeTest,
                         ::testing::Values(EncodeCase{"mono", 1, false, 61, 13},
                                           EncodeCase{"pal8", 8, false, 257, 190},
                                           EncodeCase{"few_colours_24", 24, false, 120, 80},
                                           EncodeCase{"keyed_24", 24, true, 64, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

// More than 256 colours cannot be kept; the fixed colour cube stays close.
TEST(GifEncode, ManyColoursAreApproximated) {
  Picture picture = magick::ToPicture(magick::Pattern(64, 64, false), false);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(picture.SaveToMemory(bytes, kImageGif));
  Picture back;
  ASSERT_TRUE(back.LoadFromMemory(bytes.data(), bytes.size(), kImageGif));
  magick::Image source = magick::Pattern(64, 64, false);
  EXPECT_LE(magick::Compare(back, source).max, 43);  // half a step of the coarsest (blue) axis
}

// LZW round trip over long runs and every code width, including table resets.
TEST(GifLzw, RoundTripOfLongInput) {
  std::vector<uint8_t> input(200000);
  uint32_t seed = 1;
  for (size_t i = 0; i < input.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    input[i] = static_cast<uint8_t>(i % 5000 < 2500 ? (seed >> 28) : 3);
  }
  GifLzwEncoder encoder(4);
  encoder.Add(input.data(), input.size());
  std::vector<uint8_t> data = encoder.Finish();
  std::vector<uint8_t> output(input.size() + 10);
  GifLzwDecoder decoder(4, data.data(), data.size());
  ASSERT_EQ(decoder.Decode(output.data(), output.size()), input.size());
  output.resize(input.size());
  EXPECT_EQ(output, input);
}

// Broken files: no crash, an error text, no picture. A cut image data stream
// keeps the rows it holds.
TEST(GifReject, BrokenFiles) {
  Picture picture;
  ASSERT_TRUE(picture.Create(20, 10, 8));
  for (int y = 0; y < 10; ++y) std::fill(picture.Row(y), picture.Row(y) + 20, static_cast<uint8_t>(y));
  std::vector<uint8_t> good;
  ASSERT_TRUE(picture.SaveToMemory(good, kImageGif));
  std::vector<std::vector<uint8_t>> refused = {
      {'G', 'I', 'F', '8', '9', 'a'},
      {'G', 'I', 'F', '8', '8', 'a', 10, 0, 10, 0, 0, 0, 0, 0x3B},
      {'G', 'I', 'F', '8', '9', 'a', 10, 0, 10, 0, 0, 0, 0, 0x3B},  // no image at all
      std::vector<uint8_t>(good.begin(), good.begin() + 500),       // cut inside the colour table
  };
  std::vector<uint8_t> bad_code_size = good;
  bad_code_size[13 + 768 + 10] = 12;  // the LZW code size byte after the image descriptor
  refused.push_back(bad_code_size);
  for (size_t i = 0; i < refused.size(); ++i) {
    SCOPED_TRACE(i);
    GifCodec codec;
    MemoryPictureFile file(refused[i].data(), refused[i].size());
    EXPECT_FALSE(codec.Decode(file));
    EXPECT_FALSE(codec.HasPixels());
    EXPECT_FALSE(codec.LastError().empty());
  }
  std::vector<uint8_t> cut(good.begin(), good.end() - 12);
  Picture partial;
  ASSERT_TRUE(partial.LoadFromMemory(cut.data(), cut.size(), kImageGif));
  EXPECT_EQ(partial.Row(0)[0], 0);
}

}  // namespace
