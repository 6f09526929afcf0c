// The upload worker end to end: pictures pushed through the dispatcher are
// uploaded to and registered with the reference album service on 127.0.0.1,
// with progress, cancellation at each stage, vanished files and the failures
// the service can be made to produce; every job reference is released once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "control/protocol/AlbumMessages.h"
#include "control/upload/tests/UploadServiceFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace uploadtest;

// A picture of about 300 KB (noise does not compress), 19 steps of the file.
std::string WriteNoisyPicture(const fs::path& path) {
  Picture picture(kImageBmp);
  EXPECT_TRUE(picture.Create(320, 320, 24));
  uint32_t seed = 12345;
  for (size_t i = 0; i < picture.BitsSize(); ++i) {
    seed = seed * 1103515245 + 12345;
    picture.Bits()[i] = static_cast<uint8_t>(seed >> 24);
  }
  // Kept as it is: a JPEG under 900 pixels needs no conversion.
  picture.SetJpegQuality(100);
  EXPECT_TRUE(picture.SaveToFile(path.string(), kImageJpeg));
  return path.string();
}

class UploadWorkerTest : public UploadServiceTest {
 protected:
  std::string NoisyPicture(const std::string& name) { return WriteNoisyPicture(dir_ / name); }
};

// The progress reports of one job (between two results).
std::vector<std::vector<Report>> ProgressPerJob(const std::vector<Report>& reports) {
  std::vector<std::vector<Report>> jobs(1);
  for (const Report& report : reports) {
    if (report.message == WM_WORK_UPLOAD_PROGRESS)
      jobs.back().push_back(report);
    else
      jobs.emplace_back();
  }
  jobs.pop_back();
  return jobs;
}

TEST_F(UploadWorkerTest, BatchIsUploadedAndRegisteredWithTitleAndTagsInOrder) {
  StartWorker();
  batch_.tags = "风景 旅行";
  const std::vector<std::string> names = {"海边.jpg", "山顶.jpg", "city.jpg"};
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(NoisyPicture(name));
  std::vector<CountedJob*> jobs;
  for (const std::string& path : paths) jobs.push_back(MakeJob(path));
  for (CountedJob* job : jobs) Push(job);
  WaitForResults(paths.size());

  std::vector<Report> results = progress_.Results();
  ASSERT_EQ(results.size(), 3u);
  for (size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].message, WM_WORK_UPLOAD_DONE) << results[i].error;
    EXPECT_EQ(results[i].path, paths[i]);
  }
  EXPECT_EQ(recorder_->AsksForNext(), std::vector<bool>(3, true));

  // Every step is reported here: each job shows its upload going from nothing
  // to the whole file, then its registration starting from nothing again.
  std::vector<std::vector<Report>> perJob = ProgressPerJob(progress_.reports);
  ASSERT_EQ(perJob.size(), 3u);
  for (size_t i = 0; i < perJob.size(); ++i) {
    const std::vector<Report>& steps = perJob[i];
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front().wParam, 0u);
    EXPECT_EQ(steps.front().lParam, 0);
    int requests = 1;
    uint64_t fileBytes = fs::file_size(paths[i]);
    bool sawWholeFile = false;
    for (size_t k = 1; k < steps.size(); ++k) {
      EXPECT_GE(static_cast<uint64_t>(steps[k].lParam), steps[k].wParam);
      if (steps[k].lParam < steps[k - 1].lParam) {
        ++requests;
        EXPECT_EQ(steps[k].wParam, 0u);
      } else {
        EXPECT_GE(steps[k].wParam, steps[k - 1].wParam);
        EXPECT_LE(steps[k].wParam - steps[k - 1].wParam, CUploadTransfer::kStepBytes);
      }
      if (requests == 1 && steps[k].wParam == fileBytes) sawWholeFile = true;
    }
    EXPECT_EQ(requests, 2) << "upload and registration";
    EXPECT_TRUE(sawWholeFile);
  }

  std::vector<StoredPicture> stored = StoredPictures();
  for (const char* title : {"海边", "山顶", "city"}) {
    const StoredPicture* picture = FindStored(stored, title);
    ASSERT_NE(picture, nullptr) << title;
    EXPECT_EQ(picture->tags, "风景, 旅行");
    EXPECT_EQ(picture->mime, "image/jpeg");
  }
}

TEST_F(UploadWorkerTest, ProgressGoesOutAtMostEveryHundredMilliseconds) {
  // The clock moves 30 ms per reading: a report at most every fourth step.
  StartWorker(30);
  std::vector<uint32_t> reportedAt;
  progress_.onProgress = [&](WPARAM, LPARAM) { reportedAt.push_back(clock_->now); };
  std::string path = NoisyPicture("paced.jpg");
  Push(MakeJob(path));
  WaitForResults(1);
  ASSERT_EQ(progress_.Results()[0].message, WM_WORK_UPLOAD_DONE);
  ASSERT_GT(reportedAt.size(), 3u);
  for (size_t i = 1; i < reportedAt.size(); ++i)
    EXPECT_GE(reportedAt[i] - reportedAt[i - 1], CUploadTransfer::kProgressIntervalMs);
  // ... but no less often than that.
  for (size_t i = 1; i < reportedAt.size(); ++i) EXPECT_LE(reportedAt[i] - reportedAt[i - 1], 120u);
}

TEST_F(UploadWorkerTest, CancelDuringTheFileStopsItAndLaterJobsStillGo) {
  StartWorker();
  std::string first = NoisyPicture("first.jpg");
  uint64_t fileBytes = fs::file_size(first);
  bool cancelled = false;
  progress_.onProgress = [&](WPARAM content, LPARAM) {
    if (!cancelled && content > 0 && content < fileBytes) {
      cancelled = true;
      Cancel();
    }
  };
  Push(MakeJob(first));
  WaitForResults(1);
  std::vector<Report> results = progress_.Results();
  EXPECT_EQ(results[0].message, WM_WORK_UPLOAD_FAILED);
  EXPECT_EQ(results[0].error, "upload canceled.");
  EXPECT_EQ(recorder_->AsksForNext(), std::vector<bool>{false});

  progress_.onProgress = nullptr;
  std::string later = NoisyPicture("later.jpg");
  Push(MakeJob(later));
  WaitForResults(2);
  results = progress_.Results();
  EXPECT_EQ(results[1].message, WM_WORK_UPLOAD_DONE) << results[1].error;
  EXPECT_EQ(results[1].path, later);
  EXPECT_EQ(recorder_->AsksForNext(), (std::vector<bool>{false, true}));

  std::vector<StoredPicture> stored = StoredPictures();
  EXPECT_EQ(FindStored(stored, "first"), nullptr);
  EXPECT_NE(FindStored(stored, "later"), nullptr);
  // The cut-off body never became an upload.
  EXPECT_EQ(PendingUploads(), 0);
}

TEST_F(UploadWorkerTest, CancelAfterTheLastFileByteLetsTheUploadFinish) {
  StartWorker();
  std::string path = NoisyPicture("almost.jpg");
  uint64_t fileBytes = fs::file_size(path);
  bool cancelled = false;
  progress_.onProgress = [&](WPARAM content, LPARAM) {
    if (!cancelled && content == fileBytes) {
      cancelled = true;
      Cancel();
    }
  };
  Push(MakeJob(path));
  WaitForResults(1);
  ASSERT_TRUE(cancelled);
  EXPECT_EQ(progress_.Results()[0].message, WM_WORK_UPLOAD_DONE) << progress_.Results()[0].error;
  EXPECT_EQ(recorder_->AsksForNext(), std::vector<bool>{true});
  EXPECT_NE(FindStored(StoredPictures(), "almost"), nullptr);
}

TEST_F(UploadWorkerTest, CancelDuringTheRegistrationCancelsIt) {
  StartWorker();
  std::string path = NoisyPicture("unregistered.jpg");
  uint64_t fileBytes = fs::file_size(path);
  bool fileSent = false, cancelled = false;
  progress_.onProgress = [&](WPARAM content, LPARAM) {
    if (content == fileBytes) fileSent = true;
    // The registration's first report: its content starts from nothing.
    if (fileSent && !cancelled && content == 0) {
      cancelled = true;
      Cancel();
    }
  };
  int pendingBefore = PendingUploads();
  Push(MakeJob(path));
  WaitForResults(1);
  ASSERT_TRUE(cancelled);
  EXPECT_EQ(progress_.Results()[0].message, WM_WORK_UPLOAD_FAILED);
  EXPECT_EQ(progress_.Results()[0].error, "upload canceled.");
  EXPECT_EQ(recorder_->AsksForNext(), std::vector<bool>{false});
  // The file reached the service; it was never registered.
  EXPECT_EQ(FindStored(StoredPictures(), "unregistered"), nullptr);
  EXPECT_EQ(PendingUploads(), pendingBefore + 1);
}

TEST_F(UploadWorkerTest, CancelWithoutAnUploadInProgressChangesNothing) {
  StartWorker();
  Cancel();
  std::string path = NoisyPicture("after-idle-cancel.jpg");
  Push(MakeJob(path));
  WaitForResults(1);
  EXPECT_EQ(progress_.Results()[0].message, WM_WORK_UPLOAD_DONE) << progress_.Results()[0].error;
}

TEST_F(UploadWorkerTest, PictureDeletedAfterQueueingGivesItsText) {
  StartWorker();
  std::string kept = NoisyPicture("kept.jpg");
  std::string deleted = NoisyPicture("deleted.jpg");
  progress_.onProgress = [&](WPARAM, LPARAM) { fs::remove(deleted); };
  CountedJob* keptJob = MakeJob(kept);
  CountedJob* deletedJob = MakeJob(deleted);
  Push(keptJob);
  Push(deletedJob);
  WaitForResults(2);
  std::vector<Report> results = progress_.Results();
  EXPECT_EQ(results[0].message, WM_WORK_UPLOAD_DONE) << results[0].error;
  EXPECT_EQ(results[1].message, WM_WORK_UPLOAD_FAILED);
  EXPECT_EQ(results[1].error, album_protocol::kPictureMissingText);
  EXPECT_EQ(recorder_->AsksForNext(), (std::vector<bool>{true, true}));
}

TEST_F(UploadWorkerTest, FailuresOfTheServiceGiveTheirTexts) {
  struct Case {
    const char* path;
    const char* fault;
    const char* text;
  };
  const Case cases[] = {
      {"/interface/pic_upload.php", "close_after=4000", album_protocol::kNetworkUploadText},
      {"/interface/pic_upload.php", "status=500", album_protocol::kUploadFailedText},
      {"/interface/pic_upload.php", "garbage=1", album_protocol::kUploadFailedText},
      {"/upload/upload_receive.php", "garbage=1", album_protocol::kRegistrationFailedText},
      {"/upload/upload_receive.php", "status=503", album_protocol::kRegistrationFailedText},
      {"/upload/upload_receive.php", "close_after=20", album_protocol::kNetworkUploadText},
  };
  StartWorker();
  size_t expected = 0;
  for (const Case& c : cases) {
    ASSERT_EQ(Get(std::string("/_test/fault?path=") + c.path + "&times=1&" + c.fault), "+OK");
    Push(MakeJob(NoisyPicture("fault.jpg")));
    WaitForResults(++expected);
    Report result = progress_.Results().back();
    EXPECT_EQ(result.message, WM_WORK_UPLOAD_FAILED) << c.path << " " << c.fault;
    EXPECT_EQ(result.error, c.text) << c.path << " " << c.fault;
  }
  // The worker and its kept connection recover.
  Push(MakeJob(NoisyPicture("healthy.jpg")));
  WaitForResults(++expected);
  EXPECT_EQ(progress_.Results().back().message, WM_WORK_UPLOAD_DONE) << progress_.Results().back().error;
  EXPECT_EQ(recorder_->AsksForNext(), std::vector<bool>(expected, true));
}

TEST_F(UploadWorkerTest, ServiceThatIsGoneGivesTheNetworkText) {
  StartWorker();
  auto* item = new CountedItem(NoisyPicture("nowhere.jpg"));
  auto* job = new CountedJob(item, "http://127.0.0.1:1/interface/pic_upload.php",
                             "http://127.0.0.1:1/upload/upload_receive.php");
  item->Release();
  Push(job);
  WaitForResults(1);
  EXPECT_EQ(progress_.Results()[0].error, album_protocol::kNetworkUploadText);
}

}  // namespace
