// Version comparison and the file-version text.
#include "common/text/Version.h"

#include <gtest/gtest.h>

#include "BuildConfig.h"
#include "tools/testsupport/TempDir.h"

namespace {

struct CompareCase {
  const char* a;
  const char* b;
  int result;
};

class CompareVersionsTest : public testing::TestWithParam<CompareCase> {};

TEST_P(CompareVersionsTest, ComparesBothWays) {
  EXPECT_EQ(common::CompareVersions(GetParam().a, GetParam().b), GetParam().result);
  EXPECT_EQ(common::CompareVersions(GetParam().b, GetParam().a), -GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, CompareVersionsTest,
    testing::Values(CompareCase{"2.0.1", "2.0.1.0", 0}, CompareCase{"2.1", "2.0.9", 1},
                    CompareCase{"1.2", "1.2.0", 0}, CompareCase{"1.10", "1.9", 1},
                    CompareCase{"1.2.0.1", "1.2", 1}, CompareCase{"2.1.0.7120", "2.1.0.7119", 1},
                    CompareCase{"", "0", 0}, CompareCase{"", "0.1", -1}, CompareCase{"1.2a", "1.2", 0},
                    CompareCase{" 3", "3", 0}, CompareCase{"1..2", "1.0.2", 0}, CompareCase{"1.-1", "1", 0},
                    CompareCase{"99999999999", "2147483647", 0}, CompareCase{"x.y", "0.0", 0}));

TEST(FileVersionTest, ReadsTheRecordOfABuiltLibrary) {
  EXPECT_EQ(common::FileVersionText(JQPLATFORM_LIBRARY_PATH), buildconfig::kProductVersion);
}

TEST(FileVersionTest, FilesWithoutRecordGiveZeros) {
  testsupport::TempDir dir;
  EXPECT_EQ(common::FileVersionText(dir.WriteFile("plain.txt", "not a program").string()), "0.0.0.0");
  EXPECT_EQ(common::FileVersionText((dir / "missing").string()), "0.0.0.0");
  EXPECT_EQ(common::FileVersionText(dir.path().string()), "0.0.0.0");
}

}  // namespace
