// The simple HTTP request task: one GET or POST run on a short-lived worker
// thread, the whole answer read into memory, and message 0x1401 posted to the
// window that started it. Run can also be called directly for a synchronous
// request.
//
// The owner leaves the task alone between Start and the completion message,
// then reads the result and body and calls Stop before the next Start.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

#include "common/request/HttpResponseHeaders.h"
#include "platform/net/Internet.h"
#include "platform/window/WindowTypes.h"

namespace common {

class CHttpRequestTask {
 public:
  // Posted to the notify window: wParam the URL text, lParam the task.
  static constexpr UINT kCompletionMessage = 0x1401;
  // Result values.
  static constexpr int kResultNone = 0;
  static constexpr int kResultOk = 1;
  static constexpr int kResultNotModified = 2;
  // Body size read when the answer announces no length.
  static constexpr size_t kDefaultBodyLimit = 1024000;
  // Raw header text accepted at most.
  static constexpr uint32_t kMaxRawHeaders = 102400;
  // NOTE: an announced length above this is refused rather than believed, so a
  // hostile answer cannot make the task reserve gigabytes.
  static constexpr size_t kMaxAnnouncedBody = 64u << 20;
  static constexpr const char* kUserAgent = "Microsoft Internet Explorer 6.0";

  CHttpRequestTask() = default;
  // Stops a running worker and frees the answer and the POST data.
  ~CHttpRequestTask();
  CHttpRequestTask(const CHttpRequestTask&) = delete;
  CHttpRequestTask& operator=(const CHttpRequestTask&) = delete;

  // True: the system's proxy settings; false: a direct connection.
  void SetUseProxy(bool useProxy) { useProxy_ = useProxy; }
  // The POST data (copied; owned by the task).
  void SetPostData(const void* data, size_t length);

  // Starts the worker for url (a null url leaves the task's URL empty).
  // 0 when started, -1 when the task is busy or no thread can be made.
  int Start(const char* url, HWND notifyWindow);
  // Ends the worker: waits up to 1,500 ms, then cancels its transfer and
  // waits for it to return (a thread is never killed). Nothing on an idle task.
  void Stop();
  // True when no worker thread is held.
  bool IsIdle() const { return !worker_.joinable(); }

  // Performs the request (storing url when given): 0 when an answer arrived,
  // whatever its status, -1 on any failure.
  int Run(const char* url = nullptr);
  // Makes a running Run fail soon with a cancelled transfer; safe from any
  // thread. It stays in force until the next Start or Stop.
  void Cancel();

  int GetResult() const { return result_; }
  // The body, NUL-terminated after the received bytes (never null).
  const char* GetBody() const { return body_.c_str(); }
  size_t GetBodyLength() const { return body_.size(); }
  const std::string& GetRawHeaders() const { return headers_.Raw(); }
  const CHttpResponseHeaders& GetHeaders() const { return headers_; }
  const std::string& GetUrl() const { return url_; }

  // Fields set directly by the owner before Start or Run.
  bool m_bPost = false;
  // Extra request header lines, CR LF separated.
  std::string m_strHeaders;

 private:
  struct Target {
    std::string host;
    uint16_t port = 80;
    std::string path;
  };
  static bool SplitUrl(const std::string& url, Target* target);
  int Perform(const Target& target);
  bool ReadBody(platform::net::HINTERNET request);
  void WorkerMain(HWND notifyWindow);

  std::string url_;
  bool useProxy_ = false;
  std::string postData_;
  int result_ = kResultNone;
  CHttpResponseHeaders headers_;
  std::string body_;
  std::thread worker_;

  // The session of a running Run, so that Cancel can reach it.
  std::mutex cancelLock_;
  platform::net::HINTERNET session_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace common
