#include "common/xml/CXmlScanner.h"

#include <cstdio>
#include <cstring>

#include "common/xml/XmlCharClass.h"

using xmlchar::Is;

XmlNodeKind CXmlScanner::Scan(int32_t pos, XmlNode* node) {
  node->empty_element = false;
  node->name_start = node->name_length = 0;
  char c = doc_[pos];
  if (c == '\0') {
    node->kind = XmlNodeKind::kEndOfDocument;
    node->start = pos;
    node->length = 0;
    return node->kind;
  }
  if (c == '<') return ScanMarkup(pos, node, false);
  if (Is(c, xmlchar::kBlank)) {
    int32_t p = pos + 1;
    while (Is(doc_[p], xmlchar::kBlank)) ++p;
    if (doc_[p] == '<') return Finish(node, XmlNodeKind::kWhitespace, pos, p);
    // Something other than a blank came first: the run is text after all.
  }
  return ScanText(pos, node);
}

XmlNodeKind CXmlScanner::ScanText(int32_t pos, XmlNode* node) {
  const void* lt = std::memchr(doc_ + pos, '<', static_cast<size_t>(length_ - pos));
  int32_t end = lt ? static_cast<int32_t>(static_cast<const char*>(lt) - doc_) : length_;
  return Finish(node, XmlNodeKind::kText, pos, end);
}

XmlNodeKind CXmlScanner::Finish(XmlNode* node, XmlNodeKind kind, int32_t start, int32_t end) {
  node->kind = kind;
  node->start = start;
  node->length = end - start;
  return kind;
}

XmlNodeKind CXmlScanner::ScanMarkup(int32_t pos, XmlNode* node, bool inside_doctype) {
  char c = doc_[pos + 1];
  if (c == '!') return ScanDeclaration(pos, node, inside_doctype);
  if (c == '/') return ScanEndTag(pos, node);
  if (c == '?')
    return ScanDelimited(pos, node, XmlNodeKind::kProcessingInstruction, "?>", "Processing instruction");
  if (Is(c, xmlchar::kNameStart)) return ScanStartTag(pos, node);
  return Incorrect("tag name character", pos);
}

XmlNodeKind CXmlScanner::ScanStartTag(int32_t pos, XmlNode* node) {
  int32_t p = pos + 1;
  while (!Is(doc_[p], xmlchar::kTagNameEnd)) ++p;
  node->name_start = pos + 1;
  node->name_length = p - (pos + 1);
  // Walk to the closing '>', stepping over quoted values as a whole.
  for (;;) {
    while (!Is(doc_[p], xmlchar::kTagStop)) ++p;
    char c = doc_[p];
    if (c == '>') break;
    if (c == '\0') return Unterminated("Element tag", pos);
    const void* close = std::memchr(doc_ + p + 1, c, static_cast<size_t>(length_ - p - 1));
    if (!close) return Unterminated("Element tag", pos);
    p = static_cast<int32_t>(static_cast<const char*>(close) - doc_) + 1;
  }
  node->empty_element = doc_[p - 1] == '/';
  return Finish(node, XmlNodeKind::kStartTag, pos, p + 1);
}

XmlNodeKind CXmlScanner::ScanEndTag(int32_t pos, XmlNode* node) {
  int32_t p = pos + 2;
  while (!Is(doc_[p], xmlchar::kTagNameEnd)) ++p;
  node->name_start = pos + 2;
  node->name_length = p - (pos + 2);
  const void* gt = std::memchr(doc_ + p, '>', static_cast<size_t>(length_ - p));
  if (!gt) return Unterminated("Element end tag", pos);
  int32_t end = static_cast<int32_t>(static_cast<const char*>(gt) - doc_) + 1;
  return Finish(node, XmlNodeKind::kEndTag, pos, end);
}

XmlNodeKind CXmlScanner::ScanDeclaration(int32_t pos, XmlNode* node, bool inside_doctype) {
  char c = doc_[pos + 2];
  if (c == '-') {
    if (doc_[pos + 3] != '-') return Incorrect("comment tag", pos);
    return ScanDelimited(pos, node, XmlNodeKind::kComment, "-->", "Comment");
  }
  if (c == '[') {
    if (doc_[pos + 3] != 'C') return Incorrect("tag", pos);
    return ScanDelimited(pos, node, XmlNodeKind::kCData, "]]>", "CDATA Section");
  }
  // NOTE: a document type declaration inside another one is read as a plain
  // markup declaration, so hostile nesting cannot recurse without bound.
  if (c == 'D' && !inside_doctype) return ScanDoctype(pos, node);
  if (c == 'D' || c == 'E' || c == 'A' || c == 'N')
    return ScanDelimited(pos, node, XmlNodeKind::kDoctype, ">", "tag");
  return Incorrect("! tag", pos);
}

// Ends at the first '>' whose preceding bytes complete the delimiter, all of
// them lying after the node's first byte.
XmlNodeKind CXmlScanner::ScanDelimited(int32_t pos, XmlNode* node, XmlNodeKind kind, const char* delimiter,
                                       const char* what) {
  const int32_t before = static_cast<int32_t>(std::strlen(delimiter)) - 1;
  int32_t p = pos + 1;
  for (;;) {
    const void* gt = std::memchr(doc_ + p, '>', static_cast<size_t>(length_ - p));
    if (!gt) return Unterminated(what, pos);
    int32_t q = static_cast<int32_t>(static_cast<const char*>(gt) - doc_);
    if (q - before > pos && std::memcmp(doc_ + q - before, delimiter, static_cast<size_t>(before)) == 0)
      return Finish(node, kind, pos, q + 1);
    p = q + 1;
  }
}

XmlNodeKind CXmlScanner::ScanDoctype(int32_t pos, XmlNode* node) {
  int32_t p = pos + 2;
  for (;;) {
    char c = doc_[p];
    if (c == '\0') return Unterminated("Doctype", pos);
    if (c == '>') return Finish(node, XmlNodeKind::kDoctype, pos, p + 1);
    if (c != '<') {
      ++p;
      continue;
    }
    // A nested declaration, comment or processing instruction is skipped whole.
    XmlNode inner;
    if (ScanMarkup(p, &inner, true) == XmlNodeKind::kError) {
      if (error_.find(" unterminated") != std::string::npos) return Unterminated("Doctype", pos);
      return XmlNodeKind::kError;
    }
    p = inner.start + inner.length;
  }
}

XmlNodeKind CXmlScanner::Incorrect(const char* what, int32_t offset) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "Incorrect %s at offset %d", what, static_cast<int>(offset));
  error_ = buffer;
  return XmlNodeKind::kError;
}

XmlNodeKind CXmlScanner::Unterminated(const char* what, int32_t offset) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%s at offset %d unterminated", what, static_cast<int>(offset));
  error_ = buffer;
  return XmlNodeKind::kError;
}

XmlToken CXmlScanner::NextToken(int32_t pos) const {
  XmlToken token;
  while (Is(doc_[pos], xmlchar::kBlank)) ++pos;
  char c = doc_[pos];
  token.start = pos;
  if (c == '\0') {
    token.at_end = true;
    token.next = pos;
    return token;
  }
  if (c == '"' || c == '\'') {
    token.quoted = true;
    token.start = pos + 1;
    const void* close = std::memchr(doc_ + pos + 1, c, static_cast<size_t>(length_ - pos - 1));
    int32_t end = close ? static_cast<int32_t>(static_cast<const char*>(close) - doc_) : length_;
    token.length = end - token.start;
    token.next = close ? end + 1 : end;
    return token;
  }
  int32_t p = pos;
  while (!Is(doc_[p], xmlchar::kTokenEnd)) ++p;
  // A token that would be empty is the delimiter byte itself.
  if (p == pos) ++p;
  token.length = p - pos;
  token.next = p;
  return token;
}
