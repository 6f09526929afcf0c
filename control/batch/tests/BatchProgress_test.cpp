#include "control/batch/BatchProgress.h"

#include <gtest/gtest.h>

#include "control/batch/BatchTexts.h"

namespace upload_batch {
namespace {

TEST(ComputeProgress, RateAndRemainingTime) {
  struct Case {
    uint64_t uploaded, posted, total, elapsedMs;
    uint64_t done, rate, remaining;
    const char* rateText;
    const char* remainingText;
  };
  const Case cases[] = {
      {0, 0, 1000, 0, 0, 0, 0, "", ""},      // nothing has gone out: nothing shown
      {0, 100, 1000, 0, 100, 0, 0, "", ""},  // no time yet: no division by zero
      {0, 1536, 15360, 1000, 1536, 1536, 9, "1.50 KB/S", "00:09"},
      {1000, 24, 4000, 2, 1024, 512000, 0, "500.00 KB/S", "00:00"},
      // Framing bytes push done past the total: no wrapped-around remaining time.
      {4000, 200, 4000, 1000, 4200, 4200, 0, "4.10 KB/S", "00:00"},
      // Only the low 32 bits of the posted count are taken.
      {0, (1ull << 32) + 10, 100, 1000, 10, 10, 9, "10 B/S", "00:09"},
  };
  for (const Case& c : cases) {
    BatchProgress p = ComputeProgress(c.uploaded, c.posted, c.total, c.elapsedMs);
    EXPECT_EQ(p.doneBytes, c.done) << c.rateText;
    EXPECT_EQ(p.rate, c.rate) << c.rateText;
    EXPECT_EQ(p.remainingSeconds, c.remaining) << c.rateText;
    EXPECT_EQ(p.rateText, c.rateText);
    EXPECT_EQ(p.remainingText, c.remainingText);
  }
}

TEST(BatchTexts, SummaryAndQuestion) {
  EXPECT_EQ(SummaryText(5, 0), "所有文件上传完毕。");
  EXPECT_EQ(SummaryText(5, 2), "上传成功3个文件，失败2个文件。");
  EXPECT_EQ(SummaryText(5, 5), "上传失败!");
  EXPECT_EQ(CapacityQuestion(2),
            "相册还允许上传2张照片，需要上传的照片数量超过了其容量。\r\n\r\n点击“是”上传队列前面的2张照片；点"
            "击\"否\"取消本次上传。");
}

}  // namespace
}  // namespace upload_batch
