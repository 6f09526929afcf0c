// The single failure channel of the HTTP client: every failure is thrown as an
// httpclientexceptionA carrying a fixed error code, the platform's error number
// at the failure (0 when no platform call failed) and a message.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace Corvo {

// Error codes. Codes 0 (argument checks) and 100-114 are the library's own,
// 400-410 failed internet calls, 600-606 failed conversions and file calls,
// 1000 and above are left to users of the library.
namespace HttpError {
inline constexpr uint32_t kNotSpecified = 0;
inline constexpr uint32_t kUnexpected = 100;
inline constexpr uint32_t kOutOfRange = 101;
inline constexpr uint32_t kOutOfMemory = 102;
inline constexpr uint32_t kInvalidUrl = 103;
inline constexpr uint32_t kPostNotStarted = 104;
inline constexpr uint32_t kReadUnexpectedSize = 105;
inline constexpr uint32_t kPostNotFinished = 106;
inline constexpr uint32_t kInvalidPort = 107;
inline constexpr uint32_t kStdException = 108;
inline constexpr uint32_t kInvalidEncodedUrl = 109;
inline constexpr uint32_t kInvalidUtf8 = 110;
inline constexpr uint32_t kArithmetic = 111;
inline constexpr uint32_t kOverflow = 112;
inline constexpr uint32_t kDivideByZero = 113;
inline constexpr uint32_t kFileExists = 114;
inline constexpr uint32_t kQueryInfo = 400;
inline constexpr uint32_t kReadFile = 401;
inline constexpr uint32_t kInternetOpen = 402;
inline constexpr uint32_t kInternetConnect = 403;
inline constexpr uint32_t kOpenRequest = 404;
inline constexpr uint32_t kAddRequestHeaders = 405;
inline constexpr uint32_t kSendRequest = 406;
inline constexpr uint32_t kSendRequestEx = 407;
inline constexpr uint32_t kInternetWriteFile = 408;
inline constexpr uint32_t kEndRequest = 409;
inline constexpr uint32_t kSetOption = 410;
inline constexpr uint32_t kWideCharToMultiByte = 600;
inline constexpr uint32_t kMultiByteToWideChar = 601;
inline constexpr uint32_t kFileRead = 602;
inline constexpr uint32_t kFileOpen = 603;
inline constexpr uint32_t kFileSeek = 604;
inline constexpr uint32_t kFileSize = 605;
inline constexpr uint32_t kFileWrite = 606;
inline constexpr uint32_t kUserDefined = 1000;
}  // namespace HttpError

// The fixed message of an error code ("" for the reserved bands 200-399).
const char* ErrorMessageOf(uint32_t code);

// An exception holding a copy of a narrow message (or none).
class errmsg_exceptionA : public std::exception {
 public:
  explicit errmsg_exceptionA(const char* message = nullptr);
  ~errmsg_exceptionA() override = default;
  // The message, or "NULL" when there is none.
  const char* what() const noexcept override;
  // The message, or "NULL" when there is none.
  virtual const char* GetErrorMessage() const noexcept;
  // Replaces the message with a copy of text (none clears it).
  virtual void SetErrorMessage(const char* text);

 private:
  std::optional<std::string> message_;
};

// The HTTP client's exception: a code, the platform's error number and a message.
class httpclientexceptionA : public errmsg_exceptionA {
 public:
  httpclientexceptionA(const char* message, uint32_t errorCode, uint32_t platformError = 0);
  uint32_t ErrorCode() const noexcept { return errorCode_; }
  uint32_t PlatformError() const noexcept { return platformError_; }

 private:
  uint32_t errorCode_;
  uint32_t platformError_;
};

// Throws an argument-check failure: code 0 with the check's own message.
[[noreturn]] void ThrowArgumentError(const char* message);
// Throws code with its fixed message; with an argument the message is a format
// for it (a none argument prints "NULL"; the result is cut at 511 characters).
[[noreturn]] void ThrowHttpError(uint32_t code, uint32_t platformError = 0, const char* argument = nullptr,
                                 bool hasArgument = false);

}  // namespace Corvo
