// Fuzz target: URL analysis, GET URL building and content-type sniffing over
// arbitrary bytes. Offsets must stay inside the text and nothing may crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/Corvo.h"
#include "http/MimeSniffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Corvo::SniffMimeType(data, size);
  std::string url(reinterpret_cast<const char*>(data), size);
  url = url.substr(0, url.find('\0'));
  Corvo::CHttpUrlAnalyzerA parts;
  parts.Analyze(url.c_str());
  if (parts.GetFragmentIdx() + parts.GetFragmentLen() != url.size() && !url.empty()) std::abort();
  if (parts.GetHostIdx() + parts.GetHostLen() > url.size() || parts.GetPathIdx() > url.size()) std::abort();
  try {
    Corvo::CHttpClientA client;
    client.AddParam(url.c_str(), url.c_str());
    client.MakeGetUrl(url.c_str());
  } catch (const Corvo::httpclientexceptionA&) {
  }
  return 0;
}
