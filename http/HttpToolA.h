// CHttpToolA: the narrow tool class of the HTTP client templates. It wraps the
// platform's internet calls, file calls, code-page checks and string helpers,
// and turns every platform failure into an httpclientexceptionA with the call's
// error code and the platform error number.
//
// Text model: strings in memory are UTF-8. The client's "ANSI" wire form is
// the product code page GBK; code page 0 (and 936) means GBK, the UTF-8 and
// UTF-7 code pages are never valid as the ANSI code page.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "http/HttpClientException.h"
#include "platform/net/Internet.h"

namespace Corvo {

inline constexpr uint32_t CP_ACP = 0;
inline constexpr uint32_t CP_GBK = 936;
inline constexpr uint32_t CP_UTF7 = 65000;
inline constexpr uint32_t CP_UTF8 = 65001;

class CHttpToolA {
 public:
  using HINTERNET = platform::net::HINTERNET;
  // An open file; nullptr is the invalid marker.
  using FileHandle = std::FILE*;
  static constexpr FileHandle kInvalidFile = nullptr;
  using CharType = char;

  // Fails with "<function>: CP_UTF8 and CP_UTF7 can not be used for the
  // CodePage parameter." for those two code pages.
  static void CheckAnsiCodePage(uint32_t codePage, const char* function);

  // Internet calls (codes 402-410, 400, 401).
  static HINTERNET OpenInternet(const char* userAgent, uint32_t accessType, const char* proxy,
                                const char* proxyBypass, uint32_t flags);
  static HINTERNET OpenConnection(HINTERNET internet, const char* serverAddr, uint16_t port, const char* user,
                                  const char* password);
  static HINTERNET OpenRequest(HINTERNET connection, const char* verb, const char* objectName, uint32_t flags,
                               const char* referrer);
  // Adds "name: value\r\n" (a missing value is empty) with the platform's add mode.
  static void AddHeader(HINTERNET request, const char* name, const char* value, uint32_t modifiers);
  static void SendRequest(HINTERNET request);
  static void SendRequestEx(HINTERNET request, uint32_t totalLength);
  // Writes every byte, repeating until the platform has taken them all.
  static void WriteToRequest(HINTERNET request, const void* data, uint32_t size);
  static void EndRequest(HINTERNET request);
  static uint32_t GetStatusCode(HINTERNET request);
  static std::string GetStatusText(HINTERNET request);
  // False when the answer has no Content-Length.
  static bool GetContentLength(HINTERNET request, uint32_t* length);
  // The index-th value of a header; false when there is no such occurrence.
  static bool GetHeader(HINTERNET request, const char* name, uint32_t index, std::string* value);
  static uint32_t ReadContent(HINTERNET request, void* buffer, uint32_t size);
  static void SetTextOption(HINTERNET handle, uint32_t option, const char* text);
  // Closes a handle that is set and clears it; never throws.
  static void CloseInternetHandle(HINTERNET& handle) noexcept;

  // File calls. OpenFile gives kInvalidFile on failure and leaves the error
  // number for LastError() (2 for a file that does not exist).
  static FileHandle OpenFile(const char* path);
  static uint32_t GetFileSize(FileHandle file, const char* path);
  // Reads up to size bytes; code 602 on a read error.
  static uint32_t ReadFromFile(FileHandle file, void* buffer, uint32_t size);
  static void SeekToBegin(FileHandle file);
  static void CloseFile(FileHandle& file) noexcept;
  // The MIME type of an open file, "application/octet-stream" when unknown.
  static std::string GetMimeType(FileHandle file, uint32_t codePage);

  // The platform error number of the last failed call on this thread.
  static uint32_t LastError();

  // Byte-wise case-insensitive comparison with ASCII case folding.
  static int CompareNoCase(const std::string& a, const std::string& b);
  // a + b, or code 112 when the sum does not fit.
  static uint32_t AddChecked(uint32_t a, uint32_t b);
};

}  // namespace Corvo
