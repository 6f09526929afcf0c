#include "common/request/HttpRequestTask.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>

#include "platform/net/InternetConstants.h"
#include "platform/window/Messaging.h"

namespace common {
namespace net = platform::net;

namespace {

constexpr size_t kMaxHost = 128;
constexpr size_t kMaxPath = 2048;

// Closes what Perform opened, in reverse order.
struct OpenHandles {
  net::HINTERNET session = nullptr;
  net::HINTERNET connection = nullptr;
  net::HINTERNET request = nullptr;
  ~OpenHandles() {
    if (request != nullptr) net::InternetCloseHandle(request);
    if (connection != nullptr) net::InternetCloseHandle(connection);
    if (session != nullptr) net::InternetCloseHandle(session);
  }
};

}  // namespace

CHttpRequestTask::~CHttpRequestTask() { Stop(); }

void CHttpRequestTask::SetPostData(const void* data, size_t length) {
  postData_.assign(static_cast<const char*>(data), data != nullptr ? length : 0);
}

int CHttpRequestTask::Start(const char* url, HWND notifyWindow) {
  if (!IsIdle()) return -1;
  url_ = url != nullptr ? url : "";
  {
    std::lock_guard<std::mutex> guard(cancelLock_);
    cancelled_ = false;
  }
  try {
    worker_ = std::thread([this, notifyWindow] { WorkerMain(notifyWindow); });
  } catch (const std::system_error&) {
    return -1;
  }
  return 0;
}

void CHttpRequestTask::WorkerMain(HWND notifyWindow) {
  Run();
  {
    // A task that Stop gave up on reports nothing: its owner has moved on.
    std::lock_guard<std::mutex> guard(cancelLock_);
    if (cancelled_) return;
  }
  if (notifyWindow != nullptr)
    platform::PostMessage(notifyWindow, kCompletionMessage, reinterpret_cast<WPARAM>(url_.c_str()),
                          reinterpret_cast<LPARAM>(this));
}

void CHttpRequestTask::Stop() {
  if (IsIdle()) return;
  // The worker gets 1,500 ms to finish on its own; then its transfer is
  // cancelled, which makes it return promptly.
  std::mutex doneLock;
  std::condition_variable doneSignal;
  bool done = false;
  std::thread waiter([&] {
    worker_.join();
    std::lock_guard<std::mutex> guard(doneLock);
    done = true;
    doneSignal.notify_all();
  });
  {
    std::unique_lock<std::mutex> guard(doneLock);
    if (!doneSignal.wait_for(guard, std::chrono::milliseconds(1500), [&] { return done; })) {
      guard.unlock();
      Cancel();
    }
  }
  waiter.join();
  std::lock_guard<std::mutex> guard(cancelLock_);
  cancelled_ = false;
}

void CHttpRequestTask::Cancel() {
  std::lock_guard<std::mutex> guard(cancelLock_);
  cancelled_ = true;
  if (session_ != nullptr) net::InternetCancel(session_);
}

bool CHttpRequestTask::SplitUrl(const std::string& url, Target* target) {
  size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos) return false;
  std::string scheme = url.substr(0, schemeEnd);
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  size_t hostStart = schemeEnd + 3;
  size_t hostEnd = url.find_first_of("/?#", hostStart);
  if (hostEnd == std::string::npos) hostEnd = url.size();
  std::string authority = url.substr(hostStart, hostEnd - hostStart);
  size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);  // no account is ever sent
  size_t colon = authority.rfind(':');
  if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
    std::string digits = authority.substr(colon + 1);
    authority.erase(colon);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
      return false;
    unsigned long port = std::strtoul(digits.c_str(), nullptr, 10);
    if (port == 0 || port > 65535) return false;
    target->port = static_cast<uint16_t>(port);
  } else if (scheme == "http") {
    target->port = 80;
  } else if (scheme == "https") {
    target->port = 443;
  } else {
    return false;
  }
  if (authority.empty() || authority.size() > kMaxHost) return false;
  target->host = authority;
  // The query stays part of the path; a fragment never leaves the client.
  std::string path = url.substr(hostEnd);
  path = path.substr(0, path.find('#'));
  if (path.size() > kMaxPath) return false;
  target->path = path.empty() ? "/" : path;
  return true;
}

int CHttpRequestTask::Run(const char* url) {
  if (url != nullptr) url_ = url;
  headers_ = CHttpResponseHeaders();
  body_.clear();
  body_.shrink_to_fit();
  result_ = kResultNone;
  Target target;
  if (!SplitUrl(url_, &target)) return -1;
  int rc = Perform(target);
  // The error number of a failure is fetched and dropped.
  if (rc != 0) (void)net::GetLastError();
  return rc;
}

int CHttpRequestTask::Perform(const Target& target) {
  OpenHandles h;
  h.session = net::InternetOpen(
      kUserAgent, useProxy_ ? net::INTERNET_OPEN_TYPE_PRECONFIG : net::INTERNET_OPEN_TYPE_DIRECT, nullptr,
      nullptr, 0);
  if (h.session == nullptr) return -1;
  {
    std::lock_guard<std::mutex> guard(cancelLock_);
    session_ = h.session;
    if (cancelled_) net::InternetCancel(session_);
  }
  struct ForgetSession {
    CHttpRequestTask* task;
    ~ForgetSession() {
      std::lock_guard<std::mutex> guard(task->cancelLock_);
      task->session_ = nullptr;
    }
  } forget{this};

  h.connection = net::InternetConnect(h.session, target.host.c_str(), target.port, nullptr, nullptr,
                                      net::INTERNET_SERVICE_HTTP, 0);
  if (h.connection == nullptr) return -1;
  // Only the port selects the secure mode, not the scheme.
  uint32_t flags = target.port == 443 ? net::INTERNET_FLAG_SECURE | net::INTERNET_FLAG_NO_CACHE_WRITE |
                                            net::INTERNET_FLAG_IGNORE_CERT_DATE_INVALID |
                                            net::INTERNET_FLAG_IGNORE_CERT_CN_INVALID
                                      : net::INTERNET_FLAG_RELOAD;
  static const char* const kAccept[] = {"*/*", nullptr};
  h.request = net::HttpOpenRequest(h.connection, m_bPost ? "POST" : nullptr, target.path.c_str(), nullptr,
                                   nullptr, kAccept, flags);
  if (h.request == nullptr) return -1;
  if (!m_strHeaders.empty() &&
      !net::HttpAddRequestHeaders(h.request, m_strHeaders.data(), m_strHeaders.size(),
                                  net::HTTP_ADDREQ_FLAG_ADD_IF_NEW))
    return -1;
  const void* body = m_bPost && !postData_.empty() ? postData_.data() : nullptr;
  if (!net::HttpSendRequest(h.request, nullptr, 0, body, body != nullptr ? postData_.size() : 0)) return -1;

  std::string raw(kMaxRawHeaders, '\0');
  uint32_t rawLength = kMaxRawHeaders;
  if (!net::HttpQueryInfo(h.request, net::HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &rawLength, nullptr))
    return -1;
  raw.resize(rawLength);
  headers_.Parse(raw);
  if (headers_.StatusCode() == 200) {
    result_ = kResultOk;
    if (!ReadBody(h.request)) return -1;
  } else if (headers_.StatusCode() == 304) {
    result_ = kResultNotModified;
  }
  return 0;
}

bool CHttpRequestTask::ReadBody(net::HINTERNET request) {
  size_t limit = kDefaultBodyLimit;
  if (const std::string* announced = headers_.Find("CONTENT-LENGTH")) {
    char* end = nullptr;
    unsigned long long length = std::strtoull(announced->c_str(), &end, 10);
    bool valid = !announced->empty() && *end == '\0' && announced->find('-') == std::string::npos;
    if (valid && length > kMaxAnnouncedBody) {
      result_ = kResultNone;
      return false;
    }
    if (valid) limit = static_cast<size_t>(length);
  }
  // The buffer grows with what arrives, up to the limit; the rest is cut off.
  char buffer[16384];
  while (body_.size() < limit) {
    uint32_t want = static_cast<uint32_t>(std::min(sizeof buffer, limit - body_.size()));
    uint32_t read = 0;
    if (!net::InternetReadFile(request, buffer, want, &read)) {
      // NOTE: an answer cut off by a failed read is no answer: the partial
      // body is kept for inspection but the result says nothing usable came.
      result_ = kResultNone;
      return false;
    }
    if (read == 0) break;
    body_.append(buffer, read);
  }
  return true;
}

}  // namespace common
