// Upload benchmark: posts one file as a multipart form with the HTTP client,
// 16,384 bytes per proceed step, the way the upload worker does, and prints
// the time, the throughput and the process's peak memory.
//
//   bench_http_upload <url> <file> [repeats] [step bytes, default 16384]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "http/Corvo.h"
#include "platform/net/InternetConstants.h"

namespace {

// Peak resident memory in KiB (VmHWM from /proc, else getrusage).
long PeakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double UploadOnce(const char* url, const char* path, uint32_t step, uint32_t* bodyBytes) {
  Corvo::CHttpClientA client;
  client.SetAccessType(platform::net::INTERNET_OPEN_TYPE_DIRECT);
  client.SetUseUtf8(false);
  client.SetFailOnMissingFile(true);
  client.AddParam("file", path, Corvo::ParamFile);
  auto start = std::chrono::steady_clock::now();
  client.StartUploadContext(url, false);
  Corvo::CHttpPostStatA stat;
  client.QueryPostStat(stat);
  *bodyBytes = stat.ActualTotalByte();
  std::unique_ptr<Corvo::CHttpClientA::Response> response;
  while (!response) {
    client.QueryPostStat(stat);  // as the worker does between steps
    response = client.ProceedPostContext(step);
  }
  if (response->GetStatus() != 200) {
    std::fprintf(stderr, "status %u\n", response->GetStatus());
    std::exit(1);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <url> <file> [repeats]\n", argv[0]);
    return 2;
  }
  int repeats = argc > 3 ? std::atoi(argv[3]) : 1;
  uint32_t step = argc > 4 ? static_cast<uint32_t>(std::atoi(argv[4])) : 16384;
  double best = 1e30;
  uint32_t body = 0;
  try {
    for (int i = 0; i < repeats; ++i) best = std::min(best, UploadOnce(argv[1], argv[2], step, &body));
  } catch (const Corvo::httpclientexceptionA& e) {
    std::fprintf(stderr, "upload failed: %u %u %s\n", e.ErrorCode(), e.PlatformError(), e.what());
    return 1;
  }
  std::printf("seconds=%.4f mib_per_s=%.1f body_bytes=%u peak_kib=%ld\n", best, body / best / 1048576.0, body,
              PeakKib());
  return 0;
}
