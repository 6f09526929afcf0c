// The node and token scanners of the XML reader. They work on the reader's
// copy of the document: a byte string that ends with a NUL byte and holds no
// other NUL, so a NUL always means "end of document".
#pragma once

#include <cstdint>
#include <string>

// Kinds of node the scanner produces. The numbers are the reader's own node
// kinds; end of document and error are results of their own.
enum class XmlNodeKind : int {
  kEndTag = 0,
  kStartTag = 1,
  kText = 2,
  kWhitespace = 4,
  kCData = 8,
  kProcessingInstruction = 16,
  kComment = 32,
  kDoctype = 64,
  kEndOfDocument = 1000,
  kError = 1001,
};

// One scanned node: where it lies and, for tags, where the name lies.
struct XmlNode {
  XmlNodeKind kind = XmlNodeKind::kEndOfDocument;
  int32_t start = 0;
  int32_t length = 0;
  // A start tag written "<x ... />".
  bool empty_element = false;
  // The tag name of a start or end tag.
  int32_t name_start = 0;
  int32_t name_length = 0;
};

// One token of a start tag (a tag name, an attribute name, "=", a quoted value).
struct XmlToken {
  int32_t start = 0;   // first byte of the content (after the quote for a quoted token)
  int32_t length = 0;  // bytes of content, without quotes
  int32_t next = 0;    // where the scan goes on
  bool quoted = false;
  // True when the scan met the end of the document instead of a token.
  bool at_end = false;
};

// Scans nodes and tokens of one document; the document must outlive it.
class CXmlScanner {
 public:
  // doc[length] must be the terminating NUL, and no other byte may be NUL.
  CXmlScanner(const char* doc, int32_t length) : doc_(doc), length_(length) {}

  // Scans the node at pos into *node and returns its kind. On kError the
  // message is in Error().
  XmlNodeKind Scan(int32_t pos, XmlNode* node);
  // The message of the last scan that failed.
  const std::string& Error() const { return error_; }

  // The token that begins at or after pos (blanks skipped).
  XmlToken NextToken(int32_t pos) const;

 private:
  XmlNodeKind ScanMarkup(int32_t pos, XmlNode* node, bool inside_doctype);
  XmlNodeKind ScanStartTag(int32_t pos, XmlNode* node);
  XmlNodeKind ScanEndTag(int32_t pos, XmlNode* node);
  XmlNodeKind ScanDeclaration(int32_t pos, XmlNode* node, bool inside_doctype);
  XmlNodeKind ScanDoctype(int32_t pos, XmlNode* node);
  XmlNodeKind ScanDelimited(int32_t pos, XmlNode* node, XmlNodeKind kind, const char* delimiter,
                            const char* what);
  XmlNodeKind ScanText(int32_t pos, XmlNode* node);
  XmlNodeKind Finish(XmlNode* node, XmlNodeKind kind, int32_t start, int32_t end);
  XmlNodeKind Incorrect(const char* what, int32_t offset);
  XmlNodeKind Unterminated(const char* what, int32_t offset);

  const char* doc_;
  int32_t length_;
  std::string error_;
};
