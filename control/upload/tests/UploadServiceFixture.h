// A test fixture with the reference album service on 127.0.0.1, a session
// logged in as demo/demo, the dispatcher with the real upload worker, and a
// progress window on the test thread.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/TaskDispatchThread.h"
#include "control/protocol/AlbumServiceClient.h"
#include "control/session/AlbumEndpoints.h"
#include "control/session/SessionState.h"
#include "control/upload/UploadPreparation.h"
#include "control/upload/UploadTransfer.h"
#include "control/upload/tests/UploadFixtures.h"
#include "http/Corvo.h"
#include "tools/album-service/testing/AlbumServiceProcess.h"
#include "tools/testsupport/TempDir.h"

namespace uploadtest {

// A clock that moves on by `step` milliseconds at every reading.
struct SteppingClock {
  explicit SteppingClock(uint32_t step) : step(step) {}
  uint32_t Read() { return now += step; }
  uint32_t step;
  uint32_t now = 1000;
};

// One picture as the service's inventory lists it.
struct StoredPicture {
  std::string title;
  std::string mime;
  std::string file;  // below the data folder
  std::string tags;
};

class UploadServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = new albumservice::testing::AlbumServiceProcess(); }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }

  void SetUp() override {
    const std::string base = service_->base_url();
    session_.InitConfig();
    session_.SetLoginEndpoint(base + "/apis/client/client_login.php");
    session_.SetAlbumListEndpoint(base + "/apis/client/client_get_ctginfo.php");
    session_.SetUploadEndpoint(base + "/interface/pic_upload.php");
    album_protocol::CAlbumServiceClient client(&session_);
    ASSERT_EQ(client.Login("demo", "demo").outcome, album_protocol::LoginOutcome::kSuccess);
    album_protocol::AlbumListAnswer albums = client.AlbumList();
    ASSERT_FALSE(albums.albums.empty());
    batch_.albumId = albums.albums.front().id;
  }

  void TearDown() override {
    StopWorker();
    // Every job and item was released exactly as often as it was shared.
    EXPECT_EQ(g_liveJobs.load(), 0);
    EXPECT_EQ(g_liveItems.load(), 0);
    Get("/_test/clear?path=");
  }

  // Starts the dispatcher and the worker; progress time comes from `clock`.
  void StartWorker(uint32_t clockStep = CUploadTransfer::kProgressIntervalMs) {
    clock_ = std::make_unique<SteppingClock>(clockStep);
    transfer_ = std::make_unique<CUploadTransfer>([clock = clock_.get()] { return clock->Read(); });
    recorder_ = std::make_unique<RecordingHandler>(*transfer_, platform::GetCurrentThreadId());
    dispatcher_ = std::make_unique<CTaskDispatchThread>(recorder_.get());
    ASSERT_TRUE(dispatcher_->Start());
  }
  void StopWorker() {
    if (dispatcher_) dispatcher_->Stop();
    dispatcher_.reset();
  }

  // Prepares a picture as the upload driver does and makes its job.
  CountedJob* MakeJob(const std::string& path, const upload::UploadBatch& batch) {
    auto* item = new CountedItem(path);
    upload::PreparedUpload prepared;
    EXPECT_EQ(upload::PrepareUpload(*item, batch, session_, &prepared), 0) << path;
    auto* job = new CountedJob(item, prepared.uploadUrl, AtService(prepared.registrationUrl));
    item->Release();
    return job;
  }
  CountedJob* MakeJob(const std::string& path) { return MakeJob(path, batch_); }

  // Hands a job to the dispatcher's upload queue (0x8103).
  void Push(CUploadJob* job) {
    if (!platform::PostMessage(dispatcher_->DispatchWnd(), WM_TASK_UPLOAD_PUSH,
                               reinterpret_cast<WPARAM>(progress_.m_hWnd), reinterpret_cast<LPARAM>(job)))
      job->Release();
  }
  // Cancels as the progress window does (0x8105, sent).
  void Cancel() { platform::SendMessage(dispatcher_->DispatchWnd(), WM_TASK_UPLOAD_CANCEL); }

  // Runs the test thread's loop until `count` results have come and the
  // worker has finished as many jobs.
  void WaitForResults(size_t count) {
    PumpUntil(
        [&] { return progress_.Results().size() >= count && recorder_->AsksForNext().size() >= count; });
  }

  // The registration slot cannot be replaced, so the service's address is
  // put in place of the built-in one.
  std::string AtService(const std::string& url) const {
    std::string builtIn = album_endpoints::DefaultEndpoint(album_endpoints::EndpointSlot::kRegistration);
    EXPECT_EQ(url.rfind(builtIn, 0), 0u) << url;
    return service_->base_url() + "/upload/upload_receive.php" + url.substr(builtIn.size());
  }

  // A GET to the service (test switches); the body.
  static std::string Get(const std::string& pathAndQuery) {
    Corvo::CHttpClientA client;
    client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
    auto response = client.SendGetRequest((service_->base_url() + pathAndQuery).c_str(), false);
    std::string body;
    unsigned char buffer[4096];
    while (uint32_t n = response->ReadContent(buffer, sizeof buffer))
      body.append(reinterpret_cast<char*>(buffer), n);
    return body;
  }

  // The pictures of every album, from the service's inventory.
  static std::vector<StoredPicture> StoredPictures() {
    std::vector<StoredPicture> pictures;
    std::string listing = service_->RunTool({"--list"});
    std::regex line(R"re(picture \d+ "([^"]*)" (\S+) \d+ bytes, file (\S+), tags \[([^\]]*)\])re");
    for (std::sregex_iterator it(listing.begin(), listing.end(), line), end; it != end; ++it)
      pictures.push_back({(*it)[1], (*it)[2], (*it)[3], (*it)[4]});
    return pictures;
  }
  static const StoredPicture* FindStored(const std::vector<StoredPicture>& pictures,
                                         const std::string& title) {
    for (const StoredPicture& picture : pictures)
      if (picture.title == title) return &picture;
    return nullptr;
  }
  // Uploads received but never registered.
  static int PendingUploads() {
    std::string listing = service_->RunTool({"--list"});
    std::smatch match;
    return std::regex_search(listing, match, std::regex(R"(pending uploads: (\d+))")) ? std::stoi(match[1])
                                                                                      : -1;
  }

  static inline albumservice::testing::AlbumServiceProcess* service_ = nullptr;
  Watchdog watchdog_{60000, [] {
                       if (service_) service_->Stop();
                     }};
  testsupport::TempDir dir_;
  CSessionState session_;
  upload::UploadBatch batch_;
  ProgressWnd progress_;
  std::unique_ptr<SteppingClock> clock_;
  std::unique_ptr<CUploadTransfer> transfer_;
  std::unique_ptr<RecordingHandler> recorder_;
  std::unique_ptr<CTaskDispatchThread> dispatcher_;
};

}  // namespace uploadtest
