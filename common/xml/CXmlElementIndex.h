// The element index of the XML reader: one record per element, kept in
// segments of 65,536 records so that records never move once written.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Where one element lies in the document and how it is linked to its
// neighbours. Index 0 is the pseudo-root that stands for the document; an index
// of 0 in a link field means "none".
struct ElementRecord {
  int32_t start;             // offset of the '<' of the start tag
  int32_t length;            // '<' of the start tag through '>' of the end tag
  int32_t start_tag_length;  // '<' through '>' of the start tag
  int32_t end_tag_length;    // "</" through '>'; 0 for an empty-element tag
  uint32_t level : 31;       // nesting depth; the root element has level 0
  uint32_t first_child : 1;  // set on the first child of its parent
  uint32_t parent;
  uint32_t first_child_index;
  uint32_t next_sibling;
  // The previous sibling; on the first child, the last child of the parent.
  uint32_t previous_sibling;
};

// A growable array of ElementRecord addressed by index.
class CXmlElementIndex {
 public:
  static constexpr uint32_t kSegmentShift = 16;
  static constexpr uint32_t kSegmentSize = 1u << kSegmentShift;

  CXmlElementIndex();

  // Drops every record but a blank pseudo-root and makes room for `capacity`
  // records. May throw std::bad_alloc.
  void Reset(uint32_t capacity);
  // Appends a record (contents undefined) and returns its index, growing the
  // capacity to one and a half times the records in use when full; 0 when the
  // index range is exhausted. May throw std::bad_alloc.
  uint32_t Append();

  // The record at index i (below Count()).
  ElementRecord& operator[](uint32_t i) { return segments_[i >> kSegmentShift][i & (kSegmentSize - 1)]; }
  const ElementRecord& operator[](uint32_t i) const {
    return segments_[i >> kSegmentShift][i & (kSegmentSize - 1)];
  }
  // Records in use, the pseudo-root included.
  uint32_t Count() const { return count_; }
  // Records that fit before the next growth.
  uint32_t Capacity() const { return capacity_; }

 private:
  void Grow(uint32_t new_capacity);
  void ClearRoot();

  std::vector<std::unique_ptr<ElementRecord[]>> segments_;
  uint32_t count_ = 0;
  uint32_t capacity_ = 0;
};
