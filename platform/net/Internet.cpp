#include "platform/net/Internet.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/net/HttpRequestObject.h"
#include "platform/net/InternetObjects.h"
#include "platform/net/SystemProxy.h"

namespace platform::net {
namespace {

thread_local uint32_t t_lastError = 0;

// Every open handle, so that a closed or foreign handle is refused rather than used.
struct HandleTable {
  std::mutex lock;
  std::unordered_map<InternetObject*, std::shared_ptr<InternetObject>> objects;
};

HandleTable& Handles() {
  static HandleTable* table = new HandleTable();  // NOTE: never destroyed, handles may outlive main().
  return *table;
}

HINTERNET Register(std::shared_ptr<InternetObject> object) {
  HandleTable& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  InternetObject* handle = object.get();
  table.objects.emplace(handle, std::move(object));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

template <typename T>
std::shared_ptr<T> Lookup(HINTERNET handle, InternetObject::Kind kind) {
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HandleTable& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.objects.find(handle);
  if (found == table.objects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (found->second->kind != kind) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return std::static_pointer_cast<T>(found->second);
}

std::shared_ptr<HttpRequestObject> LookupRequest(HINTERNET handle) {
  return Lookup<HttpRequestObject>(handle, InternetObject::Kind::kRequest);
}

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Applies the access type of a new session: which proxy each scheme uses.
void ChooseProxies(InternetSession* session, uint32_t accessType, const std::string& proxy,
                   const std::string& bypass) {
  if (accessType == INTERNET_OPEN_TYPE_PROXY) {
    session->httpProxy = ProxyForScheme(proxy, "http");
    session->httpsProxy = ProxyForScheme(proxy, "https");
    session->bypass = bypass;
    return;
  }
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG) return;
  // Only a manual proxy server counts; automatic configuration goes direct.
  ProxyConfiguration config;
  if (!QueryProxyConfiguration(&config) || !(config.flags & PROXY_TYPE_PROXY)) return;
  session->httpProxy = config.httpProxy;
  session->httpsProxy = config.httpsProxy;
  session->bypass = config.proxyBypass;
}

}  // namespace

uint32_t GetLastError() { return t_lastError; }

void SetLastError(uint32_t error) { t_lastError = error; }

InternetSession::InternetSession() : InternetObject(Kind::kSession) {
  share_ = curl_share_init();
  if (share_ == nullptr) return;
  curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &InternetSession::Lock);
  curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &InternetSession::Unlock);
  curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
  curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
  curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
}

InternetSession::~InternetSession() {
  if (share_ != nullptr) curl_share_cleanup(share_);
}

void InternetSession::Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
  static_cast<InternetSession*>(self)->shareLocks_[data].lock();
}

void InternetSession::Unlock(CURL*, curl_lock_data data, void* self) {
  static_cast<InternetSession*>(self)->shareLocks_[data].unlock();
}

std::string InternetSession::ProxyFor(const std::string& host, bool secure) const {
  const std::string& proxy = secure ? httpsProxy : httpProxy;
  if (proxy.empty() || HostBypassesProxy(host, bypass)) return std::string();
  return proxy;
}

void InternetSession::Watch(CURLM* multi) {
  std::lock_guard<std::mutex> guard(watchLock_);
  watched_.insert(multi);
}

void InternetSession::Unwatch(CURLM* multi) {
  std::lock_guard<std::mutex> guard(watchLock_);
  watched_.erase(multi);
}

void InternetSession::Cancel() {
  cancelled_.store(true);
  std::lock_guard<std::mutex> guard(watchLock_);
  for (CURLM* multi : watched_) curl_multi_wakeup(multi);
}

HINTERNET InternetOpen(const char* agent, uint32_t accessType, const char* proxy, const char* bypass,
                       uint32_t flags) {
  static std::once_flag curlReady;
  std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  (void)flags;  // No offline or asynchronous mode: every call completes before it returns.
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT &&
      accessType != INTERNET_OPEN_TYPE_PROXY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto session = std::make_shared<InternetSession>();
  if (session->Share() == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  session->agent = Text(agent);
  ChooseProxies(session.get(), accessType, Text(proxy), Text(bypass));
  return Register(std::move(session));
}

HINTERNET InternetConnect(HINTERNET sessionHandle, const char* server, uint16_t port, const char* user,
                          const char* password, uint32_t service, uint32_t flags) {
  (void)flags;
  auto session = Lookup<InternetSession>(sessionHandle, InternetObject::Kind::kSession);
  if (session == nullptr) return nullptr;
  if (server == nullptr || *server == '\0' || service != INTERNET_SERVICE_HTTP ||
      std::strpbrk(server, "/?#@ \t\r\n") != nullptr) {
    SetLastError(server == nullptr || *server == '\0' ? ERROR_INVALID_PARAMETER : ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }
  auto connection = std::make_shared<InternetConnection>();
  connection->session = session;
  connection->timeouts = session->timeouts;
  connection->server = server;
  connection->port = port != 0 ? port : INTERNET_DEFAULT_HTTP_PORT;
  connection->user = Text(user);
  connection->password = Text(password);
  return Register(std::move(connection));
}

HINTERNET HttpOpenRequest(HINTERNET connectionHandle, const char* verb, const char* objectName,
                          const char* version, const char* referrer, const char* const* acceptTypes,
                          uint32_t flags) {
  auto connection = Lookup<InternetConnection>(connectionHandle, InternetObject::Kind::kConnection);
  if (connection == nullptr) return nullptr;
  std::string verbText = verb != nullptr && *verb != '\0' ? verb : "GET";
  std::string versionText = version != nullptr && *version != '\0' ? version : "HTTP/1.1";
  if (verbText.find_first_of(" \t\r\n") != std::string::npos ||
      (versionText != "HTTP/1.1" && versionText != "HTTP/1.0")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string object = objectName != nullptr && *objectName != '\0' ? objectName : "/";
  std::string accept;
  for (const char* const* type = acceptTypes; type != nullptr && *type != nullptr; ++type)
    accept += (accept.empty() ? "" : ", ") + std::string(*type);
  auto request = std::make_shared<HttpRequestObject>();
  request->Open(connection, verbText, object, versionText == "HTTP/1.0", Text(referrer), accept, flags);
  return Register(std::move(request));
}

bool HttpAddRequestHeaders(HINTERNET handle, const char* headers, size_t length, uint32_t modifiers) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  if (headers == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (length == static_cast<size_t>(-1)) length = std::strlen(headers);
  SetLastError(ERROR_SUCCESS);
  return request->AddHeaders(std::string(headers, length), modifiers);
}

bool HttpSendRequest(HINTERNET handle, const char* headers, size_t headersLength, const void* body,
                     size_t bodyLength) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  if (headers != nullptr && headersLength != 0 &&
      !HttpAddRequestHeaders(handle, headers, headersLength, HTTP_ADDREQ_FLAG_ADD))
    return false;
  if (body == nullptr && bodyLength != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return request->Send(body, bodyLength);
}

bool HttpSendRequestEx(HINTERNET handle, uint64_t totalLength) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  SetLastError(ERROR_SUCCESS);
  return request->SendEx(totalLength);
}

bool InternetWriteFile(HINTERNET handle, const void* buffer, uint32_t length, uint32_t* written) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  if (written == nullptr || (buffer == nullptr && length != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  *written = 0;
  SetLastError(ERROR_SUCCESS);
  if (!request->Write(static_cast<const char*>(buffer), length)) return false;
  *written = length;
  return true;
}

bool HttpEndRequest(HINTERNET handle) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  SetLastError(ERROR_SUCCESS);
  return request->End();
}

bool HttpQueryInfo(HINTERNET handle, uint32_t infoLevel, void* buffer, uint32_t* length, uint32_t* index) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  SetLastError(ERROR_SUCCESS);
  return request->Query(infoLevel, buffer, length, index);
}

bool InternetReadFile(HINTERNET handle, void* buffer, uint32_t length, uint32_t* read) {
  auto request = LookupRequest(handle);
  if (request == nullptr) return false;
  if (read == nullptr || (buffer == nullptr && length != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  SetLastError(ERROR_SUCCESS);
  return request->Read(static_cast<char*>(buffer), length, read);
}

bool InternetSetOption(HINTERNET handle, uint32_t option, const void* buffer, uint32_t length) {
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  std::shared_ptr<InternetObject> object;
  {
    HandleTable& table = Handles();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.objects.find(handle);
    if (found != table.objects.end()) object = found->second;
  }
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (option == INTERNET_OPTION_CONNECT_TIMEOUT || option == INTERNET_OPTION_SEND_TIMEOUT ||
      option == INTERNET_OPTION_RECEIVE_TIMEOUT) {
    uint32_t ms = 0;
    if (length < sizeof ms) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    std::memcpy(&ms, buffer, sizeof ms);
    uint32_t& slot = option == INTERNET_OPTION_CONNECT_TIMEOUT ? object->timeouts.connectMs
                     : option == INTERNET_OPTION_SEND_TIMEOUT  ? object->timeouts.sendMs
                                                               : object->timeouts.receiveMs;
    slot = ms;
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  if (option == INTERNET_OPTION_PROXY_USERNAME || option == INTERNET_OPTION_PROXY_PASSWORD) {
    const char* text = static_cast<const char*>(buffer);
    std::string value(text, strnlen(text, length));
    bool user = option == INTERNET_OPTION_PROXY_USERNAME;
    if (object->kind == InternetObject::Kind::kConnection) {
      auto* connection = static_cast<InternetConnection*>(object.get());
      (user ? connection->proxyUser : connection->proxyPassword) = value;
    } else if (object->kind == InternetObject::Kind::kRequest) {
      auto* request = static_cast<HttpRequestObject*>(object.get());
      (user ? request->proxyUser : request->proxyPassword) = value;
    } else {
      SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
      return false;
    }
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

bool InternetCancel(HINTERNET handle) {
  auto session = Lookup<InternetSession>(handle, InternetObject::Kind::kSession);
  if (session == nullptr) return false;
  session->Cancel();
  return true;
}

bool InternetCloseHandle(HINTERNET handle) {
  std::shared_ptr<InternetObject> object;
  {
    HandleTable& table = Handles();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.objects.find(handle);
    if (found == table.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    object = std::move(found->second);
    table.objects.erase(found);
  }
  // The object goes away here, outside the table's lock (a request's transfer
  // is torn down in its destructor).
  object.reset();
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace platform::net
