// Numbers of the internet client: access types, flags, query levels, options
// and error numbers, with the values and names the product's HTTP code uses.
#pragma once

#include <cstdint>

namespace platform::net {

// Access types of InternetOpen.
inline constexpr uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr uint32_t INTERNET_OPEN_TYPE_PROXY = 3;

// Service of InternetConnect and the default ports.
inline constexpr uint32_t INTERNET_SERVICE_HTTP = 3;
inline constexpr uint16_t INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr uint16_t INTERNET_DEFAULT_HTTPS_PORT = 443;

// Request flags of HttpOpenRequest.
inline constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000;
inline constexpr uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
inline constexpr uint32_t INTERNET_FLAG_SECURE = 0x00800000;
inline constexpr uint32_t INTERNET_FLAG_KEEP_CONNECTION = 0x00400000;
inline constexpr uint32_t INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000;
inline constexpr uint32_t INTERNET_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;
inline constexpr uint32_t INTERNET_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;
inline constexpr uint32_t INTERNET_FLAG_RESYNCHRONIZE = 0x00000800;
inline constexpr uint32_t INTERNET_FLAG_HYPERLINK = 0x00000400;
inline constexpr uint32_t INTERNET_FLAG_NO_UI = 0x00000200;
inline constexpr uint32_t INTERNET_FLAG_PRAGMA_NOCACHE = 0x00000100;

// Modifiers of HttpAddRequestHeaders.
inline constexpr uint32_t HTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
inline constexpr uint32_t HTTP_ADDREQ_FLAG_ADD = 0x20000000;
inline constexpr uint32_t HTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

// Levels of HttpQueryInfo.
inline constexpr uint32_t HTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr uint32_t HTTP_QUERY_STATUS_CODE = 19;
inline constexpr uint32_t HTTP_QUERY_STATUS_TEXT = 20;
inline constexpr uint32_t HTTP_QUERY_RAW_HEADERS_CRLF = 22;
inline constexpr uint32_t HTTP_QUERY_CUSTOM = 65535;
inline constexpr uint32_t HTTP_QUERY_FLAG_NUMBER = 0x20000000;

// Options of InternetSetOption.
inline constexpr uint32_t INTERNET_OPTION_CONNECT_TIMEOUT = 2;
inline constexpr uint32_t INTERNET_OPTION_SEND_TIMEOUT = 5;
inline constexpr uint32_t INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
inline constexpr uint32_t INTERNET_OPTION_PROXY_USERNAME = 43;
inline constexpr uint32_t INTERNET_OPTION_PROXY_PASSWORD = 44;

// Error numbers.
inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_READ_FAULT = 30;
inline constexpr uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr uint32_t ERROR_INTERNET_INTERNAL_ERROR = 12004;
inline constexpr uint32_t ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr uint32_t ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr uint32_t ERROR_INTERNET_OPERATION_CANCELLED = 12017;
inline constexpr uint32_t ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
inline constexpr uint32_t ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
inline constexpr uint32_t ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr uint32_t ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr uint32_t ERROR_INTERNET_CONNECTION_RESET = 12031;
inline constexpr uint32_t ERROR_INTERNET_SEC_CERT_DATE_INVALID = 12037;
inline constexpr uint32_t ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
inline constexpr uint32_t ERROR_INTERNET_INVALID_CA = 12045;
inline constexpr uint32_t ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr uint32_t ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr uint32_t ERROR_HTTP_INVALID_HEADER = 12153;
inline constexpr uint32_t ERROR_HTTP_HEADER_ALREADY_EXISTS = 12155;
inline constexpr uint32_t ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;

}  // namespace platform::net
