// Internal: the objects behind the internet client's handles. A session owns a
// curl share (connection and name cache) that its requests use; connections
// and requests hold their parents alive, so closing in any order is safe.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "platform/net/Internet.h"

namespace platform::net {

// Time-outs in milliseconds, inherited from session to connection to request.
struct InternetTimeouts {
  uint32_t connectMs = 60000;
  uint32_t sendMs = 60000;
  uint32_t receiveMs = 60000;
};

}  // namespace platform::net

// The handle type is declared in the public header; its definition is the
// common base of the three kinds of object.
struct platform::net::InternetObject {
  enum class Kind { kSession, kConnection, kRequest };
  explicit InternetObject(Kind k) : kind(k) {}
  virtual ~InternetObject() = default;
  InternetObject(const InternetObject&) = delete;
  InternetObject& operator=(const InternetObject&) = delete;

  const Kind kind;
  InternetTimeouts timeouts;
};

namespace platform::net {

// A session: agent, how traffic leaves (direct or which proxy), the shared
// connection cache and the cancel flag of every request opened under it.
class InternetSession : public InternetObject {
 public:
  InternetSession();
  ~InternetSession() override;

  // The proxy ("host:port") for a request to host, or "" for a direct connection.
  std::string ProxyFor(const std::string& host, bool secure) const;
  // Registers a running transfer so that InternetCancel can wake it.
  void Watch(CURLM* multi);
  void Unwatch(CURLM* multi);
  // Sets the cancel flag and wakes every waiting transfer.
  void Cancel();
  bool Cancelled() const { return cancelled_.load(); }
  CURLSH* Share() const { return share_; }

  std::string agent;
  std::string httpProxy;
  std::string httpsProxy;
  std::string bypass;

 private:
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self);
  static void Unlock(CURL*, curl_lock_data data, void* self);

  CURLSH* share_ = nullptr;
  std::mutex shareLocks_[CURL_LOCK_DATA_LAST];
  std::atomic<bool> cancelled_{false};
  std::mutex watchLock_;
  std::set<CURLM*> watched_;
};

// A connection: the server and the accounts used by its requests.
class InternetConnection : public InternetObject {
 public:
  InternetConnection() : InternetObject(Kind::kConnection) {}

  std::shared_ptr<InternetSession> session;
  std::string server;
  uint16_t port = 0;
  std::string user;
  std::string password;
  std::string proxyUser;
  std::string proxyPassword;
};

}  // namespace platform::net
