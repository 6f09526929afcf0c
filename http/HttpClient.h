// CHttpClientT: the HTTP client of the product. It holds a header map sent
// with every request, a parameter map (GET query or upload parts), internet
// settings and a proxy account, and either sends GET requests or runs one
// multipart upload (the post context) step by step; see HttpClientUpload.h.
// A client is used by one thread; its responses may outlive it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "http/HttpClientException.h"
#include "http/HttpClientMap.h"
#include "http/HttpPostStat.h"
#include "http/HttpResponse.h"
#include "http/HttpUrlAnalyzer.h"
#include "platform/net/InternetConstants.h"

namespace Corvo {

// Open flags of GET requests and uploads: with caching allowed (keep
// connection, resynchronize, hyperlink, no UI) and without (additionally
// reload, no cache write, pragma no-cache).
inline constexpr uint32_t kHttpFlagsAllowCache = 0x00400E00;
inline constexpr uint32_t kHttpFlagsNoCache = 0x84400F00;
inline constexpr const char* kDefaultUserAgent = "Corvo HTTP Client Class";
inline constexpr const char* kFallbackBoundary = "----CORVO-FB3B405B7EAE495aB0C0295C54D4E096-";

template <typename HttpTool, typename HttpEncoder>
class CHttpClientT {
 public:
  using HINTERNET = typename HttpTool::HINTERNET;
  using Response = CHttpResponseT<HttpTool>;
  using PostStat = CHttpPostStatT<HttpTool>;
  using Map = CHttpClientMapT<HttpTool>;

  CHttpClientT() { MakeBoundary(); }
  ~CHttpClientT() { CancelPostContext(); }
  CHttpClientT(const CHttpClientT&) = delete;
  CHttpClientT& operator=(const CHttpClientT&) = delete;

  // Stores the internet settings (none clears a setting).
  void SetInternetSettings(const char* userAgent, uint32_t accessType, const char* proxy,
                           const char* proxyBypass, uint32_t flags) {
    userAgent_ = Copy(userAgent);
    accessType_ = accessType;
    proxy_ = Copy(proxy);
    proxyBypass_ = Copy(proxyBypass);
    openFlags_ = flags;
  }
  void SetUserAgent(const char* userAgent) { userAgent_ = Copy(userAgent); }
  void SetAccessType(uint32_t accessType) { accessType_ = accessType; }

  // Replaces the first header of that name, or adds one.
  void SetHeader(const char* name, const char* value) {
    if (name == nullptr) ThrowArgumentError("CHttpClientT::SetHeader: szName can not be NULL.");
    if (*name == '\0') ThrowArgumentError("CHttpClientT::SetHeader: szName can not be an empty string.");
    if (value == nullptr) ThrowArgumentError("CHttpClientT::SetHeader: szValue can not be NULL.");
    if (*value == '\0') ThrowArgumentError("CHttpClientT::SetHeader: szValue can not be an empty string.");
    headers_.Set(name, value);
  }

  // Adds a parameter: flags ParamFile, ParamEncodedName, ParamEncodedValue.
  void AddParam(const char* name, const char* value = nullptr, uint32_t flags = 0) {
    RefuseWhilePosting("CHttpClientT::AddParam");
    params_.Add(name, value, flags);
  }
  void ClearParam() {
    RefuseWhilePosting("CHttpClientT::ClearParam");
    params_.Clear();
  }
  // Selects UTF-8 on the wire; returns the previous setting.
  bool SetUseUtf8(bool useUtf8) {
    RefuseWhilePosting("CHttpClientT::SetUseUtf8");
    bool previous = useUtf8_;
    useUtf8_ = useUtf8;
    return previous;
  }
  // Makes an upload fail at its start when a file cannot be opened.
  bool SetFailOnMissingFile(bool fail) {
    bool previous = failOnMissingFile_;
    failOnMissingFile_ = fail;
    return previous;
  }
  // Stores the proxy account applied to every new connection.
  void SetProxyAccount(const char* userName, const char* password) {
    if (userName == nullptr) ThrowArgumentError("CHttpClientT::SetProxyAccount: szUserName can not be NULL.");
    if (*userName == '\0')
      ThrowArgumentError("CHttpClientT::SetProxyAccount: szUserName can not be an empty string.");
    if (password == nullptr) ThrowArgumentError("CHttpClientT::SetProxyAccount: szPassword can not be NULL.");
    if (*password == '\0')
      ThrowArgumentError("CHttpClientT::SetProxyAccount: szPassword can not be an empty string.");
    proxyUser_ = std::string(userName);
    proxyPassword_ = std::string(password);
  }

  const Map& Headers() const { return headers_; }
  const Map& Params() const { return params_; }
  const char* GetBoundary() const { return boundary_ ? boundary_->c_str() : kFallbackBoundary; }
  std::string GetUploadContType() const {
    return uploadContentType_ ? *uploadContentType_
                              : "multipart/form-data; boundary=" + std::string(kFallbackBoundary);
  }

  // The GET URL: url with the parameter map appended as a query in map order.
  std::string MakeGetUrl(const char* url) const {
    if (params_.Empty()) return url != nullptr ? std::string(url) : std::string();
    CHttpUrlAnalyzerT<HttpTool> parts;
    parts.Analyze(url, codePage_);
    std::string text = url != nullptr ? url : "";
    std::string out = text.substr(0, parts.GetPathIdx());
    if (parts.GetPathLen() == 0) out += '/';
    out += text.substr(parts.GetPathIdx(), parts.GetPathLen() + parts.GetQueryLen());
    out += parts.GetQueryLen() > 0 ? '&' : '?';
    bool first = true;
    for (const auto& [name, entry] : params_) {
      if (!first) out += '&';
      first = false;
      out += (entry.flags & ParamEncodedName) ? name
                                              : HttpEncoder::UrlEncodeA(name.c_str(), useUtf8_, codePage_);
      out += '=';
      const char* value = entry.value ? entry.value->c_str() : "";
      out += (entry.flags & ParamEncodedValue) ? std::string(value)
                                               : HttpEncoder::UrlEncodeA(value, useUtf8_, codePage_);
    }
    out += text.substr(parts.GetFragmentIdx(), parts.GetFragmentLen());
    return out;
  }

  // Sends a GET request (parameters as the query) and returns its response.
  std::unique_ptr<Response> SendGetRequest(const char* url, bool allowCache) {
    CancelPostContext();
    HINTERNET internet = nullptr, connection = nullptr, request = nullptr;
    try {
      internet = OpenInternet();
      connection = OpenConnection(internet, url, nullptr, nullptr);
      std::string target = params_.Empty() ? std::string(url) : MakeGetUrl(url);
      request = OpenRequest(connection, "GET", target.c_str(),
                            allowCache ? kHttpFlagsAllowCache : kHttpFlagsNoCache, nullptr);
      AddRequestHeader(request);
      HttpTool::SendRequest(request);
      return std::make_unique<Response>(internet, connection, request);
    } catch (const httpclientexceptionA&) {
      CloseAll(request, connection, internet);
      throw;
    } catch (const std::bad_alloc&) {
      CloseAll(request, connection, internet);
      ThrowHttpError(HttpError::kOutOfMemory);
    } catch (...) {
      CloseAll(request, connection, internet);
      ThrowHttpError(HttpError::kUnexpected);
    }
  }

  // Connects to the host and port of url (80, or 443 for "https").
  HINTERNET OpenConnection(HINTERNET internet, const char* url, const char* user, const char* password) {
    if (internet == nullptr) ThrowArgumentError("CHttpClientT::OpenConnection: hInternet can not be NULL.");
    CHttpUrlAnalyzerT<HttpTool> parts;
    parts.Analyze(url, codePage_);
    uint16_t port = IsHttps(url, parts) ? platform::net::INTERNET_DEFAULT_HTTPS_PORT
                                        : platform::net::INTERNET_DEFAULT_HTTP_PORT;
    if (parts.GetPortLen() > 0) port = ParsePort(url + parts.GetPortIdx(), parts.GetPortLen());
    if (parts.GetHostLen() == 0) ThrowHttpError(HttpError::kInvalidUrl);
    std::string host(url + parts.GetHostIdx(), parts.GetHostLen());
    HINTERNET connection = HttpTool::OpenConnection(internet, host.c_str(), port, user, password);
    try {
      ApplyProxyAccount(connection);
    } catch (...) {
      HttpTool::CloseInternetHandle(connection);
      throw;
    }
    return connection;
  }

  // Opens a request for the object named by url (path, query and fragment).
  HINTERNET OpenRequest(HINTERNET connection, const char* verb, const char* url, uint32_t flags,
                        const char* referrer) {
    if (connection == nullptr) ThrowArgumentError("CHttpClientT::OpenRequest: hConnection can not be NULL.");
    CHttpUrlAnalyzerT<HttpTool> parts;
    parts.Analyze(url, codePage_);
    if (IsHttps(url, parts)) flags |= platform::net::INTERNET_FLAG_SECURE;
    std::string text = url != nullptr ? url : "";
    std::string object = text.substr(parts.GetPathIdx());
    if (parts.GetPathLen() == 0) object = "/" + object;
    HINTERNET request = HttpTool::OpenRequest(connection, verb, object.c_str(), flags, referrer);
    try {
      if (flags & platform::net::INTERNET_FLAG_PRAGMA_NOCACHE)
        HttpTool::AddHeader(request, "Cache-Control", "no-cache", platform::net::HTTP_ADDREQ_FLAG_ADD);
    } catch (...) {
      HttpTool::CloseInternetHandle(request);
      throw;
    }
    return request;
  }

  // Adds every header of the header map, in map order.
  void AddRequestHeader(HINTERNET request) {
    if (request == nullptr) ThrowArgumentError("CHttpClientT::AddRequestHeader: hRequest can not be NULL.");
    for (const auto& [name, entry] : headers_)
      HttpTool::AddHeader(request, name.c_str(), entry.value ? entry.value->c_str() : nullptr,
                          platform::net::HTTP_ADDREQ_FLAG_ADD | platform::net::HTTP_ADDREQ_FLAG_REPLACE);
  }

  // Sets the proxy account on a connection when both parts are set.
  void ApplyProxyAccount(HINTERNET connection) {
    if (connection == nullptr)
      ThrowArgumentError("CHttpClientT::ApplyProxyAccount: hConnection can not be NULL.");
    if (!proxyUser_ || !proxyPassword_ || proxyUser_->empty() || proxyPassword_->empty()) return;
    HttpTool::SetTextOption(connection, platform::net::INTERNET_OPTION_PROXY_USERNAME, proxyUser_->c_str());
    HttpTool::SetTextOption(connection, platform::net::INTERNET_OPTION_PROXY_PASSWORD,
                            proxyPassword_->c_str());
  }

  // The multipart upload (HttpClientUpload.h).
  void StartUploadContext(const char* url, bool allowCache, HINTERNET internet = nullptr,
                          HINTERNET connection = nullptr);
  std::unique_ptr<Response> ProceedPostContext(uint32_t desired);
  void QueryPostStat(PostStat& stat) const;
  bool CancelPostContext() noexcept;
  bool IsPostContextActive() const noexcept { return live_.IsActive(); }

 private:
  struct PostContext;

  static std::optional<std::string> Copy(const char* text) {
    return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
  }

  static bool IsHttps(const char* url, const CHttpUrlAnalyzerT<HttpTool>& parts) {
    return parts.GetSchemeLen() == 5 && HttpTool::CompareNoCase(std::string(url, 5), "HTTPS") == 0;
  }

  static uint16_t ParsePort(const char* digits, uint32_t length) {
    if (length > 5) ThrowHttpError(HttpError::kInvalidPort);
    uint32_t port = 0;
    for (uint32_t i = 0; i < length; ++i) {
      if (digits[i] < '0' || digits[i] > '9') ThrowHttpError(HttpError::kInvalidPort);
      port = port * 10 + static_cast<uint32_t>(digits[i] - '0');
    }
    if (port > 65535) ThrowHttpError(HttpError::kInvalidPort);
    return static_cast<uint16_t>(port);
  }

  static void CloseAll(HINTERNET& request, HINTERNET& connection, HINTERNET& internet) noexcept {
    HttpTool::CloseInternetHandle(request);
    HttpTool::CloseInternetHandle(connection);
    HttpTool::CloseInternetHandle(internet);
  }

  HINTERNET OpenInternet() {
    return HttpTool::OpenInternet(userAgent_ ? userAgent_->c_str() : kDefaultUserAgent, accessType_,
                                  proxy_ ? proxy_->c_str() : nullptr,
                                  proxyBypass_ ? proxyBypass_->c_str() : nullptr, openFlags_);
  }

  void RefuseWhilePosting(const char* function) const {
    if (IsPostContextActive())
      ThrowArgumentError(
          (std::string(function) + ": It is not allowed to call this method if the POST context is active.")
              .c_str());
  }

  // A random 128-bit value as "----NEBUL-" + 32 hexadecimal digits + "-"; the
  // fixed boundary is used when no random value can be had.
  void MakeBoundary() noexcept {
    try {
      std::random_device random;
      uint32_t words[4] = {random(), random(), random(), random()};
      char text[64];
      std::snprintf(text, sizeof text, "----NEBUL-%.08x%.04x%.04x%.02x%.02x%.02x%.02x%.02x%.02x%.02x%.02x-",
                    words[0], words[1] & 0xFFFF, words[1] >> 16, words[2] & 0xFF, (words[2] >> 8) & 0xFF,
                    (words[2] >> 16) & 0xFF, words[2] >> 24, words[3] & 0xFF, (words[3] >> 8) & 0xFF,
                    (words[3] >> 16) & 0xFF, words[3] >> 24);
      boundary_ = std::string(text);
      uploadContentType_ = "multipart/form-data; boundary=" + *boundary_;
    } catch (...) {
      boundary_.reset();
      uploadContentType_.reset();
    }
  }

  // Upload helpers (HttpClientUpload.h).
  void WritePost(const void* data, uint32_t size, bool content);
  void WriteText(const std::string& text) {
    WritePost(text.data(), static_cast<uint32_t>(text.size()), false);
  }
  std::string PartHeader(const std::string& name, const std::string* path, const std::string& mime) const;
  void BeginNextParam();
  void SendContentSlice(uint32_t count);
  std::unique_ptr<Response> ReleasePostResponse();
  void ReleaseContext(bool closeHandles) noexcept;

  bool failOnMissingFile_ = false;
  std::optional<std::string> boundary_;
  std::optional<std::string> uploadContentType_;
  bool useUtf8_ = false;
  uint32_t codePage_ = 0;
  Map headers_;
  Map params_;
  std::optional<std::string> userAgent_;
  uint32_t accessType_ = platform::net::INTERNET_OPEN_TYPE_PRECONFIG;
  std::optional<std::string> proxy_;
  std::optional<std::string> proxyBypass_;
  uint32_t openFlags_ = 0;
  std::optional<std::string> proxyUser_;
  std::optional<std::string> proxyPassword_;
  PostStat snapshot_;
  PostStat live_;
  std::unique_ptr<PostContext> context_;
};

}  // namespace Corvo

#include "http/HttpClientUpload.h"
