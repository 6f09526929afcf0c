// A small HTTP/1.1 server for tests, on plain sockets bound to 127.0.0.1 on a
// free port. It records every request byte for byte and answers as the test
// tells it: any status and headers, a body with Content-Length, chunked or
// closed by the end of the connection, after a delay, or a connection dropped
// half-way through the answer. Connections stay open between requests unless
// the answer or the client says otherwise.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testserver {

// One request as it arrived.
struct RecordedRequest {
  // Every byte received for this request: request line, headers and body (the
  // body only up to the recording limit).
  std::string raw;
  std::string method;
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  // Body bytes received (also those beyond the recording limit).
  uint64_t bodyBytes = 0;
  // False when the connection ended before the announced body was complete.
  bool complete = false;
  // Which accepted connection carried it (1 for the first).
  int connection = 0;

  // The first value of a header (case-insensitive name), "" when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
};

// How to answer one request.
struct Reply {
  int status = 200;
  std::string reason = "OK";
  // Sent in this order, before the framing headers the server adds.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  // Body framing: Content-Length (default), chunked, or none and close.
  enum class Framing { kContentLength, kChunked, kClose } framing = Framing::kContentLength;
  // Waits this long before sending anything.
  std::chrono::milliseconds delay{0};
  // When >= 0, the connection is cut after this many bytes of the answer.
  int64_t dropAfter = -1;
  // Closes the connection after the answer.
  bool close = false;
};

class HttpTestServer {
 public:
  using Handler = std::function<Reply(const RecordedRequest&)>;

  HttpTestServer();
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path = "/") const;
  // Answers every request with reply (the default is 200 with body "OK").
  void SetReply(const Reply& reply);
  // Answers each request with what handler says (runs on the server's threads).
  void SetHandler(Handler handler);
  // Body bytes beyond this many are counted but not kept (default 16 MB).
  void SetBodyRecordLimit(uint64_t limit);

  // The requests received so far (complete and incomplete ones).
  std::vector<RecordedRequest> Requests() const;
  // Waits until count requests have been recorded; false after the time-out.
  bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;
  // Connections accepted so far.
  int ConnectionCount() const;

 private:
  void AcceptLoop();
  void Serve(int socket, int connection);
  bool ReadRequest(int socket, int connection, std::string* carry, RecordedRequest* request);
  bool SendReply(int socket, const RecordedRequest& request, const Reply& reply);
  void Record(RecordedRequest request);
  Reply Answer(const RecordedRequest& request);

  int listener_ = -1;
  uint16_t port_ = 0;
  bool stopping_ = false;
  std::thread acceptThread_;
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::vector<std::thread> connections_;
  std::vector<int> sockets_;
  std::vector<RecordedRequest> requests_;
  Handler handler_;
  uint64_t recordLimit_ = 16u << 20;
  int connectionCount_ = 0;
};

}  // namespace testserver
