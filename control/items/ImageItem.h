// One picture file as shown in a list and as uploaded. This is the shared,
// reference-counted core of the item: the list view that lists it and every
// pending thumbnail or upload job hold a reference, on any thread.
#pragma once

#include <atomic>
#include <string>

#include "platform/window/WindowTypes.h"

// A picture item. Created with one reference (the creator's); deleted by the
// Release that drops the last one.
class CImageItem {
 public:
  explicit CImageItem(std::string path = {});
  CImageItem(const CImageItem&) = delete;
  CImageItem& operator=(const CImageItem&) = delete;

  // Takes one more reference; returns the new count.
  virtual LONG AddRef();
  // Drops one reference and deletes the item when it was the last; returns the new count.
  virtual LONG Release();

  // Whether the item holds a thumbnail.
  virtual bool HasThumbnail() const;
  // Makes the thumbnail (on the worker thread); true when it was made.
  virtual bool MakeThumbnail();

  // Full path of the picture file.
  const std::string& Path() const { return path_; }

 protected:
  // Only Release deletes an item.
  virtual ~CImageItem();

 private:
  std::string path_;
  std::atomic<LONG> refCount_{1};
};
