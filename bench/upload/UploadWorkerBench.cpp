// Upload benchmark: COUNT pictures of SIZE_KB kilobytes (default 100 of 200)
// are prepared, pushed through the dispatcher (0x8103) and uploaded and
// registered by the worker against the reference album service on
// 127.0.0.1; then one curl process sends the same two requests per picture
// over one kept-alive connection. Prints both times and their ratio; the
// target is the worker at most 1.25 times curl's time.
//
//   bench_upload_worker [count] [size_kb] [repeats]
//
// NOTE: curl cannot hand the receipt of one request to the next, so the
// registrations of that one process carry a receipt the service does not know
// and are refused after the same checks, without the database update the
// worker's cause. A second figure gives curl the same work: one process
// uploads everything, a second registers every picture with its receipt.
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

// One curl request of a config file.
struct CurlRequest {
  std::string url;
  std::string form;
  std::string output;
};

// Runs one curl process over a config file of requests joined by "next";
// the wall time, or -1 when curl failed.
double RunCurlConfig(const std::vector<CurlRequest>& requests, const fs::path& config, double* cpu) {
  std::ofstream out(config);
  for (size_t i = 0; i < requests.size(); ++i) {
    if (i > 0) out << "next\n";
    out << "url = \"" << requests[i].url << "\"\nform = \"" << requests[i].form << "\"\noutput = \""
        << requests[i].output << "\"\nheader = \"Expect:\"\nheader = \"Tessel: VORO Tessel\"\n"
        << "user-agent = \"Tessel Agent v1.0\"\nnoproxy = \"*\"\nsilent\n";
  }
  out.close();
  std::string command = "curl -K '" + config.string() + "'";
  double cpuStart = CpuSeconds(RUSAGE_CHILDREN);
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  *cpu += CpuSeconds(RUSAGE_CHILDREN) - cpuStart;
  return status == 0 ? seconds : -1;
}

// The prepared URLs of every picture.
std::vector<upload::PreparedUpload> PrepareAll(CSessionState& session, const upload::UploadBatch& batch,
                                               const std::vector<fs::path>& files, const std::string& base) {
  std::vector<upload::PreparedUpload> all;
  for (const fs::path& file : files) {
    auto* item = new CImageItem(file.string());
    upload::PreparedUpload prepared;
    upload::PrepareUpload(*item, batch, session, &prepared);
    item->Release();
    prepared.registrationUrl = AtService(prepared.registrationUrl, base);
    all.push_back(prepared);
  }
  return all;
}

// One curl process sends both requests of every picture over one kept-alive
// connection; the registrations carry a receipt the service does not know.
double RunCurl(CSessionState& session, const upload::UploadBatch& batch, const std::vector<fs::path>& files,
               const std::string& base, const fs::path& work, double* cpu) {
  std::vector<upload::PreparedUpload> urls = PrepareAll(session, batch, files, base);
  std::vector<CurlRequest> requests;
  for (size_t i = 0; i < files.size(); ++i) {
    requests.push_back({urls[i].uploadUrl, "pic1=@" + files[i].string(), "/dev/null"});
    requests.push_back({urls[i].registrationUrl, "picdata=00000000000000000000000000000000", "/dev/null"});
  }
  return RunCurlConfig(requests, work / "curl.cfg", cpu);
}

// The same work as the worker's: one curl process uploads every picture,
// a second registers each with its real receipt (two connections in all).
double RunCurlEqualWork(CSessionState& session, const upload::UploadBatch& batch,
                        const std::vector<fs::path>& files, const std::string& base, const fs::path& work,
                        double* cpu) {
  std::vector<upload::PreparedUpload> urls = PrepareAll(session, batch, files, base);
  std::vector<CurlRequest> uploads, registrations;
  for (size_t i = 0; i < files.size(); ++i)
    uploads.push_back({urls[i].uploadUrl, "pic1=@" + files[i].string(),
                       (work / ("answer" + std::to_string(i) + ".xml")).string()});
  double first = RunCurlConfig(uploads, work / "uploads.cfg", cpu);
  if (first < 0) return -1;
  auto start = Clock::now();
  for (size_t i = 0; i < files.size(); ++i) {
    std::ifstream in(uploads[i].output);
    std::string answer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t open = answer.find("<data>"), close = answer.find("</data>");
    if (open == std::string::npos || close == std::string::npos) return -1;
    std::string receipt = answer.substr(open + 6, close - open - 6);
    registrations.push_back({urls[i].registrationUrl, "picdata=" + receipt, "/dev/null"});
  }
  double reading = std::chrono::duration<double>(Clock::now() - start).count();
  double second = RunCurlConfig(registrations, work / "registrations.cfg", cpu);
  return second < 0 ? -1 : first + reading + second;
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
  service.AddUser("demo", "demo", {"--max-photo", std::to_string(2 * count * repeats + 300)});

  std::vector<fs::path> files;
  for (int i = 0; i < count; ++i) {
    files.push_back(work / ("picture" + std::to_string(i) + ".jpg"));
    if (!WritePicture(files.back(), static_cast<size_t>(sizeKb) * 1024, 1000u + i)) return 1;
  }

  // The two alternate, so that both see the same load; the best time counts.
  double bestWorker = 1e30, bestCurl = 1e30, bestEqual = 1e30;
  for (int r = 0; r < repeats; ++r) {
    int done = 0;
    double workerCpu = 0, curlCpu = 0, equalCpu = 0;
    double worker = RunWorker(session, batch, files, base, &done, &workerCpu);
    if (worker < 0 || done != count) {
      std::fprintf(stderr, "worker run failed (%d of %d uploaded)\n", done, count);
      return 1;
    }
    double curl = RunCurl(session, batch, files, base, work, &curlCpu);
    double equal = RunCurlEqualWork(session, batch, files, base, work, &equalCpu);
    if (curl < 0 || equal < 0) {
      std::fprintf(stderr, "curl run failed\n");
      return 1;
    }
    bestWorker = std::min(bestWorker, worker);
    bestCurl = std::min(bestCurl, curl);
    bestEqual = std::min(bestEqual, equal);
    std::printf(
        "run %d: worker %.3f s (cpu %.3f s), curl %.3f s (cpu %.3f s), curl with real receipts %.3f s\n",
        r + 1, worker, workerCpu, curl, curlCpu, equal);
  }
  fs::remove_all(work);
  double ratio = bestWorker / bestCurl;
  std::printf("%d pictures of %d KB: worker %.3f s, curl %.3f s, worker / curl = %.2f (target <= 1.25)\n",
              count, sizeKb, bestWorker, bestCurl, ratio);
  std::printf(
      "curl with the same work (uploads, then registrations with their receipts): %.3f s, worker / curl = "
      "%.2f\n",
      bestEqual, bestWorker / bestEqual);
  return ratio <= 1.25 ? 0 : 3;
}
