#include "tools/album-service/MultipartForm.h"

#include "tools/album-service/TextCodec.h"

namespace albumservice {
namespace {

// The value of a quoted parameter (name="...") of a Content-Disposition line.
// The client does not escape quotes inside a file name, so the file name runs
// to the last quote of the line.
bool QuotedParameter(std::string_view line, std::string_view key, bool to_last_quote, std::string& out) {
  std::string needle = "; " + std::string(key) + "=\"";
  size_t at = line.find(needle);
  if (at == std::string_view::npos) {
    needle = ";" + std::string(key) + "=\"";
    at = line.find(needle);
  }
  if (at == std::string_view::npos) return false;
  size_t begin = at + needle.size();
  size_t end = to_last_quote ? line.rfind('"') : line.find('"', begin);
  if (end == std::string_view::npos || end < begin) return false;
  out = std::string(line.substr(begin, end - begin));
  return true;
}

}  // namespace

std::string BoundaryOf(std::string_view content_type) {
  std::string lower = AsciiLower(content_type);
  size_t at = lower.find("boundary=");
  if (at == std::string::npos) return std::string();
  std::string_view value = content_type.substr(at + 9);
  if (!value.empty() && value.front() == '"') {
    size_t end = value.find('"', 1);
    return end == std::string_view::npos ? std::string() : std::string(value.substr(1, end - 1));
  }
  size_t end = value.find_first_of("; \t");
  return std::string(value.substr(0, end));
}

MultipartForm MultipartForm::Parse(std::string_view content_type, std::string_view body) {
  MultipartForm form;
  if (AsciiLower(content_type).rfind("multipart/form-data", 0) != 0) {
    form.error_ = "not a multipart form";
    return form;
  }
  std::string boundary = BoundaryOf(content_type);
  if (boundary.empty() || boundary.size() > 200) {
    form.error_ = "no boundary";
    return form;
  }
  const std::string delimiter = "--" + boundary;
  // The first delimiter opens the body, possibly after a preamble line (a form
  // without parts is "\r\n--B--\r\n").
  size_t pos = body.find(delimiter);
  if (pos == std::string_view::npos || (pos != 0 && (pos < 2 || body.substr(pos - 2, 2) != "\r\n"))) {
    form.error_ = "boundary not found";
    return form;
  }
  const std::string separator = "\r\n" + delimiter;
  for (;;) {
    pos += delimiter.size();
    if (body.substr(pos, 2) == "--") return form;
    if (body.substr(pos, 2) != "\r\n") break;
    pos += 2;
    size_t next = body.find(separator, pos);
    if (next == std::string_view::npos) break;
    if (!form.ParsePart(body.substr(pos, next - pos))) return form;
    pos = next + 2;
  }
  form.error_ = "truncated multipart body";
  return form;
}

bool MultipartForm::ParsePart(std::string_view raw) {
  size_t header_end = raw.find("\r\n\r\n");
  if (header_end == std::string_view::npos) {
    error_ = "part without headers";
    return false;
  }
  FormPart part;
  bool named = false;
  std::string_view headers = raw.substr(0, header_end + 2);
  while (!headers.empty()) {
    size_t eol = headers.find("\r\n");
    std::string_view line = headers.substr(0, eol);
    headers.remove_prefix(eol + 2);
    std::string lower = AsciiLower(line);
    if (lower.rfind("content-disposition:", 0) == 0) {
      named = QuotedParameter(line, "name", false, part.name);
      part.has_filename = QuotedParameter(line, "filename", true, part.filename);
    } else if (lower.rfind("content-type:", 0) == 0) {
      part.content_type = Trim(line.substr(13));
    }
  }
  if (!named) {
    error_ = "part without a name";
    return false;
  }
  part.content = std::string(raw.substr(header_end + 4));
  parts_.push_back(std::move(part));
  return true;
}

const FormPart* MultipartForm::Find(std::string_view name) const {
  for (const FormPart& part : parts_) {
    if (part.name == name) return &part;
  }
  return nullptr;
}

}  // namespace albumservice
