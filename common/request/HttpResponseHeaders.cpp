#include "common/request/HttpResponseHeaders.h"

#include <cstdlib>

namespace common {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

}  // namespace

void CHttpResponseHeaders::Parse(const std::string& raw) {
  *this = CHttpResponseHeaders();
  raw_ = raw;
  size_t pos = 0;
  for (size_t end; (end = raw.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    std::string line = raw.substr(pos, end - pos);
    if (line.rfind("HTTP/", 0) == 0) {
      size_t first = line.find(' ');
      if (first == std::string::npos) continue;
      statusCode_ = std::atoi(line.substr(first + 1, line.find(' ', first + 1) - first - 1).c_str());
      reason_ = line.substr(line.rfind(' ') + 1);
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    headers_[Upper(Trim(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
  }
}

const std::string* CHttpResponseHeaders::Find(const std::string& name) const {
  auto found = headers_.find(Upper(name));
  return found != headers_.end() ? &found->second : nullptr;
}

}  // namespace common
