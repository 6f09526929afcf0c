#include "tools/http-testserver/HttpTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testserver {
namespace {

bool EqualsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return tolower(x) == tolower(y); });
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

bool SendAll(int socket, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = send(socket, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Reads what is there; 0 at the end of the connection, -1 on an error.
ssize_t Receive(int socket, char* buffer, size_t size) {
  for (;;) {
    ssize_t n = recv(socket, buffer, size, 0);
    if (n >= 0 || errno != EINTR) return n;
  }
}

void ParseHead(const std::string& head, RecordedRequest* request) {
  size_t lineEnd = head.find("\r\n");
  std::string line = head.substr(0, lineEnd);
  size_t a = line.find(' ');
  size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
  request->method = line.substr(0, a);
  if (b != std::string::npos) {
    request->target = line.substr(a + 1, b - a - 1);
    request->version = line.substr(b + 1);
  }
  size_t pos = lineEnd + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos || end == pos) break;
    std::string header = head.substr(pos, end - pos);
    size_t colon = header.find(':');
    if (colon != std::string::npos)
      request->headers.emplace_back(Trim(header.substr(0, colon)), Trim(header.substr(colon + 1)));
    pos = end + 2;
  }
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers)
    if (EqualsNoCase(key, name)) return value;
  return std::string();
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& h) { return EqualsNoCase(h.first, name); });
}

HttpTestServer::HttpTestServer() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) throw std::runtime_error("HttpTestServer: socket failed");
  int yes = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener_);
    throw std::runtime_error("HttpTestServer: cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
    for (int s : sockets_) shutdown(s, SHUT_RDWR);
  }
  acceptThread_.join();
  for (std::thread& t : connections_) t.join();
  close(listener_);
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::SetReply(const Reply& reply) {
  SetHandler([reply](const RecordedRequest&) { return reply; });
}

void HttpTestServer::SetHandler(Handler handler) {
  std::lock_guard<std::mutex> guard(lock_);
  handler_ = std::move(handler);
}

void HttpTestServer::SetBodyRecordLimit(uint64_t limit) {
  std::lock_guard<std::mutex> guard(lock_);
  recordLimit_ = limit;
}

std::vector<RecordedRequest> HttpTestServer::Requests() const {
  std::lock_guard<std::mutex> guard(lock_);
  return requests_;
}

bool HttpTestServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> guard(lock_);
  return changed_.wait_for(guard, timeout, [&] { return requests_.size() >= count; });
}

int HttpTestServer::ConnectionCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return connectionCount_;
}

void HttpTestServer::AcceptLoop() {
  for (;;) {
    pollfd waiting{listener_, POLLIN, 0};
    int ready = poll(&waiting, 1, 50);
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) return;
    if (ready <= 0) continue;
    int s = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (s < 0) continue;
    int yes = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    sockets_.push_back(s);
    int connection = ++connectionCount_;
    connections_.emplace_back([this, s, connection] { Serve(s, connection); });
  }
}

void HttpTestServer::Serve(int socket, int connection) {
  std::string carry;
  for (;;) {
    RecordedRequest request;
    if (!ReadRequest(socket, connection, &carry, &request)) break;
    Reply reply = Answer(request);
    bool clientCloses = EqualsNoCase(request.Header("Connection"), "close") || request.version == "HTTP/1.0";
    Record(request);
    if (!SendReply(socket, request, reply) || reply.close || clientCloses ||
        reply.framing == Reply::Framing::kClose)
      break;
  }
  shutdown(socket, SHUT_RDWR);
  std::lock_guard<std::mutex> guard(lock_);
  // The descriptor is closed here, under the lock, so that the destructor
  // never shuts down a number that has been reused.
  sockets_.erase(std::find(sockets_.begin(), sockets_.end(), socket));
  close(socket);
}

bool HttpTestServer::ReadRequest(int socket, int connection, std::string* carry, RecordedRequest* request) {
  request->connection = connection;
  std::string& data = *carry;
  char buffer[256 * 1024];
  size_t headEnd;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    ssize_t n = Receive(socket, buffer, sizeof buffer);
    if (n <= 0) {
      if (!data.empty()) {
        request->raw = data;
        Record(*request);
      }
      return false;
    }
    data.append(buffer, static_cast<size_t>(n));
  }
  std::string head = data.substr(0, headEnd + 4);
  data.erase(0, headEnd + 4);
  ParseHead(head, request);
  request->raw = head;
  uint64_t expected = std::strtoull(request->Header("Content-Length").c_str(), nullptr, 10);
  uint64_t limit;
  {
    std::lock_guard<std::mutex> guard(lock_);
    limit = recordLimit_;
  }
  auto take = [&](const char* bytes, size_t n) {
    request->bodyBytes += n;
    size_t keep = request->body.size() < limit ? std::min<uint64_t>(n, limit - request->body.size()) : 0;
    request->body.append(bytes, keep);
    request->raw.append(bytes, keep);
  };
  size_t first = static_cast<size_t>(std::min<uint64_t>(expected, data.size()));
  take(data.data(), first);
  data.erase(0, first);
  while (request->bodyBytes < expected) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, expected - request->bodyBytes));
    ssize_t n = Receive(socket, buffer, want);
    if (n <= 0) {
      Record(*request);
      return false;
    }
    take(buffer, static_cast<size_t>(n));
  }
  request->complete = true;
  return true;
}

Reply HttpTestServer::Answer(const RecordedRequest& request) {
  Handler handler;
  {
    std::lock_guard<std::mutex> guard(lock_);
    handler = handler_;
  }
  if (handler) return handler(request);
  Reply reply;
  reply.body = "OK";
  return reply;
}

void HttpTestServer::Record(RecordedRequest request) {
  std::lock_guard<std::mutex> guard(lock_);
  requests_.push_back(std::move(request));
  changed_.notify_all();
}

bool HttpTestServer::SendReply(int socket, const RecordedRequest& request, const Reply& reply) {
  // The delay is part of the answer being simulated; it ends early when the
  // server stops.
  auto until = std::chrono::steady_clock::now() + reply.delay;
  while (std::chrono::steady_clock::now() < until) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (stopping_) return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
  for (const auto& [name, value] : reply.headers) out += name + ": " + value + "\r\n";
  bool noBody = request.method == "HEAD" || reply.status == 304 || reply.status == 204;
  if (reply.framing == Reply::Framing::kContentLength && !noBody)
    out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  if (reply.framing == Reply::Framing::kChunked && !noBody) out += "Transfer-Encoding: chunked\r\n";
  if (reply.close || reply.framing == Reply::Framing::kClose) out += "Connection: close\r\n";
  out += "\r\n";
  if (!noBody && reply.framing == Reply::Framing::kChunked) {
    // Chunks of at most 1000 bytes, so that a body arrives in several pieces.
    char size[32];
    for (size_t pos = 0; pos < reply.body.size(); pos += 1000) {
      size_t n = std::min<size_t>(1000, reply.body.size() - pos);
      snprintf(size, sizeof size, "%zx\r\n", n);
      out += size + reply.body.substr(pos, n) + "\r\n";
    }
    out += "0\r\n\r\n";
  } else if (!noBody) {
    out += reply.body;
  }
  if (reply.dropAfter >= 0 && static_cast<uint64_t>(reply.dropAfter) < out.size()) {
    SendAll(socket, out.data(), static_cast<size_t>(reply.dropAfter));
    return false;
  }
  return SendAll(socket, out.data(), out.size());
}

}  // namespace testserver
