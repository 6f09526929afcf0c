// Reads a "multipart/form-data" body as the client writes it: parts separated
// by "--" boundary lines, each with a Content-Disposition header naming it and,
// for a file, the file name exactly as sent (the client sends a whole path,
// unescaped, in its own code page) and a Content-Type.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace albumservice {

// One part of a form.
struct FormPart {
  std::string name;
  bool has_filename = false;
  std::string filename;
  std::string content_type;
  std::string content;
};

// A parsed form, or the reason it could not be parsed.
class MultipartForm {
 public:
  // Parses body under the boundary named in the request's Content-Type value.
  static MultipartForm Parse(std::string_view content_type, std::string_view body);

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::vector<FormPart>& parts() const { return parts_; }
  // The first part of that name, or null.
  const FormPart* Find(std::string_view name) const;

 private:
  bool ParsePart(std::string_view raw);

  std::string error_;
  std::vector<FormPart> parts_;
};

// The boundary parameter of a multipart Content-Type value ("" when missing).
std::string BoundaryOf(std::string_view content_type);

}  // namespace albumservice
