// The multipart upload of CHttpClientT (included by HttpClient.h). The body
// length is computed in advance from the same pieces that are later written,
// announced to the platform, and the body is then sent one piece per proceed
// step: a part header, a slice of content, a part's closing CR LF with its last
// slice, or the closing boundary; the step after the last byte returns the
// response.
//
// Body layout with boundary B, parameters in map order:
//   "--" B CRLF
//   plain: Content-Disposition: form-data; name="<name>" CRLF CRLF
//   file:  Content-Disposition: form-data; name="<name>"; filename="<path>" CRLF
//          Content-Type: <mime> CRLF CRLF
//   <content> CRLF
// then "--" B "--" CRLF; a form without parameters is CRLF "--" B "--" CRLF.
#pragma once

#include "http/HttpClient.h"

namespace Corvo {

template <typename HttpTool, typename HttpEncoder>
struct CHttpClientT<HttpTool, HttpEncoder>::PostContext {
  using FileHandle = typename HttpTool::FileHandle;
  // One entry per parameter in map order; files and MIME types per file parameter.
  std::vector<typename Map::const_iterator> order;
  std::vector<FileHandle> files;
  std::vector<std::string> mimes;
  // The size of each file when the body length was computed.
  std::vector<uint32_t> sizes;
  // Content length of the first parameter (for the snapshot).
  uint32_t firstSize = 0;
  // The wire bytes of the current plain parameter.
  std::string value;
  HINTERNET internet = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  bool internetBorrowed = false;
  bool connectionBorrowed = false;
  // Allocated at the first file slice.
  std::vector<unsigned char> readBuffer;
};

namespace upload_detail {

inline constexpr uint32_t kReadPiece = 57344;

// Quotes, CR and LF cannot appear inside a quoted form field: they are
// written as %22, %0D and %0A, as browsers do.
inline std::string FormField(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '"')
      out += "%22";
    else if (c == '\r')
      out += "%0D";
    else if (c == '\n')
      out += "%0A";
    else
      out += c;
  }
  return out;
}

inline uint32_t Length(const std::string& text) {
  if (text.size() > 0xFFFFFFFFu) ThrowHttpError(HttpError::kOverflow);
  return static_cast<uint32_t>(text.size());
}

}  // namespace upload_detail

template <typename HttpTool, typename HttpEncoder>
std::string CHttpClientT<HttpTool, HttpEncoder>::PartHeader(const std::string& name, const std::string* path,
                                                            const std::string& mime) const {
  std::string header =
      "--" + std::string(GetBoundary()) + "\r\nContent-Disposition: form-data; name=\"" + name;
  if (path == nullptr) return header + "\"\r\n\r\n";
  return header + "\"; filename=\"" + *path + "\"\r\nContent-Type: " + mime + "\r\n\r\n";
}

template <typename HttpTool, typename HttpEncoder>
void CHttpClientT<HttpTool, HttpEncoder>::StartUploadContext(const char* url, bool allowCache,
                                                             HINTERNET internet, HINTERNET connection) {
  using upload_detail::FormField;
  using upload_detail::Length;
  CancelPostContext();
  auto context = std::make_unique<PostContext>();
  context->internet = internet;
  context->connection = connection;
  context->internetBorrowed = internet != nullptr;
  context->connectionBorrowed = connection != nullptr;
  context_ = std::move(context);
  PostContext& c = *context_;
  try {
    const uint32_t b = Length(GetBoundary());
    uint32_t body = 0, content = 0, fileCount = 0;
    if (params_.Empty()) body = HttpTool::AddChecked(b, 8);
    for (auto it = params_.begin(); it != params_.end(); ++it) {
      c.order.push_back(it);
      const std::string name = FormField(HttpEncoder::WireEncode(it->first.c_str(), useUtf8_, codePage_));
      const char* value = it->second.value ? it->second.value->c_str() : nullptr;
      uint32_t size = 0;
      if (it->second.flags & ParamFile) {
        ++fileCount;
        const std::string path = FormField(HttpEncoder::WireEncode(value, useUtf8_, codePage_));
        typename HttpTool::FileHandle file =
            value != nullptr ? HttpTool::OpenFile(value) : HttpTool::kInvalidFile;
        c.files.push_back(file);
        if (file == HttpTool::kInvalidFile && failOnMissingFile_)
          ThrowHttpError(HttpError::kFileOpen, HttpTool::LastError(), value, true);
        if (file != HttpTool::kInvalidFile) size = HttpTool::GetFileSize(file, value);
        c.sizes.push_back(size);
        c.mimes.push_back(HttpTool::GetMimeType(file, codePage_));
        body = HttpTool::AddChecked(body, Length(PartHeader(name, &path, c.mimes.back())));
      } else {
        size = value != nullptr ? Length(HttpEncoder::WireEncode(value, useUtf8_, codePage_)) : 0;
        body = HttpTool::AddChecked(body, Length(PartHeader(name, nullptr, std::string())));
      }
      if (c.order.size() == 1) c.firstSize = size;
      body = HttpTool::AddChecked(HttpTool::AddChecked(body, size), 2);
      content = HttpTool::AddChecked(content, size);
    }
    if (!params_.Empty()) body = HttpTool::AddChecked(body, HttpTool::AddChecked(b, 6));

    if (c.internet == nullptr) c.internet = OpenInternet();
    if (c.connection == nullptr) c.connection = OpenConnection(c.internet, url, nullptr, nullptr);
    c.request = OpenRequest(c.connection, "POST", url, allowCache ? kHttpFlagsAllowCache : kHttpFlagsNoCache,
                            nullptr);
    AddRequestHeader(c.request);
    HttpTool::AddHeader(c.request, "Content-Type", GetUploadContType().c_str(),
                        platform::net::HTTP_ADDREQ_FLAG_ADD | platform::net::HTTP_ADDREQ_FLAG_REPLACE);
    HttpTool::SendRequestEx(c.request, body);

    live_._Activate(body, content, params_.Count(), fileCount);
    if (!params_.Empty()) {
      // The snapshot already shows the first parameter as current, nothing sent.
      snapshot_ = live_;
      const auto& first = *c.order.front();
      bool isFile = (first.second.flags & ParamFile) != 0;
      const char* value = first.second.value ? first.second.value->c_str() : nullptr;
      snapshot_._StartNewEntry(first.first.c_str(), c.firstSize, isFile, isFile ? value : nullptr);
    }
  } catch (const httpclientexceptionA&) {
    ReleaseContext(true);
    throw;
  } catch (const std::bad_alloc&) {
    ReleaseContext(true);
    ThrowHttpError(HttpError::kOutOfMemory);
  } catch (...) {
    ReleaseContext(true);
    ThrowHttpError(HttpError::kUnexpected);
  }
}

template <typename HttpTool, typename HttpEncoder>
void CHttpClientT<HttpTool, HttpEncoder>::WritePost(const void* data, uint32_t size, bool content) {
  // Check, write, then count: a failed write leaves the counters as they were.
  if (content)
    live_._TestAddPostedBytes(size);
  else
    live_._TestAddActualPostedBytes(size);
  HttpTool::WriteToRequest(context_->request, data, size);
  if (content)
    live_._AddPostedBytes(size);
  else
    live_._AddActualPostedBytes(size);
}

template <typename HttpTool, typename HttpEncoder>
void CHttpClientT<HttpTool, HttpEncoder>::BeginNextParam() {
  using upload_detail::FormField;
  PostContext& c = *context_;
  const auto& param = *c.order[live_.PostedCount()];
  const std::string name = FormField(HttpEncoder::WireEncode(param.first.c_str(), useUtf8_, codePage_));
  const char* value = param.second.value ? param.second.value->c_str() : nullptr;
  bool isFile = (param.second.flags & ParamFile) != 0;
  uint32_t size = 0;
  if (isFile) {
    uint32_t fileIndex = live_.PostedFileCount();
    typename HttpTool::FileHandle file = c.files[fileIndex];
    if (file != HttpTool::kInvalidFile) size = HttpTool::GetFileSize(file, value);
    // NOTE: the announced body length counted the size at the start; a file
    // that changed since cannot be sent as announced, so it is refused here
    // rather than sending a body of the wrong length.
    if (size != c.sizes[fileIndex]) ThrowHttpError(HttpError::kReadUnexpectedSize);
    const std::string path = FormField(HttpEncoder::WireEncode(value, useUtf8_, codePage_));
    WriteText(PartHeader(name, &path, c.mimes[fileIndex]));
  } else {
    c.value = value != nullptr ? HttpEncoder::WireEncode(value, useUtf8_, codePage_) : std::string();
    size = upload_detail::Length(c.value);
    WriteText(PartHeader(name, nullptr, std::string()));
  }
  live_._StartNewEntry(param.first.c_str(), size, isFile, isFile ? value : nullptr);
  if (size == 0) WriteText("\r\n");
}

template <typename HttpTool, typename HttpEncoder>
void CHttpClientT<HttpTool, HttpEncoder>::SendContentSlice(uint32_t count) {
  PostContext& c = *context_;
  if (live_.CurrParamIsFile()) {
    typename HttpTool::FileHandle file = c.files[live_.PostedFileCount() - 1];
    if (file == HttpTool::kInvalidFile) ThrowHttpError(HttpError::kReadUnexpectedSize);
    if (c.readBuffer.empty()) c.readBuffer.resize(upload_detail::kReadPiece);
    while (count > 0) {
      uint32_t piece = std::min(count, upload_detail::kReadPiece);
      uint32_t read = HttpTool::ReadFromFile(file, c.readBuffer.data(), piece);
      if (read != piece) ThrowHttpError(HttpError::kReadUnexpectedSize);
      WritePost(c.readBuffer.data(), piece, true);
      count -= piece;
    }
  } else {
    WritePost(c.value.data() + live_.CurrParamPostedByte(), count, true);
  }
  if (live_.CurrParamIsComplete()) WriteText("\r\n");
}

template <typename HttpTool, typename HttpEncoder>
std::unique_ptr<typename CHttpClientT<HttpTool, HttpEncoder>::Response>
CHttpClientT<HttpTool, HttpEncoder>::ProceedPostContext(uint32_t desired) {
  if (!IsPostContextActive()) ThrowHttpError(HttpError::kPostNotStarted);
  try {
    PostContext& c = *context_;
    if (c.internet == nullptr)
      ThrowArgumentError("CHttpClientT::_ProceedUploadContext: m_hInternet can not be NULL.");
    if (c.connection == nullptr)
      ThrowArgumentError("CHttpClientT::_ProceedUploadContext: m_hConnection can not be NULL.");
    if (c.request == nullptr)
      ThrowArgumentError("CHttpClientT::_ProceedUploadContext: m_hRequest can not be NULL.");
    if (desired == 0) ThrowArgumentError("CHttpClientT::_ProceedUploadContext: nDesired can not be zero.");
    if (live_.ActualPostedByte() == live_.ActualTotalByte()) {
      HttpTool::EndRequest(c.request);
      return ReleasePostResponse();
    }
    const std::string boundary = GetBoundary();
    if (live_.TotalCount() == 0) {
      WriteText("\r\n--" + boundary + "--\r\n");
    } else if (live_.PostedCount() == 0 || live_.CurrParamIsComplete()) {
      if (live_.PostedCount() < live_.TotalCount())
        BeginNextParam();
      else
        WriteText("--" + boundary + "--\r\n");
    } else {
      SendContentSlice(std::min(desired, live_.CurrParamRemainByte()));
    }
    return nullptr;
  } catch (const httpclientexceptionA&) {
    CancelPostContext();
    throw;
  } catch (const std::bad_alloc&) {
    CancelPostContext();
    ThrowHttpError(HttpError::kOutOfMemory);
  } catch (...) {
    CancelPostContext();
    ThrowHttpError(HttpError::kUnexpected);
  }
}

template <typename HttpTool, typename HttpEncoder>
std::unique_ptr<typename CHttpClientT<HttpTool, HttpEncoder>::Response>
CHttpClientT<HttpTool, HttpEncoder>::ReleasePostResponse() {
  if (!IsPostContextActive())
    ThrowArgumentError("CHttpClientT::_ReleasePostResponse: The post context is not active.");
  PostContext& c = *context_;
  std::unique_ptr<Response> response;
  try {
    response = std::make_unique<Response>(c.internetBorrowed ? nullptr : c.internet,
                                          c.connectionBorrowed ? nullptr : c.connection, c.request);
  } catch (...) {
    ReleaseContext(true);
    ThrowHttpError(HttpError::kOutOfMemory);
  }
  // The response owns the handles now.
  c.request = nullptr;
  if (!c.internetBorrowed) c.internet = nullptr;
  if (!c.connectionBorrowed) c.connection = nullptr;
  ReleaseContext(false);
  return response;
}

template <typename HttpTool, typename HttpEncoder>
void CHttpClientT<HttpTool, HttpEncoder>::ReleaseContext(bool closeHandles) noexcept {
  if (context_) {
    PostContext& c = *context_;
    for (auto& file : c.files) HttpTool::CloseFile(file);
    if (closeHandles) {
      HttpTool::CloseInternetHandle(c.request);
      if (!c.connectionBorrowed) HttpTool::CloseInternetHandle(c.connection);
      if (!c.internetBorrowed) HttpTool::CloseInternetHandle(c.internet);
    }
    context_.reset();
  }
  live_._Clear();
  snapshot_._Clear();
}

template <typename HttpTool, typename HttpEncoder>
void CHttpClientT<HttpTool, HttpEncoder>::QueryPostStat(PostStat& stat) const {
  if (live_.IsActive() && live_.TotalCount() > 0 && live_.PostedCount() == 0)
    stat = snapshot_;
  else
    stat = live_;
}

template <typename HttpTool, typename HttpEncoder>
bool CHttpClientT<HttpTool, HttpEncoder>::CancelPostContext() noexcept {
  if (!IsPostContextActive() && !context_) return false;
  bool wasActive = IsPostContextActive();
  ReleaseContext(true);
  return wasActive;
}

}  // namespace Corvo
