// CHttpResponseT: the answer to one request. It owns the request handle and,
// when the client opened them for this request, the connection and internet
// handles; all owned handles are closed when the response is destroyed, so a
// response lives on after its client.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "http/HttpClientException.h"
#include "http/HttpClientMap.h"

namespace Corvo {

template <typename HttpTool>
class CHttpResponseT {
 public:
  using HINTERNET = typename HttpTool::HINTERNET;

  // Takes the request handle; the connection and internet handles are closed
  // with the response only when they are given here (none: the caller's).
  CHttpResponseT(HINTERNET internet, HINTERNET connection, HINTERNET request) noexcept
      : internet_(internet), connection_(connection), request_(request) {}
  ~CHttpResponseT() {
    HttpTool::CloseInternetHandle(request_);
    HttpTool::CloseInternetHandle(connection_);
    HttpTool::CloseInternetHandle(internet_);
  }
  CHttpResponseT(const CHttpResponseT&) = delete;
  CHttpResponseT& operator=(const CHttpResponseT&) = delete;

  // The status code, read once and cached.
  uint32_t GetStatus() {
    if (request_ == nullptr) ThrowArgumentError("CHttpResponseT::GetStatus: m_hRequest can not be NULL.");
    if (status_ == 0) status_ = HttpTool::GetStatusCode(request_);
    return status_;
  }

  // The status text, read once and cached.
  const char* GetStatusText() {
    if (request_ == nullptr) ThrowArgumentError("CHttpResponseT::GetStatusText: m_hRequest can not be NULL.");
    if (!statusText_) statusText_ = HttpTool::GetStatusText(request_);
    return statusText_->c_str();
  }

  // The index-th value of a response header, "" for a header without value,
  // none when there is no such occurrence. Every occurrence of a name is
  // loaded from the platform on its first use and cached.
  const char* GetHeader(const char* name, uint32_t index = 0) {
    if (name == nullptr) ThrowArgumentError("CHttpResponseT::GetHeader: szName can not be NULL.");
    if (headers_.Count(name) == 0) LoadHeader(name);
    const char* value = headers_.Get(name, index);
    if (value == nullptr && index < headers_.Count(name)) return "";
    return value;
  }

  // True with the length when the answer has a Content-Length header.
  bool GetContentLength(uint32_t& length) {
    if (request_ == nullptr)
      ThrowArgumentError("CHttpResponseT::GetContentLength: m_hRequest can not be NULL.");
    return HttpTool::GetContentLength(request_, &length);
  }

  // Reads body bytes into the buffer; 0 at the end of the body.
  uint32_t ReadContent(unsigned char* buffer, uint32_t size) {
    if (request_ == nullptr) ThrowArgumentError("CHttpResponseT::ReadContent: m_hRequest can not be NULL.");
    if (buffer == nullptr) ThrowArgumentError("CHttpResponseT::ReadContent: pbyBuff can not be NULL.");
    if (size == 0) ThrowArgumentError("CHttpResponseT::ReadContent: cbBuff can not be zero.");
    return HttpTool::ReadContent(request_, buffer, size);
  }

 private:
  void LoadHeader(const char* name) {
    try {
      std::string value;
      for (uint32_t index = 0; HttpTool::GetHeader(request_, name, index, &value); ++index)
        headers_.Add(name, value.c_str());
    } catch (...) {
      headers_.RemoveAll(name);
      throw;
    }
  }

  HINTERNET internet_;
  HINTERNET connection_;
  HINTERNET request_;
  CHttpClientMapT<HttpTool> headers_;
  uint32_t status_ = 0;
  std::optional<std::string> statusText_;
};

}  // namespace Corvo
