// Size, rate and duration texts.
#include "common/text/Format.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase {
  uint64_t bytes;
  bool rate;
  const char* text;
};

class FormatSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(FormatSizeTest, Formats) {
  EXPECT_EQ(common::FormatSize(GetParam().bytes, GetParam().rate), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FormatSizeTest,
    testing::Values(SizeCase{0, false, "0 B"}, SizeCase{500, false, "500 B"},
                    SizeCase{1023, true, "1023 B/S"}, SizeCase{1024, false, "1.00 KB"},
                    SizeCase{1536, false, "1.50 KB"},
                    SizeCase{1535, false, "1.49 KB"},  // 1.499: cut, not rounded
                    SizeCase{1047552, false, "1023.00 KB"}, SizeCase{1048575, false, "1023.99 KB"},
                    SizeCase{1048576, false, "1.00 MB"}, SizeCase{1048576 + 1023 * 1024, true, "1.99 MB/S"},
                    SizeCase{1610612736, false, "1.50 GB"}, SizeCase{(1ull << 30) + 1023, false, "1.00 GB"},
                    SizeCase{5000ull << 30, false, "5000.00 GB"},
                    SizeCase{UINT64_MAX, false, "17179869183.99 GB"}));

struct DurationCase {
  int64_t seconds;
  const char* text;
};

class FormatDurationTest : public testing::TestWithParam<DurationCase> {};

TEST_P(FormatDurationTest, Formats) {
  EXPECT_EQ(common::FormatDuration(GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Durations, FormatDurationTest,
                         testing::Values(DurationCase{0, "00:00"}, DurationCase{59, "00:59"},
                                         DurationCase{65, "01:05"}, DurationCase{3599, "59:59"},
                                         DurationCase{3600, "1:00:00"}, DurationCase{3725, "1:02:05"},
                                         DurationCase{98 * 3600 + 59 * 60 + 59, "98:59:59"},
                                         DurationCase{99 * 3600, "99:59:59"},
                                         DurationCase{400000, "99:59:59"},
                                         DurationCase{INT64_MAX, "99:59:59"}, DurationCase{-5, "00:00"}));

}  // namespace
