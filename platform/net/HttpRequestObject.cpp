#include "platform/net/HttpRequestObject.h"

#include <algorithm>
#include <cstring>

#include "platform/net/CurlErrors.h"

namespace platform::net {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
         });
}

// The object name goes into the request line: blanks and control bytes are
// escaped so that they can never end the line or add one.
std::string SafeRequestTarget(const std::string& object) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : object) {
    if (c <= 0x20 || c == 0x7F) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool HasControlBytes(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; });
}

}  // namespace

HttpRequestObject::~HttpRequestObject() {
  if (multi_ != nullptr) {
    connection_->session->Unwatch(multi_);
    // Removing an unfinished transfer makes curl close its connection, so a
    // body abandoned half-way never reaches the server as complete.
    if (easy_ != nullptr) curl_multi_remove_handle(multi_, easy_);
    curl_multi_cleanup(multi_);
  }
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
  curl_slist_free_all(headerList_);
}

void HttpRequestObject::Open(std::shared_ptr<InternetConnection> connection, std::string verb,
                             std::string object, bool http10, std::string referrer, std::string accept,
                             uint32_t flags) {
  connection_ = std::move(connection);
  timeouts = connection_->timeouts;
  verb_ = std::move(verb);
  object_ = SafeRequestTarget(object);
  http10_ = http10;
  referrer_ = std::move(referrer);
  accept_ = std::move(accept);
  flags_ = flags;
}

bool HttpRequestObject::Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

bool HttpRequestObject::FailFromTransfer() {
  return Fail(transferResult_ == CURLE_OK ? ERROR_HTTP_INVALID_SERVER_RESPONSE
                                          : InternetErrorFromCurl(transferResult_));
}

bool HttpRequestObject::AddHeaders(const std::string& text, uint32_t modifiers) {
  if (state_ != State::kOpen) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  bool ok = true;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    size_t colon = line.find(':');
    std::string name = colon == std::string::npos ? std::string() : Trim(line.substr(0, colon));
    std::string value = colon == std::string::npos ? std::string() : Trim(line.substr(colon + 1));
    if (name.empty() || HasControlBytes(line) || name.find_first_of(" \t") != std::string::npos)
      return Fail(ERROR_INVALID_PARAMETER);
    auto found = std::find_if(headers_.begin(), headers_.end(),
                              [&](const auto& header) { return EqualsNoCase(header.first, name); });
    if (modifiers & HTTP_ADDREQ_FLAG_REPLACE) {
      if (found != headers_.end() && value.empty())
        headers_.erase(found);
      else if (found != headers_.end())
        found->second = value;
      else if ((modifiers & HTTP_ADDREQ_FLAG_ADD) && !value.empty())
        headers_.emplace_back(name, value);
      else if (!value.empty())
        ok = Fail(ERROR_HTTP_HEADER_NOT_FOUND);
    } else if (modifiers & HTTP_ADDREQ_FLAG_ADD_IF_NEW) {
      if (found == headers_.end())
        headers_.emplace_back(name, value);
      else
        ok = Fail(ERROR_HTTP_HEADER_ALREADY_EXISTS);
    } else {
      headers_.emplace_back(name, value);
    }
  }
  return ok;
}

bool HttpRequestObject::BuildHeaderList() {
  auto has = [&](const char* name) {
    return std::any_of(headers_.begin(), headers_.end(),
                       [&](const auto& header) { return EqualsNoCase(header.first, name); });
  };
  std::vector<std::string> lines;
  // curl adds an Accept of its own unless told otherwise; the request's accept
  // types replace it.
  lines.push_back(accept_.empty() ? "Accept:" : "Accept: " + accept_);
  if ((flags_ & INTERNET_FLAG_PRAGMA_NOCACHE) && !has("Pragma")) lines.push_back("Pragma: no-cache");
  for (const auto& [name, value] : headers_)
    lines.push_back(value.empty() ? name + ";" : name + ": " + value);
  // No "Expect: 100-continue" round trip and no invented Content-Type.
  lines.push_back("Expect:");
  if (!has("Content-Type")) lines.push_back("Content-Type:");
  for (const std::string& line : lines) {
    curl_slist* next = curl_slist_append(headerList_, line.c_str());
    if (next == nullptr) return Fail(ERROR_NOT_ENOUGH_MEMORY);
    headerList_ = next;
  }
  return true;
}

bool HttpRequestObject::Configure(uint64_t total) {
  easy_ = curl_easy_init();
  multi_ = curl_multi_init();
  if (easy_ == nullptr || multi_ == nullptr || !BuildHeaderList()) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const InternetConnection& connection = *connection_;
  const InternetSession& session = *connection.session;
  bool secure = (flags_ & INTERNET_FLAG_SECURE) != 0;
  const std::string& host = connection.server;
  bool bareIpv6 = host.find(':') != std::string::npos && host.front() != '[';
  std::string authority = (bareIpv6 ? "[" + host + "]" : host) + ":" + std::to_string(connection.port);
  std::string url = (secure ? "https://" : "http://") + authority + "/";
  std::string proxy = session.ProxyFor(host, secure);
  // A plain request through a proxy names the whole URL in its request line.
  std::string target = !proxy.empty() && !secure ? "http://" + authority + object_ : object_;

  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_REQUEST_TARGET, target.c_str());
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_SHARE, session.Share());
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, http10_ ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(easy_, CURLOPT_PROXY, proxy.empty() ? "" : ("http://" + proxy).c_str());
  curl_easy_setopt(easy_, CURLOPT_NOPROXY, "");
  curl_easy_setopt(easy_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connectMs));
  curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, (flags_ & INTERNET_FLAG_KEEP_CONNECTION) ? 0L : 1L);
  if (!session.agent.empty()) curl_easy_setopt(easy_, CURLOPT_USERAGENT, session.agent.c_str());
  if (!referrer_.empty()) curl_easy_setopt(easy_, CURLOPT_REFERER, referrer_.c_str());
  if (!connection.user.empty()) {
    curl_easy_setopt(easy_, CURLOPT_USERNAME, connection.user.c_str());
    curl_easy_setopt(easy_, CURLOPT_PASSWORD, connection.password.c_str());
    curl_easy_setopt(easy_, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }
  const std::string& pUser = proxyUser.empty() ? connection.proxyUser : proxyUser;
  const std::string& pPassword = proxyPassword.empty() ? connection.proxyPassword : proxyPassword;
  if (!pUser.empty()) {
    curl_easy_setopt(easy_, CURLOPT_PROXYUSERNAME, pUser.c_str());
    curl_easy_setopt(easy_, CURLOPT_PROXYPASSWORD, pPassword.c_str());
  }
  // NOTE: curl can relax the host-name check of a certificate but not its
  // dates alone, so the ignore-date flag has no effect.
  if (flags_ & INTERNET_FLAG_IGNORE_CERT_CN_INVALID) curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 0L);

  if (verb_ == "GET" && total == 0) {
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
  } else if (verb_ == "HEAD" && total == 0) {
    curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(easy_, CURLOPT_POST, 1L);
    curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(total));
    curl_easy_setopt(easy_, CURLOPT_READFUNCTION, &HttpRequestObject::OnRead);
    curl_easy_setopt(easy_, CURLOPT_READDATA, this);
    if (verb_ != "POST") curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, verb_.c_str());
  }
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HttpRequestObject::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpRequestObject::OnWrite);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
  curl_easy_setopt(easy_, CURLOPT_UPLOAD_BUFFERSIZE, 256L * 1024);
  return true;
}

bool HttpRequestObject::Start(uint64_t total) {
  if (state_ != State::kOpen) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (connection_->session->Cancelled()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED);
  total_ = total;
  if (!Configure(total)) return false;
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return Fail(ERROR_INTERNET_INTERNAL_ERROR);
  connection_->session->Watch(multi_);
  lastActivity_ = std::chrono::steady_clock::now();
  return true;
}

template <typename Done>
bool HttpRequestObject::Drive(Done done, uint32_t inactivityMs) {
  const auto limit = std::chrono::milliseconds(inactivityMs);
  for (;;) {
    if (done()) return true;
    if (connection_->session->Cancelled()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED);
    if (transferDone_) return FailFromTransfer();
    // A paused direction is resumed first when there is work for it again;
    // otherwise curl would wait on nothing.
    Resume();
    if (!PerformOnce()) return false;
    if (done()) return true;
    if (transferDone_) continue;
    auto idle = std::chrono::steady_clock::now() - lastActivity_;
    if (idle > limit) return Fail(ERROR_INTERNET_TIMEOUT);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - idle).count() + 1;
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::min<long long>(left, 100)), nullptr);
  }
}

bool HttpRequestObject::PerformOnce() {
  int running = 0;
  if (curl_multi_perform(multi_, &running) != CURLM_OK) return Fail(ERROR_INTERNET_INTERNAL_ERROR);
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
      transferDone_ = true;
      transferResult_ = message->data.result;
    }
  }
  return true;
}

void HttpRequestObject::Resume() {
  if (transferDone_ || easy_ == nullptr) return;
  bool wakeSend = sendPaused_ && (Unsent() > 0 || written_ == total_);
  bool wakeReceive = receivePaused_ && received_.size() - receivedOffset_ < kReceiveCapacity;
  if (!wakeSend && !wakeReceive) return;
  if (wakeSend) sendPaused_ = false;
  if (wakeReceive) receivePaused_ = false;
  int mask = (sendPaused_ ? CURLPAUSE_SEND : 0) | (receivePaused_ ? CURLPAUSE_RECV : 0);
  curl_easy_pause(easy_, mask);
}

bool HttpRequestObject::Send(const void* body, size_t length) {
  if (state_ != State::kOpen) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (length > 0) wholeBody_.assign(static_cast<const char*>(body), length);
  written_ = length;
  if (!Start(length)) return false;
  state_ = State::kWaitingForAnswer;
  if (!Drive([this] { return headersComplete_; }, timeouts.receiveMs)) return false;
  state_ = State::kAnswered;
  return true;
}

bool HttpRequestObject::SendEx(uint64_t total) {
  if (!Start(total)) return false;
  state_ = State::kStreaming;
  return PerformOnce();
}

bool HttpRequestObject::Write(const char* data, uint32_t length) {
  if (state_ != State::kStreaming) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (length > total_ - written_) return Fail(ERROR_INVALID_PARAMETER);
  // A transfer that already failed (refused, reset) fails the write at once.
  if (transferDone_ && transferResult_ != CURLE_OK) return FailFromTransfer();
  if (ring_.empty()) ring_.resize(kSendCapacity);
  uint32_t done = 0;
  while (done < length) {
    if (!Drive([this] { return Unsent() < kSendCapacity; }, timeouts.sendMs)) return false;
    size_t take = std::min<size_t>(kSendCapacity - ringSize_, length - done);
    PutInRing(data + done, take);
    done += static_cast<uint32_t>(take);
    written_ += take;
    lastActivity_ = std::chrono::steady_clock::now();
  }
  if (Unsent() < kSendBatch) return true;
  // Let curl pass on what it can now, without waiting for the socket.
  Resume();
  return PerformOnce();
}

void HttpRequestObject::PutInRing(const char* data, size_t length) {
  size_t tail = (ringHead_ + ringSize_) % ring_.size();
  size_t first = std::min(length, ring_.size() - tail);
  std::memcpy(ring_.data() + tail, data, first);
  std::memcpy(ring_.data(), data + first, length - first);
  ringSize_ += length;
}

size_t HttpRequestObject::TakeFromRing(char* out, size_t length) {
  size_t n = std::min(length, ringSize_);
  size_t first = std::min(n, ring_.size() - ringHead_);
  std::memcpy(out, ring_.data() + ringHead_, first);
  std::memcpy(out + first, ring_.data(), n - first);
  ringHead_ = (ringHead_ + n) % ring_.size();
  ringSize_ -= n;
  return n;
}

bool HttpRequestObject::End() {
  if (state_ != State::kStreaming || written_ != total_) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  state_ = State::kWaitingForAnswer;
  Resume();
  if (!Drive([this] { return headersComplete_; }, timeouts.receiveMs)) return false;
  state_ = State::kAnswered;
  return true;
}

bool HttpRequestObject::Read(char* buffer, uint32_t length, uint32_t* read) {
  *read = 0;
  if (state_ != State::kAnswered) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (length == 0) return true;
  Resume();
  if (!Drive([this] { return received_.size() > receivedOffset_ || transferDone_; }, timeouts.receiveMs))
    return false;
  size_t available = received_.size() - receivedOffset_;
  if (available == 0) return transferResult_ == CURLE_OK ? true : FailFromTransfer();
  size_t n = std::min<size_t>(available, length);
  std::memcpy(buffer, received_.data() + receivedOffset_, n);
  receivedOffset_ += n;
  if (receivedOffset_ == received_.size()) {
    received_.clear();
    receivedOffset_ = 0;
  }
  *read = static_cast<uint32_t>(n);
  return true;
}

size_t HttpRequestObject::OnRead(char* out, size_t size, size_t count, void* self) {
  auto* request = static_cast<HttpRequestObject*>(self);
  size_t available = request->Unsent();
  if (available == 0) {
    if (request->written_ >= request->total_) return 0;
    request->sendPaused_ = true;
    return CURL_READFUNC_PAUSE;
  }
  size_t room = size * count;
  size_t n;
  if (request->wholeOffset_ < request->wholeBody_.size()) {
    n = std::min(room, request->wholeBody_.size() - request->wholeOffset_);
    std::memcpy(out, request->wholeBody_.data() + request->wholeOffset_, n);
    request->wholeOffset_ += n;
  } else {
    n = request->TakeFromRing(out, room);
  }
  request->lastActivity_ = std::chrono::steady_clock::now();
  return n;
}

size_t HttpRequestObject::OnWrite(char* in, size_t size, size_t count, void* self) {
  auto* request = static_cast<HttpRequestObject*>(self);
  if (request->received_.size() - request->receivedOffset_ >= kReceiveCapacity) {
    request->receivePaused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  if (request->receivedOffset_ > 0) {
    request->received_.erase(0, request->receivedOffset_);
    request->receivedOffset_ = 0;
  }
  request->received_.append(in, size * count);
  request->lastActivity_ = std::chrono::steady_clock::now();
  return size * count;
}

size_t HttpRequestObject::OnHeader(char* in, size_t size, size_t count, void* self) {
  auto* request = static_cast<HttpRequestObject*>(self);
  std::string line(in, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  request->OnHeaderLine(std::move(line));
  request->lastActivity_ = std::chrono::steady_clock::now();
  return size * count;
}

void HttpRequestObject::OnHeaderLine(std::string line) {
  if (line.rfind("HTTP/", 0) == 0) {
    // A new header block: an interim (1xx) answer or a retried request before it.
    responseHeaders_.clear();
    headersComplete_ = false;
    rawHeaders_ = line + "\r\n";
    size_t blank = line.find(' ');
    status_ = blank == std::string::npos ? 0 : std::atoi(line.c_str() + blank + 1);
    size_t reason = blank == std::string::npos ? std::string::npos : line.find(' ', blank + 1);
    statusText_ = reason == std::string::npos ? std::string() : line.substr(reason + 1);
    return;
  }
  // Trailers of a chunked body come after the final block; they are not headers.
  if (headersComplete_ || rawHeaders_.empty()) return;
  rawHeaders_ += line + "\r\n";
  if (line.empty()) {
    headersComplete_ = status_ >= 200 || status_ < 100;
    return;
  }
  if ((line[0] == ' ' || line[0] == '\t') && !responseHeaders_.empty()) {
    responseHeaders_.back().second += " " + Trim(line);
    return;
  }
  size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  responseHeaders_.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
}

bool HttpRequestObject::FindHeader(const std::string& name, uint32_t occurrence, std::string* value) const {
  for (const auto& [headerName, headerValue] : responseHeaders_) {
    if (!EqualsNoCase(headerName, name)) continue;
    if (occurrence-- == 0) {
      *value = headerValue;
      return true;
    }
  }
  return false;
}

bool HttpRequestObject::Query(uint32_t infoLevel, void* buffer, uint32_t* length, uint32_t* index) {
  if (state_ != State::kAnswered) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (length == nullptr || (buffer == nullptr && *length > 0)) return Fail(ERROR_INVALID_PARAMETER);
  uint32_t level = infoLevel & 0xFFFF;
  bool number = (infoLevel & HTTP_QUERY_FLAG_NUMBER) != 0;
  uint32_t occurrence = index != nullptr ? *index : 0;
  std::string value;
  bool isHeader = level == HTTP_QUERY_CUSTOM || level == HTTP_QUERY_CONTENT_LENGTH;
  if (level == HTTP_QUERY_STATUS_CODE)
    value = std::to_string(status_);
  else if (level == HTTP_QUERY_STATUS_TEXT)
    value = statusText_;
  else if (level == HTTP_QUERY_RAW_HEADERS_CRLF)
    value = rawHeaders_;
  else if (level == HTTP_QUERY_CONTENT_LENGTH && !FindHeader("Content-Length", occurrence, &value))
    return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  else if (level == HTTP_QUERY_CUSTOM) {
    std::string name(static_cast<const char*>(buffer), strnlen(static_cast<const char*>(buffer), *length));
    if (!FindHeader(name, occurrence, &value)) return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  } else if (!isHeader && level != HTTP_QUERY_STATUS_CODE && level != HTTP_QUERY_STATUS_TEXT &&
             level != HTTP_QUERY_RAW_HEADERS_CRLF)
    return Fail(ERROR_INVALID_PARAMETER);

  if (number) {
    if (*length < sizeof(uint32_t)) {
      *length = sizeof(uint32_t);
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || value[0] == '-' || parsed > 0xFFFFFFFFull)
      return Fail(ERROR_HTTP_INVALID_HEADER);
    uint32_t result = static_cast<uint32_t>(parsed);
    std::memcpy(buffer, &result, sizeof result);
    *length = sizeof result;
  } else {
    if (*length < value.size() + 1) {
      *length = static_cast<uint32_t>(value.size() + 1);
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    *length = static_cast<uint32_t>(value.size());
  }
  if (isHeader && index != nullptr) ++*index;
  return true;
}

}  // namespace platform::net
