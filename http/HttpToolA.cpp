#include "http/HttpToolA.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "http/MimeSniffer.h"
#include "platform/system/CodePage.h"

namespace Corvo {
namespace net = platform::net;

namespace {

[[noreturn]] void ThrowPlatform(uint32_t code) { ThrowHttpError(code, net::GetLastError()); }

void Require(bool ok, const char* message) {
  if (!ok) ThrowArgumentError(message);
}

// Text leaves the program in the code page: request lines and headers in GBK.
std::string Wire(const char* text) { return text != nullptr ? platform::Utf8ToGbk(text) : std::string(); }

uint32_t FileErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return net::ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return net::ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return net::ERROR_ACCESS_DENIED;
    case ENOMEM:
      return net::ERROR_NOT_ENOUGH_MEMORY;
    default:
      return net::ERROR_GEN_FAILURE;
  }
}

}  // namespace

void CHttpToolA::CheckAnsiCodePage(uint32_t codePage, const char* function) {
  if (codePage == CP_UTF8 || codePage == CP_UTF7)
    ThrowArgumentError(
        (std::string(function) + ": CP_UTF8 and CP_UTF7 can not be used for the CodePage parameter.")
            .c_str());
}

CHttpToolA::HINTERNET CHttpToolA::OpenInternet(const char* userAgent, uint32_t accessType, const char* proxy,
                                               const char* proxyBypass, uint32_t flags) {
  HINTERNET handle = net::InternetOpen(userAgent, accessType, proxy, proxyBypass, flags);
  if (handle == nullptr) ThrowPlatform(HttpError::kInternetOpen);
  return handle;
}

CHttpToolA::HINTERNET CHttpToolA::OpenConnection(HINTERNET internet, const char* serverAddr, uint16_t port,
                                                 const char* user, const char* password) {
  Require(internet != nullptr, "CHttpToolA::OpenConnection: hInternet can not be NULL.");
  Require(serverAddr != nullptr, "CHttpToolA::OpenConnection: szServerAddr can not be NULL.");
  Require(*serverAddr != '\0', "CHttpToolA::OpenConnection: szServerAddr can not be an empty string.");
  HINTERNET handle =
      net::InternetConnect(internet, serverAddr, port, user, password, net::INTERNET_SERVICE_HTTP, 0);
  if (handle == nullptr) ThrowPlatform(HttpError::kInternetConnect);
  return handle;
}

CHttpToolA::HINTERNET CHttpToolA::OpenRequest(HINTERNET connection, const char* verb, const char* objectName,
                                              uint32_t flags, const char* referrer) {
  Require(connection != nullptr, "CHttpToolA::OpenRequest: hConnection can not be NULL.");
  Require(objectName != nullptr, "CHttpToolA::OpenRequest: szObjectName can not be NULL.");
  Require(*objectName != '\0', "CHttpToolA::OpenRequest: szObjectName can not be an empty string.");
  static const char* const kAcceptTypes[] = {"*/*", nullptr};
  std::string object = Wire(objectName);
  HINTERNET handle =
      net::HttpOpenRequest(connection, verb, object.c_str(), "HTTP/1.1", referrer, kAcceptTypes, flags);
  if (handle == nullptr) ThrowPlatform(HttpError::kOpenRequest);
  return handle;
}

void CHttpToolA::AddHeader(HINTERNET request, const char* name, const char* value, uint32_t modifiers) {
  Require(request != nullptr, "CHttpToolA::AddHeader: hRequest can not be NULL.");
  Require(name != nullptr, "CHttpToolA::AddHeader: szName can not be NULL.");
  std::string line = Wire(name) + ": " + Wire(value) + "\r\n";
  if (!net::HttpAddRequestHeaders(request, line.data(), line.size(), modifiers))
    ThrowPlatform(HttpError::kAddRequestHeaders);
}

void CHttpToolA::SendRequest(HINTERNET request) {
  Require(request != nullptr, "CHttpToolA::SendRequest: hRequest can not be NULL.");
  if (!net::HttpSendRequest(request, nullptr, 0, nullptr, 0)) ThrowPlatform(HttpError::kSendRequest);
}

void CHttpToolA::SendRequestEx(HINTERNET request, uint32_t totalLength) {
  Require(request != nullptr, "CHttpToolA::SendRequestEx: hRequest can not be NULL.");
  if (!net::HttpSendRequestEx(request, totalLength)) ThrowPlatform(HttpError::kSendRequestEx);
}

void CHttpToolA::WriteToRequest(HINTERNET request, const void* data, uint32_t size) {
  Require(request != nullptr, "CHttpToolA::InternetWriteFile: hRequest can not be NULL.");
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    uint32_t written = 0;
    if (!net::InternetWriteFile(request, bytes, size, &written)) ThrowPlatform(HttpError::kInternetWriteFile);
    if (written > size) ThrowHttpError(HttpError::kUnexpected);
    bytes += written;
    size -= written;
  }
}

void CHttpToolA::EndRequest(HINTERNET request) {
  Require(request != nullptr, "CHttpToolA::EndRequest: hRequest can not be NULL.");
  if (!net::HttpEndRequest(request)) ThrowPlatform(HttpError::kEndRequest);
}

uint32_t CHttpToolA::GetStatusCode(HINTERNET request) {
  Require(request != nullptr, "CHttpToolA::GetStatusCode: hRequest can not be NULL.");
  uint32_t status = 0, length = sizeof status;
  if (!net::HttpQueryInfo(request, net::HTTP_QUERY_STATUS_CODE | net::HTTP_QUERY_FLAG_NUMBER, &status,
                          &length, nullptr))
    ThrowPlatform(HttpError::kQueryInfo);
  return status;
}

std::string CHttpToolA::GetStatusText(HINTERNET request) {
  Require(request != nullptr, "CHttpToolA::GetStatusText: hRequest can not be NULL.");
  std::string text(64, '\0');
  for (;;) {
    uint32_t length = static_cast<uint32_t>(text.size());
    if (net::HttpQueryInfo(request, net::HTTP_QUERY_STATUS_TEXT, text.data(), &length, nullptr)) {
      text.resize(length);
      return platform::GbkToUtf8(text);
    }
    if (net::GetLastError() != net::ERROR_INSUFFICIENT_BUFFER || length <= text.size())
      ThrowPlatform(HttpError::kQueryInfo);
    text.resize(length);
  }
}

bool CHttpToolA::GetContentLength(HINTERNET request, uint32_t* length) {
  uint32_t value = 0, size = sizeof value;
  if (!net::HttpQueryInfo(request, net::HTTP_QUERY_CONTENT_LENGTH | net::HTTP_QUERY_FLAG_NUMBER, &value,
                          &size, nullptr)) {
    if (net::GetLastError() == net::ERROR_HTTP_HEADER_NOT_FOUND) return false;
    ThrowPlatform(HttpError::kQueryInfo);
  }
  *length = value;
  return true;
}

bool CHttpToolA::GetHeader(HINTERNET request, const char* name, uint32_t index, std::string* value) {
  Require(request != nullptr, "CHttpToolA::GetHeader: hRequest can not be NULL.");
  Require(name != nullptr, "CHttpToolA::GetHeader: szName can not be NULL.");
  std::string wireName = Wire(name);
  // The first query uses a buffer of the name's length plus one; a longer
  // value is asked again with the size the platform reports.
  std::string buffer(wireName.size() + 1, '\0');
  for (;;) {
    std::memcpy(buffer.data(), wireName.c_str(), wireName.size() + 1);
    uint32_t length = static_cast<uint32_t>(buffer.size());
    uint32_t occurrence = index;
    if (net::HttpQueryInfo(request, net::HTTP_QUERY_CUSTOM, buffer.data(), &length, &occurrence)) {
      buffer.resize(length);
      *value = platform::GbkToUtf8(buffer);
      return true;
    }
    uint32_t error = net::GetLastError();
    if (error == net::ERROR_HTTP_HEADER_NOT_FOUND) return false;
    if (error != net::ERROR_INSUFFICIENT_BUFFER || length <= buffer.size())
      ThrowPlatform(HttpError::kQueryInfo);
    buffer.assign(std::max<size_t>(length, wireName.size() + 1), '\0');
  }
}

uint32_t CHttpToolA::ReadContent(HINTERNET request, void* buffer, uint32_t size) {
  uint32_t read = 0;
  if (!net::InternetReadFile(request, buffer, size, &read)) ThrowPlatform(HttpError::kReadFile);
  return read;
}

void CHttpToolA::SetTextOption(HINTERNET handle, uint32_t option, const char* text) {
  std::string value = Wire(text);
  if (!net::InternetSetOption(handle, option, value.c_str(), static_cast<uint32_t>(value.size() + 1)))
    ThrowPlatform(HttpError::kSetOption);
}

void CHttpToolA::CloseInternetHandle(HINTERNET& handle) noexcept {
  if (handle == nullptr) return;
  net::InternetCloseHandle(handle);
  handle = nullptr;
}

CHttpToolA::FileHandle CHttpToolA::OpenFile(const char* path) {
  Require(path != nullptr, "CHttpToolA::OpenFile: szFilePath can not be NULL.");
  // Only an existing regular file opens; a folder would "open" for reading
  // on this platform and then fail at the first read.
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    net::SetLastError(net::ERROR_ACCESS_DENIED);
    return kInvalidFile;
  }
  errno = 0;
  FileHandle file = std::fopen(path, "rb");
  if (file == nullptr) {
    net::SetLastError(FileErrorFromErrno(errno));
    return kInvalidFile;
  }
  net::SetLastError(net::ERROR_SUCCESS);
  return file;
}

uint32_t CHttpToolA::GetFileSize(FileHandle file, const char* path) {
  long size = -1;
  long here = file != nullptr ? std::ftell(file) : -1;
  if (here >= 0 && std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size < 0 || std::fseek(file, here, SEEK_SET) != 0) {
    net::SetLastError(FileErrorFromErrno(errno));
    ThrowHttpError(HttpError::kFileSize, net::GetLastError(), path, true);
  }
  // Sizes are 32-bit: a larger file cannot be sent and is refused.
  if (static_cast<unsigned long>(size) > 0xFFFFFFFFul) {
    net::SetLastError(net::ERROR_INVALID_PARAMETER);
    ThrowHttpError(HttpError::kFileSize, net::ERROR_INVALID_PARAMETER, path, true);
  }
  return static_cast<uint32_t>(size);
}

uint32_t CHttpToolA::ReadFromFile(FileHandle file, void* buffer, uint32_t size) {
  size_t read = std::fread(buffer, 1, size, file);
  if (read < size && std::ferror(file)) {
    net::SetLastError(net::ERROR_READ_FAULT);
    ThrowHttpError(HttpError::kFileRead, net::ERROR_READ_FAULT);
  }
  return static_cast<uint32_t>(read);
}

void CHttpToolA::SeekToBegin(FileHandle file) {
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    net::SetLastError(FileErrorFromErrno(errno));
    ThrowHttpError(HttpError::kFileSeek, net::GetLastError());
  }
}

void CHttpToolA::CloseFile(FileHandle& file) noexcept {
  if (file == kInvalidFile) return;
  std::fclose(file);
  file = kInvalidFile;
}

std::string CHttpToolA::GetMimeType(FileHandle file, uint32_t codePage) {
  CheckAnsiCodePage(codePage, "CHttpToolA::GetMimeType");
  if (file == kInvalidFile) return "application/octet-stream";
  unsigned char head[256];
  uint32_t read = ReadFromFile(file, head, sizeof head);
  SeekToBegin(file);
  std::string mime = SniffMimeType(head, read);
  return mime.empty() ? "application/octet-stream" : mime;
}

uint32_t CHttpToolA::LastError() { return net::GetLastError(); }

int CHttpToolA::CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

uint32_t CHttpToolA::AddChecked(uint32_t a, uint32_t b) {
  if (a > 0xFFFFFFFFu - b) ThrowHttpError(HttpError::kOverflow);
  return a + b;
}

}  // namespace Corvo
