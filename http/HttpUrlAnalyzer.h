// CHttpUrlAnalyzerT: splits a URL into scheme, host, port, path, query and
// fragment as byte offsets and lengths into the URL text. A missing component
// has length 0 and starts where the component before it ends. The query counts
// its leading "?", the fragment its leading "#".
#pragma once

#include <cstdint>
#include <cstring>

#include "http/HttpClientException.h"

namespace Corvo {

template <typename HttpTool>
class CHttpUrlAnalyzerT {
 public:
  // Splits url; none or empty gives all zeros. The URL is UTF-8 in memory, so
  // no delimiter byte can be part of a multi-byte character.
  void Analyze(const char* url, uint32_t codePage = 0) {
    HttpTool::CheckAnsiCodePage(codePage, "CHttpUrlAnalyzerT::Analyze");
    *this = CHttpUrlAnalyzerT();
    if (url == nullptr || *url == '\0') return;
    const uint32_t end = static_cast<uint32_t>(std::strlen(url));
    const char* scheme = std::strstr(url, "://");
    uint32_t host = 0;
    if (scheme != nullptr) {
      schemeLength_ = static_cast<uint32_t>(scheme - url);
      host = schemeLength_ + 3;
    }
    hostIndex_ = host;
    uint32_t pos = host;
    while (pos < end && url[pos] != '/' && url[pos] != '?' && url[pos] != '#' && url[pos] != ':') ++pos;
    hostLength_ = pos - host;
    portIndex_ = pos;
    if (pos < end && url[pos] == ':') {
      portIndex_ = ++pos;
      while (pos < end && url[pos] != '/' && url[pos] != '?' && url[pos] != '#') ++pos;
      portLength_ = pos - portIndex_;
    }
    pathIndex_ = pos;
    while (pos < end && url[pos] != '#' && url[pos] != '?') ++pos;
    pathLength_ = pos - pathIndex_;
    queryIndex_ = pos;
    if (pos < end && url[pos] == '?') {
      while (pos < end && url[pos] != '#') ++pos;
      queryLength_ = pos - queryIndex_;
    }
    fragmentIndex_ = pos;
    fragmentLength_ = end - pos;
  }

  uint32_t GetSchemeIdx() const { return 0; }
  uint32_t GetSchemeLen() const { return schemeLength_; }
  uint32_t GetHostIdx() const { return hostIndex_; }
  uint32_t GetHostLen() const { return hostLength_; }
  uint32_t GetPortIdx() const { return portIndex_; }
  uint32_t GetPortLen() const { return portLength_; }
  uint32_t GetPathIdx() const { return pathIndex_; }
  uint32_t GetPathLen() const { return pathLength_; }
  uint32_t GetQueryIdx() const { return queryIndex_; }
  uint32_t GetQueryLen() const { return queryLength_; }
  uint32_t GetFragmentIdx() const { return fragmentIndex_; }
  uint32_t GetFragmentLen() const { return fragmentLength_; }

 private:
  uint32_t schemeLength_ = 0;
  uint32_t hostIndex_ = 0;
  uint32_t hostLength_ = 0;
  uint32_t portIndex_ = 0;
  uint32_t portLength_ = 0;
  uint32_t pathIndex_ = 0;
  uint32_t pathLength_ = 0;
  uint32_t queryIndex_ = 0;
  uint32_t queryLength_ = 0;
  uint32_t fragmentIndex_ = 0;
  uint32_t fragmentLength_ = 0;
};

}  // namespace Corvo
