// Upload benchmark: COUNT pictures of SIZE_KB kilobytes (default 100 of 200)
// are prepared, pushed through the dispatcher (0x8103) and uploaded and
// registered by the worker against the reference album service on
// 127.0.0.1; then one curl process sends the same two requests per picture
// over one kept-alive connection. Prints both times and their ratio; the
// target is the worker at most 1.25 times curl's time.
//
//   bench_upload_worker [count] [size_kb] [repeats]
//
// NOTE: curl cannot hand the receipt of one request to the next, so its
// registrations carry a receipt the service does not know and are refused
// after the same checks; they skip the database update the worker's cause,
// which only makes the comparison harder for the worker.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "codec/Picture.h"
#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/TaskDispatchThread.h"
#include "control/items/ImageItem.h"
#include "control/protocol/AlbumServiceClient.h"
#include "control/session/AlbumEndpoints.h"
#include "control/session/SessionState.h"
#include "control/upload/UploadJob.h"
#include "control/upload/UploadPreparation.h"
#include "control/upload/UploadTransfer.h"
#include "platform/window/Messaging.h"
#include "platform/window/Wnd.h"
#include "tools/album-service/testing/AlbumServiceProcess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// CPU seconds (user and system) of this process or of its waited-for children.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A JPEG of noise padded behind its end marker to exactly `bytes` bytes.
bool WritePicture(const fs::path& path, size_t bytes, uint32_t seed) {
  Picture picture(kImageJpeg);
  if (!picture.Create(200, 200, 24)) return false;
  for (size_t i = 0; i < picture.BitsSize(); ++i) {
    seed = seed * 1103515245 + 12345;
    picture.Bits()[i] = static_cast<uint8_t>(seed >> 24);
  }
  picture.SetJpegQuality(80);
  if (!picture.SaveToFile(path.string(), kImageJpeg)) return false;
  size_t size = fs::file_size(path);
  if (size > bytes) return true;
  std::ofstream(path, std::ios::binary | std::ios::app) << std::string(bytes - size, '\0');
  return true;
}

// Counts the results on the benchmark's thread and releases their jobs.
class ResultWnd : public platform::CWnd {
 public:
  ResultWnd() { CreateEx(0, RegisterWndClass(0), "results", WS_OVERLAPPED, platform::RECT{}, nullptr, 0); }
  ~ResultWnd() override { DestroyWindow(); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_WORK_UPLOAD_DONE || message == WM_WORK_UPLOAD_FAILED) {
      auto* job = reinterpret_cast<CUploadJob*>(lParam);
      if (message == WM_WORK_UPLOAD_DONE)
        ++done;
      else
        std::fprintf(stderr, "failed: %s\n", job->ErrorText().c_str());
      ++results;
      job->Release();
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
  int done = 0;
  int results = 0;
};

// The registration URL at the service (its slot has no replacement).
std::string AtService(const std::string& url, const std::string& base) {
  std::string builtIn = album_endpoints::DefaultEndpoint(album_endpoints::EndpointSlot::kRegistration);
  return base + "/upload/upload_receive.php" + url.substr(builtIn.size());
}

double RunWorker(CSessionState& session, const upload::UploadBatch& batch, const std::vector<fs::path>& files,
                 const std::string& base, int* done, double* cpu) {
  CUploadTransfer transfer;
  CTaskDispatchThread dispatcher(&transfer);
  if (!dispatcher.Start()) return -1;
  ResultWnd results;
  std::vector<CUploadJob*> jobs;
  for (const fs::path& file : files) {
    auto* item = new CImageItem(file.string());
    upload::PreparedUpload prepared;
    if (upload::PrepareUpload(*item, batch, session, &prepared) != 0) return -1;
    jobs.push_back(new CUploadJob(item, prepared.uploadUrl, AtService(prepared.registrationUrl, base)));
    item->Release();
  }
  double cpuStart = CpuSeconds(RUSAGE_SELF);
  auto start = Clock::now();
  for (CUploadJob* job : jobs)
    platform::PostMessage(dispatcher.DispatchWnd(), WM_TASK_UPLOAD_PUSH,
                          reinterpret_cast<WPARAM>(results.m_hWnd), reinterpret_cast<LPARAM>(job));
  size_t expected = jobs.size();
  platform::RunModalLoop([&] { return static_cast<size_t>(results.results) < expected; });
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  *cpu = CpuSeconds(RUSAGE_SELF) - cpuStart;
  *done = results.done;
  dispatcher.Stop();
  return seconds;
}

// One curl process, every request in one config file joined by "next".
double RunCurl(CSessionState& session, const upload::UploadBatch& batch, const std::vector<fs::path>& files,
               const std::string& base, const fs::path& work, double* cpu) {
  fs::path config = work / "curl.cfg";
  std::ofstream out(config);
  bool first = true;
  for (const fs::path& file : files) {
    auto* item = new CImageItem(file.string());
    upload::PreparedUpload prepared;
    upload::PrepareUpload(*item, batch, session, &prepared);
    item->Release();
    const std::string requests[2][2] = {
        {prepared.uploadUrl, "pic1=@" + file.string()},
        {AtService(prepared.registrationUrl, base), "picdata=00000000000000000000000000000000"}};
    for (const auto& request : requests) {
      if (!first) out << "next\n";
      first = false;
      out << "url = \"" << request[0] << "\"\nform = \"" << request[1] << "\"\noutput = /dev/null\n"
          << "header = \"Expect:\"\nheader = \"Tessel: VORO Tessel\"\nuser-agent = \"Tessel Agent v1.0\"\n"
          << "noproxy = \"*\"\nsilent\n";
    }
  }
  out.close();
  std::string command = "curl -K '" + config.string() + "'";
  double cpuStart = CpuSeconds(RUSAGE_CHILDREN);
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  *cpu = CpuSeconds(RUSAGE_CHILDREN) - cpuStart;
  return status == 0 ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 100;
  int sizeKb = argc > 2 ? std::atoi(argv[2]) : 200;
  int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
  if (count <= 0 || sizeKb <= 0 || repeats <= 0) {
    std::fprintf(stderr, "usage: %s [count] [size_kb] [repeats]\n", argv[0]);
    return 2;
  }
  fs::path work = fs::temp_directory_path() / ("bench-upload-" + std::to_string(::getpid()));
  fs::create_directories(work);
  albumservice::testing::AlbumServiceProcess service;
  const std::string base = service.base_url();

  CSessionState session;
  session.InitConfig();
  session.SetLoginEndpoint(base + "/apis/client/client_login.php");
  session.SetAlbumListEndpoint(base + "/apis/client/client_get_ctginfo.php");
  session.SetUploadEndpoint(base + "/interface/pic_upload.php");
  album_protocol::CAlbumServiceClient client(&session);
  if (client.Login("demo", "demo").outcome != album_protocol::LoginOutcome::kSuccess) return 1;
  upload::UploadBatch batch;
  batch.albumId = client.AlbumList().albums.at(0).id;
  batch.tags = "bench";
  // Room for every picture of every run.
  service.AddUser("demo", "demo", {"--max-photo", std::to_string(count * (repeats + 1) + 300)});

  std::vector<fs::path> files;
  for (int i = 0; i < count; ++i) {
    files.push_back(work / ("picture" + std::to_string(i) + ".jpg"));
    if (!WritePicture(files.back(), static_cast<size_t>(sizeKb) * 1024, 1000u + i)) return 1;
  }

  // The two alternate, so that both see the same load; the best time counts.
  double bestWorker = 1e30, bestCurl = 1e30;
  for (int r = 0; r < repeats; ++r) {
    int done = 0;
    double workerCpu = 0, curlCpu = 0;
    double worker = RunWorker(session, batch, files, base, &done, &workerCpu);
    if (worker < 0 || done != count) {
      std::fprintf(stderr, "worker run failed (%d of %d uploaded)\n", done, count);
      return 1;
    }
    double curl = RunCurl(session, batch, files, base, work, &curlCpu);
    if (curl < 0) {
      std::fprintf(stderr, "curl run failed\n");
      return 1;
    }
    bestWorker = std::min(bestWorker, worker);
    bestCurl = std::min(bestCurl, curl);
    std::printf("run %d: worker %.3f s (cpu %.3f s), curl %.3f s (cpu %.3f s)\n", r + 1, worker, workerCpu,
                curl, curlCpu);
  }
  fs::remove_all(work);
  double ratio = bestWorker / bestCurl;
  std::printf("%d pictures of %d KB: worker %.3f s, curl %.3f s, worker / curl = %.2f (target <= 1.25)\n",
              count, sizeKb, bestWorker, bestCurl, ratio);
  return ratio <= 1.25 ? 0 : 3;
}
