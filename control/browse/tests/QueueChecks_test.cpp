#include "control/browse/QueueChecks.h"

#include <gtest/gtest.h>

namespace folder_browse {
namespace {

constexpr uint64_t kMiB = 1048576;

TEST(QuotaProblem, NeedsSpaceLeft) {
  EXPECT_EQ(QuotaProblem(1), "");
  EXPECT_EQ(QuotaProblem(0), kMonthSpaceFullText);
  EXPECT_EQ(QuotaProblem(-1024), kMonthSpaceFullText);
}

TEST(SizeProblem, AppliesOnlyWhileKeepingOriginals) {
  EXPECT_EQ(SizeProblem(9 * kMiB, 2 * kMiB, 10 * kMiB, 0, false), "");
}

TEST(SizeProblem, StopsAtTheUploadLimitThenAtTheRemainingSpace) {
  // Reaching the limit exactly is already too much.
  EXPECT_EQ(SizeProblem(9 * kMiB, kMiB, 10 * kMiB, 100 * kMiB, true),
            "选中的图片总容量10.00 MB超过了相册上传限制10.00 MB，请试着减少一些上传图片。");
  EXPECT_EQ(SizeProblem(8 * kMiB, kMiB, 10 * kMiB, 100 * kMiB, true), "");
  // Without a limit from the service only the space counts.
  EXPECT_EQ(SizeProblem(kMiB, kMiB, 0, 2 * kMiB, true),
            "选中的图片总容量2.00 MB超过了相册剩余空间2.00 MB，请试着减少一些上传图片。");
  EXPECT_EQ(SizeProblem(kMiB, kMiB, 0, -5, true),
            "选中的图片总容量2.00 MB超过了相册剩余空间0 B，请试着减少一些上传图片。");
}

TEST(SelectionProblem, HundredMebibytesIsTheLastAccepted) {
  EXPECT_EQ(SelectionProblem(104857600), "");
  EXPECT_EQ(SelectionProblem(104857601),
            "选中的图片总容量100.00 MB超过了单次上传上限(100M)，请试着减少一些上传图片。");
}

}  // namespace
}  // namespace folder_browse
