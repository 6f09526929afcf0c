// Internal: one HTTP request of the internet client, carried by one curl easy
// transfer that the calling thread drives through a multi handle of its own.
// The body written in steps passes through a bounded buffer (the read callback
// pauses the upload while it is empty), and the answer's body is held in a
// bounded buffer too (the write callback pauses the download while it is full),
// so neither a large upload nor a large answer is ever held in memory whole.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "platform/net/InternetObjects.h"

namespace platform::net {

class HttpRequestObject : public InternetObject {
 public:
  HttpRequestObject() : InternetObject(Kind::kRequest) {}
  ~HttpRequestObject() override;

  // Fills in what HttpOpenRequest was given.
  void Open(std::shared_ptr<InternetConnection> connection, std::string verb, std::string object, bool http10,
            std::string referrer, std::string accept, uint32_t flags);
  // Adds header lines with add / add-if-new / replace semantics.
  bool AddHeaders(const std::string& text, uint32_t modifiers);
  // Sends with a whole body and waits for the answer's headers.
  bool Send(const void* body, size_t length);
  // Starts a body of total bytes that Write then delivers.
  bool SendEx(uint64_t total);
  bool Write(const char* data, uint32_t length);
  bool End();
  // The answer's headers, once they are complete.
  bool Query(uint32_t infoLevel, void* buffer, uint32_t* length, uint32_t* index);
  bool Read(char* buffer, uint32_t length, uint32_t* read);
  // Proxy account (options of a request).
  std::string proxyUser;
  std::string proxyPassword;

 private:
  enum class State { kOpen, kStreaming, kWaitingForAnswer, kAnswered };
  // The body buffer of Write, and how much it collects before curl is woken:
  // handing curl large pieces keeps pausing and resuming rare.
  static constexpr size_t kSendCapacity = 1024 * 1024;
  static constexpr size_t kSendBatch = 64 * 1024;
  static constexpr size_t kReceiveCapacity = 256 * 1024;

  bool Start(uint64_t total);
  bool Configure(uint64_t total);
  bool BuildHeaderList();
  // Runs the transfer until done() holds; false on failure, with the error set.
  template <typename Done>
  bool Drive(Done done, uint32_t inactivityMs);
  bool PerformOnce();
  void Resume();
  bool Fail(uint32_t error);
  bool FailFromTransfer();
  bool FindHeader(const std::string& name, uint32_t occurrence, std::string* value) const;
  size_t Unsent() const { return wholeBody_.size() - wholeOffset_ + ringSize_; }
  void PutInRing(const char* data, size_t length);
  size_t TakeFromRing(char* out, size_t length);

  static size_t OnRead(char* out, size_t size, size_t count, void* self);
  static size_t OnWrite(char* in, size_t size, size_t count, void* self);
  static size_t OnHeader(char* in, size_t size, size_t count, void* self);
  void OnHeaderLine(std::string line);

  std::shared_ptr<InternetConnection> connection_;
  std::string verb_;
  std::string object_;
  bool http10_ = false;
  std::string referrer_;
  std::string accept_;
  uint32_t flags_ = 0;
  std::vector<std::pair<std::string, std::string>> headers_;

  CURL* easy_ = nullptr;
  CURLM* multi_ = nullptr;
  curl_slist* headerList_ = nullptr;
  State state_ = State::kOpen;
  bool transferDone_ = false;
  CURLcode transferResult_ = CURLE_OK;
  bool sendPaused_ = false;
  bool receivePaused_ = false;
  std::chrono::steady_clock::time_point lastActivity_;

  // Body bytes taken from the caller and not yet handed to curl: the whole
  // body given to Send, or a ring buffer fed by Write.
  std::string wholeBody_;
  size_t wholeOffset_ = 0;
  std::vector<char> ring_;
  size_t ringHead_ = 0;
  size_t ringSize_ = 0;
  uint64_t total_ = 0;
  uint64_t written_ = 0;

  // The answer: the header block being received and the final one.
  int status_ = 0;
  std::string statusText_;
  std::string rawHeaders_;
  std::vector<std::pair<std::string, std::string>> responseHeaders_;
  bool headersComplete_ = false;
  std::string received_;
  size_t receivedOffset_ = 0;
};

}  // namespace platform::net
