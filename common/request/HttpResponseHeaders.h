// The parsed headers of a simple HTTP request's answer: the status line and a
// map from upper-cased header name to value, with the raw text kept.
#pragma once

#include <map>
#include <string>

namespace common {

class CHttpResponseHeaders {
 public:
  // Parses raw header text. Lines end with CR LF (a trailing part without one
  // is not parsed). A line starting with "HTTP/" is the status line: the code
  // is the number after the first blank, the reason the text after the last
  // blank. Any other line with ':' is a header: name before the first ':',
  // trimmed and upper-cased, value after it, trimmed; a repeated name replaces
  // the earlier value. Other lines are ignored.
  void Parse(const std::string& raw);
  // -1 until a status line was seen.
  int StatusCode() const { return statusCode_; }
  const std::string& Reason() const { return reason_; }
  const std::string& Raw() const { return raw_; }
  // The value of a header; the name is upper-cased first, so any case matches.
  // Null when absent.
  const std::string* Find(const std::string& name) const;
  const std::map<std::string, std::string>& All() const { return headers_; }

 private:
  int statusCode_ = -1;
  std::string reason_;
  std::string raw_;
  std::map<std::string, std::string> headers_;
};

}  // namespace common
