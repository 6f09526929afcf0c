#include "http/HttpClientException.h"

#include <cstdio>

namespace Corvo {
namespace {

const char* const kLibraryMessages[] = {
    "Unexpected error occurred.",
    "The index is out of range.",
    "Out of memory.",
    "The requested URL is not a valid URL.",
    "The post context is not started yet.",
    "Couldn't read expected bytes from a file.",
    "The post context has not been finished yet.",
    "The port number is not valid.",
    "std::exception occurred.",
    "The encoded URL is not valid.",
    "The UTF8 string contains an invalid character.",
    "An unexpected arithmetic error has been occurred.",
    "An arithmetic overflow error has been occurred.",
    "An interger divide by zero exception has been occurred.",
    "The file (%s) aleady exists.",
};

const char* const kInternetMessages[] = {
    "::HttpQueryInfo failed.",   "::InternetReadFile failed.",  "::InternetOpen failed.",
    "::InternetConnect failed.", "::HttpOpenRequest failed.",   "::HttpAddRequestHeaders failed.",
    "::HttpSendRequest failed.", "::HttpSendRequestEx failed.", "::InternetWriteFile failed.",
    "::HttpEndRequest failed.",  "::InternetSetOption failed.",
};

const char* const kSystemMessages[] = {
    "::WideCharToMultiByte failed.", "::MultiByteToWideChar failed.", "::ReadFile failed.",
    "打开或生成文件失败(\"%s\").",   "::SetFilePointer failed.",      "::GetFileSize failed (\"%s\").",
    "::WriteFile failed (\"%s\").",
};

template <size_t N>
const char* FromTable(const char* const (&table)[N], uint32_t code) {
  uint32_t index = code % 100;
  return index < N ? table[index] : "";
}

}  // namespace

const char* ErrorMessageOf(uint32_t code) {
  if (code == 0) return "Not specified";
  if (code >= 1000) return "user-defined error message";
  if (code >= 100 && code < 200) return FromTable(kLibraryMessages, code);
  if (code >= 400 && code < 500) return FromTable(kInternetMessages, code);
  if (code >= 600 && code < 700) return FromTable(kSystemMessages, code);
  return "";
}

errmsg_exceptionA::errmsg_exceptionA(const char* message) { SetErrorMessage(message); }

const char* errmsg_exceptionA::what() const noexcept { return GetErrorMessage(); }

const char* errmsg_exceptionA::GetErrorMessage() const noexcept {
  return message_ ? message_->c_str() : "NULL";
}

void errmsg_exceptionA::SetErrorMessage(const char* text) {
  if (text == nullptr)
    message_.reset();
  else
    message_ = std::string(text);
}

httpclientexceptionA::httpclientexceptionA(const char* message, uint32_t errorCode, uint32_t platformError)
    : errmsg_exceptionA(message), errorCode_(errorCode), platformError_(platformError) {}

void ThrowArgumentError(const char* message) {
  throw httpclientexceptionA(message, HttpError::kNotSpecified);
}

void ThrowHttpError(uint32_t code, uint32_t platformError, const char* argument, bool hasArgument) {
  const char* message = ErrorMessageOf(code);
  if (!hasArgument) throw httpclientexceptionA(message, code, platformError);
  // Only messages with exactly one "%s" are used as formats; anything else
  // keeps the unformatted message (a caller's text is never a format).
  std::string text(message);
  size_t at = text.find("%s");
  if (at == std::string::npos || text.find('%') != at || text.find('%', at + 2) != std::string::npos)
    throw httpclientexceptionA(message, code, platformError);
  text.replace(at, 2, argument != nullptr ? argument : "NULL");
  if (text.size() > 511) {
    // Cut at 511 bytes, never inside a multi-byte character.
    size_t cut = 511;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  throw httpclientexceptionA(text.c_str(), code, platformError);
}

}  // namespace Corvo
