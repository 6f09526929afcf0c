#include "control/batch/UploadBatchDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "control/batch/BatchTexts.h"
#include "control/batch/tests/BatchFixtures.h"
#include "control/session/SessionState.h"
#include "tools/testsupport/TempDir.h"

namespace upload_batch {
namespace {

namespace fs = std::filesystem;
using batchtest::MakeFile;

// Preparation that succeeds without touching the picture.
int PrepareNothing(CImageItem&, const upload::UploadBatch&, const CSessionState&,
                   upload::PreparedUpload* prepared) {
  prepared->uploadUrl = "http://127.0.0.1:1/up";
  prepared->registrationUrl = "http://127.0.0.1:1/reg";
  return 0;
}

// Batch settings with the figures a test cares about.
BatchSettings Settings(int photoLimit, bool keepOriginal = false, int64_t freeSpace = 0) {
  BatchSettings settings;
  settings.photoLimit = photoLimit;
  settings.keepOriginal = keepOriginal;
  settings.freeSpace = freeSpace;
  return settings;
}

class BatchDriverTest : public ::testing::Test {
 protected:
  BatchDriverTest() { session_.InitConfig(); }

  // Queues `count` pictures p1..pN of `bytes` bytes each.
  void QueuePictures(int count, size_t bytes = 1000) {
    for (int i = 1; i <= count; ++i) {
      queue_.Enqueue(MakeFile(dir_ / ("p" + std::to_string(i) + ".jpg"), bytes), "");
    }
  }

  std::unique_ptr<CUploadBatchDriver> MakeDriver(BatchSettings settings = {}) {
    if (settings.photoLimit == 0) settings.photoLimit = 300;
    settings.albumId = "42";
    auto driver = std::make_unique<CUploadBatchDriver>(session_, &queue_, sink_, view_, settings);
    driver->SetPrepare(&PrepareNothing);
    driver->SetTicks([this] { return now_; });
    return driver;
  }

  // Answers each submitted job in order: true = done, false = failed with `reason`.
  void Answer(CUploadBatchDriver& driver, const std::vector<bool>& outcomes,
              const std::string& reason = "boom") {
    for (bool ok : outcomes) {
      CUploadJob* job = sink_.TakeSubmitted();
      ASSERT_NE(job, nullptr);
      if (ok) {
        driver.OnJobDone(job);
      } else {
        job->SetErrorText(reason);
        driver.OnJobFailed(job);
      }
    }
  }

  testsupport::TempDir dir_;
  CSessionState session_;
  CBatchQueue queue_;
  batchtest::RecordingSink sink_;
  batchtest::RecordingView view_;
  uint64_t now_ = 1000;
};

TEST_F(BatchDriverTest, TrimsToTheAlbumsCapacityWhenTheUserAgrees) {
  QueuePictures(5);
  auto driver = MakeDriver(Settings(10));
  EXPECT_EQ(driver->Begin(8, queue_.Pictures()), BatchStart::kStarted);
  EXPECT_EQ(view_.asked, std::vector<int>{2});
  EXPECT_EQ(view_.lastQuestion, CapacityQuestion(2));
  EXPECT_EQ(driver->PictureCount(), 2);
  Answer(*driver, {true, true});
  EXPECT_TRUE(driver->IsFinished());
  EXPECT_EQ(view_.uploaded, (std::vector<std::string>{"p1", "p2"}));
  // Only the uploaded pictures leave the queue.
  ASSERT_EQ(queue_.Count(), 3u);
  EXPECT_EQ(fs::path(queue_.Pictures()[0].path).filename(), "p3.jpg");
}

TEST_F(BatchDriverTest, NoToTheCapacityQuestionSendsNothing) {
  QueuePictures(5);
  view_.answer = false;
  auto driver = MakeDriver(Settings(10));
  EXPECT_EQ(driver->Begin(8, queue_.Pictures()), BatchStart::kDeclined);
  EXPECT_TRUE(sink_.submitted.empty());
  EXPECT_TRUE(view_.started.empty());
  EXPECT_EQ(queue_.Count(), 5u);
}

TEST_F(BatchDriverTest, FullAlbumAndEmptyQueue) {
  QueuePictures(1);
  EXPECT_EQ(MakeDriver(Settings(5))->Begin(7, queue_.Pictures()), BatchStart::kAlbumFull);
  EXPECT_EQ(MakeDriver(Settings(5))->Begin(0, {}), BatchStart::kEmpty);
  EXPECT_TRUE(sink_.submitted.empty());
}

TEST_F(BatchDriverTest, SummaryCountsFailuresAndTheBatchGoesOn) {
  struct Case {
    std::vector<bool> outcomes;
    const char* summary;
  };
  const Case cases[] = {
      {{true, false, true, false, true}, "上传成功3个文件，失败2个文件。"},
      {{false, false, false}, "上传失败!"},
      {{true, true}, "所有文件上传完毕。"},
  };
  for (const Case& c : cases) {
    for (const QueuedPicture& p : queue_.Pictures()) queue_.Dequeue(p.path);
    QueuePictures(static_cast<int>(c.outcomes.size()));
    view_ = batchtest::RecordingView();
    auto driver = MakeDriver();
    ASSERT_EQ(driver->Begin(0, queue_.Pictures()), BatchStart::kStarted);
    Answer(*driver, c.outcomes);
    EXPECT_TRUE(driver->IsFinished());
    EXPECT_EQ(view_.finishes, 1);
    EXPECT_EQ(view_.last.text, c.summary);
    size_t failures = std::count(c.outcomes.begin(), c.outcomes.end(), false);
    EXPECT_EQ(view_.last.failures.size(), failures);
    EXPECT_EQ(queue_.Count(), failures);  // failed pictures stay queued
  }
}

TEST_F(BatchDriverTest, FailuresKeepTheirReasonAndPath) {
  QueuePictures(2);
  auto driver = MakeDriver();
  driver->Begin(0, queue_.Pictures());
  Answer(*driver, {false, true}, "网络不通畅，可尝试重新上传");
  ASSERT_EQ(view_.last.failures.size(), 1u);
  EXPECT_EQ(view_.last.failures[0].path, (dir_ / "p1.jpg").string());
  EXPECT_EQ(view_.last.failures[0].displayName, "p1");
  EXPECT_EQ(view_.last.failures[0].reason, "网络不通畅，可尝试重新上传");
  EXPECT_EQ(view_.started, (std::vector<std::string>{"p1 1/2", "p2 2/2"}));
}

TEST_F(BatchDriverTest, RunningOutOfSpaceEndsTheBatchAtFullSize) {
  QueuePictures(4, 1000);
  auto driver = MakeDriver(Settings(300, true, 1500));
  driver->Begin(0, queue_.Pictures());
  Answer(*driver, {true, true});
  EXPECT_TRUE(driver->IsFinished());
  EXPECT_TRUE(sink_.submitted.empty());  // pictures 3 and 4 never went out
  EXPECT_TRUE(view_.last.spaceExhausted);
  ASSERT_EQ(view_.last.failures.size(), 2u);
  EXPECT_EQ(view_.last.failures[1].reason, kNoSpaceText);
  EXPECT_EQ(view_.last.text, "上传成功2个文件，失败2个文件。");
  EXPECT_EQ(queue_.Count(), 0u);
}

TEST_F(BatchDriverTest, ConvertedPicturesDoNotWatchTheSpace) {
  QueuePictures(3, 1000);
  auto driver = MakeDriver(Settings(300, false, 1500));
  driver->Begin(0, queue_.Pictures());
  Answer(*driver, {true, true, true});
  EXPECT_EQ(view_.last.text, "所有文件上传完毕。");
}

TEST_F(BatchDriverTest, PicturesThatCannotBePreparedFailWithoutATransfer) {
  std::string corrupt = MakeFile(dir_ / "corrupt.jpg", 300);
  std::string gone = MakeFile(dir_ / "gone.png", 300);
  queue_.Enqueue(corrupt, "");
  queue_.Enqueue(gone, "");
  auto driver = MakeDriver();
  driver->SetPrepare(&upload::PrepareUpload);
  driver->Begin(0, queue_.Pictures());
  fs::remove(gone);
  driver->OnJobFailed(sink_.TakeReported());
  driver->OnJobFailed(sink_.TakeReported());
  EXPECT_TRUE(sink_.submitted.empty());
  ASSERT_EQ(view_.last.failures.size(), 2u);
  EXPECT_EQ(view_.last.failures[0].reason, kUnreadablePictureText);
  EXPECT_EQ(view_.last.failures[1].reason, kMissingPictureText);
}

TEST_F(BatchDriverTest, TemporaryConversionsAreRemovedEitherWay) {
  QueuePictures(2);
  std::vector<std::string> temporaries;
  auto driver = MakeDriver();
  driver->SetPrepare(
      [&](CImageItem& item, const upload::UploadBatch&, const CSessionState&, upload::PreparedUpload*) {
        std::string temporary = MakeFile(dir_ / ("_tmptrans_" + item.DisplayName() + ".jpg"), 10);
        temporaries.push_back(temporary);
        item.SetSourcePath(item.Path());
        item.SetPath(temporary);
        return 0;
      });
  driver->Begin(0, queue_.Pictures());
  CUploadJob* first = sink_.TakeSubmitted();
  CImageItem* item = first->Item();
  first->SetErrorText("x");
  driver->OnJobFailed(first);
  EXPECT_FALSE(fs::exists(temporaries[0]));
  EXPECT_EQ(item->Path(), (dir_ / "p1.jpg").string());  // back at its own file
  Answer(*driver, {true});
  EXPECT_FALSE(fs::exists(temporaries[1]));
}

TEST_F(BatchDriverTest, EditedCopiesAreUploadedWhileTheyExist) {
  QueuePictures(2);
  std::string copy = MakeFile(dir_ / "edited.jpg", 77);
  queue_.SetEditedCopy((dir_ / "p1.jpg").string(), copy);
  queue_.SetEditedCopy((dir_ / "p2.jpg").string(), (dir_ / "deleted.jpg").string());
  auto driver = MakeDriver();
  driver->Begin(0, queue_.Pictures());
  EXPECT_EQ(driver->TotalBytes(), 77u + 1000u);
  CUploadJob* job = sink_.TakeSubmitted();
  EXPECT_EQ(job->Item()->Path(), copy);
  driver->OnJobDone(job);
  EXPECT_FALSE(queue_.IsQueued((dir_ / "p1.jpg").string()));  // removed by its queued path
  EXPECT_FALSE(queue_.FindEditedCopy((dir_ / "p2.jpg").string()));
  EXPECT_EQ(sink_.submitted.front()->Item()->Path(), (dir_ / "p2.jpg").string());
}

TEST_F(BatchDriverTest, CancelStopsAndLateReportsChangeNothing) {
  QueuePictures(3);
  auto driver = MakeDriver();
  driver->Begin(0, queue_.Pictures());
  driver->Cancel();
  EXPECT_EQ(sink_.cancels, 1);
  CUploadJob* late = sink_.TakeSubmitted();
  late->SetErrorText("已取消");
  driver->OnJobFailed(late);
  EXPECT_TRUE(view_.failed.empty());
  EXPECT_TRUE(sink_.submitted.empty());
  EXPECT_FALSE(driver->IsFinished());
  EXPECT_EQ(queue_.Count(), 3u);
}

TEST_F(BatchDriverTest, AJobTheDispatcherRefusesFailsThePicture) {
  QueuePictures(1);
  sink_.refuseSubmit = true;
  auto driver = MakeDriver();
  driver->Begin(0, queue_.Pictures());
  driver->OnJobFailed(sink_.TakeReported());
  EXPECT_EQ(view_.last.text, "上传失败!");
  EXPECT_EQ(view_.last.failures[0].reason, "上传时发生未知错误。");
}

TEST_F(BatchDriverTest, ProgressCountsFinishedPicturesAndShowsTheCurrentOne) {
  QueuePictures(2, 1000);
  auto driver = MakeDriver();
  driver->Begin(0, queue_.Pictures());
  driver->OnProgress(500);  // no time has passed: no rate yet
  ASSERT_EQ(view_.progress_.size(), 1u);
  EXPECT_EQ(view_.progress_[0].rate, 0u);
  EXPECT_TRUE(view_.progress_[0].rateText.empty());
  Answer(*driver, {true});
  now_ += 2000;
  driver->OnProgress(500);
  EXPECT_EQ(view_.progress_[1].doneBytes, 1500u);
  EXPECT_EQ(view_.progress_[1].rate, 750u);
  EXPECT_EQ(view_.progress_[1].rateText, "750 B/S");
  EXPECT_EQ(view_.statuses.back(), "正在上传照片 p2");
}

}  // namespace
}  // namespace upload_batch
