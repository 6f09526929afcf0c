// The internet client of the platform layer: sessions, connections and HTTP
// requests in the steps the product's HTTP code is written against (open a
// session, connect, open a request, add headers, send or send in steps, query
// the answer, read the body, close every handle once).
//
// Every function reports failure by returning false (or a null handle) and
// leaving an error number for GetLastError() on the calling thread. A handle is
// used by one thread at a time; only InternetCancel may be called from another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/net/InternetConstants.h"

namespace platform::net {

// An opaque handle: a session, a connection or a request.
struct InternetObject;
using HINTERNET = InternetObject*;

// The error number left by the last failing call of this thread (0 after success).
uint32_t GetLastError();
// Sets the calling thread's error number (also used for file errors by callers).
void SetLastError(uint32_t error);

// Opens a session. accessType is INTERNET_OPEN_TYPE_PRECONFIG (the system's
// proxy settings), _DIRECT or _PROXY (proxy names a "host:port" or
// "http=host:port https=host:port" list, bypass a list of hosts that go
// direct). Requests of one session may share connections.
HINTERNET InternetOpen(const char* agent, uint32_t accessType, const char* proxy, const char* bypass,
                       uint32_t flags);

// A connection object: the server (host name or address, port) and the account
// of later requests. Nothing is sent yet.
HINTERNET InternetConnect(HINTERNET session, const char* server, uint16_t port, const char* user,
                          const char* password, uint32_t service, uint32_t flags);

// A request on a connection. version is "HTTP/1.1" or "HTTP/1.0" (none:
// HTTP/1.1); acceptTypes is a null-terminated list or none.
HINTERNET HttpOpenRequest(HINTERNET connection, const char* verb, const char* objectName, const char* version,
                          const char* referrer, const char* const* acceptTypes, uint32_t flags);

// Adds one or more "Name: value" lines (CR LF separated) to a request not yet
// sent. modifiers: HTTP_ADDREQ_FLAG_ADD, _ADD_IF_NEW, _REPLACE (with an empty
// value: remove), combinable as the platform allows.
bool HttpAddRequestHeaders(HINTERNET request, const char* headers, size_t length, uint32_t modifiers);

// Sends the request with extra header lines (may be none) and a whole body (may
// be none) and waits for the answer's headers.
bool HttpSendRequest(HINTERNET request, const char* headers, size_t headersLength, const void* body,
                     size_t bodyLength);

// Starts a request whose body of totalLength bytes (sent as Content-Length)
// follows through InternetWriteFile; HttpEndRequest then waits for the answer.
bool HttpSendRequestEx(HINTERNET request, uint64_t totalLength);
// Writes body bytes of a request started with HttpSendRequestEx. Memory stays
// bounded: the call returns once a small internal buffer has taken the bytes.
bool InternetWriteFile(HINTERNET request, const void* buffer, uint32_t length, uint32_t* written);
// Finishes the body and waits for the answer's headers. Fails with
// ERROR_INTERNET_INCORRECT_HANDLE_STATE when fewer bytes than announced were written.
bool HttpEndRequest(HINTERNET request);

// Queries the answer. Levels: HTTP_QUERY_STATUS_CODE, _STATUS_TEXT,
// _CONTENT_LENGTH, _RAW_HEADERS_CRLF and _CUSTOM (the buffer holds the
// header name on entry), optionally with HTTP_QUERY_FLAG_NUMBER (a uint32_t
// answer). *length is the buffer size on entry and the answer's length without
// terminator on exit; ERROR_INSUFFICIENT_BUFFER sets *length to the size
// needed. index (may be none) selects the occurrence and is advanced on
// success. A missing header fails with ERROR_HTTP_HEADER_NOT_FOUND.
bool HttpQueryInfo(HINTERNET request, uint32_t infoLevel, void* buffer, uint32_t* length, uint32_t* index);

// Reads body bytes; *read is 0 at the end of the body.
bool InternetReadFile(HINTERNET request, void* buffer, uint32_t length, uint32_t* read);

// Sets an option: INTERNET_OPTION_PROXY_USERNAME / _PROXY_PASSWORD (text) on a
// connection or request, INTERNET_OPTION_CONNECT_TIMEOUT / _SEND_TIMEOUT /
// _RECEIVE_TIMEOUT (uint32_t milliseconds) on a session, connection or request.
bool InternetSetOption(HINTERNET handle, uint32_t option, const void* buffer, uint32_t length);

// Asks every request of a session to stop: waiting calls return with
// ERROR_INTERNET_OPERATION_CANCELLED, later ones fail at once. Safe from any thread.
bool InternetCancel(HINTERNET session);

// Closes a handle. A handle is closed once; closing a request whose body is not
// complete drops its connection. Children keep what they need of their parents.
bool InternetCloseHandle(HINTERNET handle);

}  // namespace platform::net
