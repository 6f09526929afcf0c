// Reference counting of picture items.
#include "control/items/ImageItem.h"

#include "platform/window/Interlocked.h"

CImageItem::CImageItem(std::string path) : path_(std::move(path)) {}

CImageItem::~CImageItem() = default;

LONG CImageItem::AddRef() { return platform::InterlockedIncrement(refCount_); }

LONG CImageItem::Release() {
  LONG count = platform::InterlockedDecrement(refCount_);
  if (count == 0) delete this;
  return count;
}

// FIXME: the thumbnail itself (decode, fit into 83 x 83, disk cache) belongs to
// the picture-item code; until it lands an item has no thumbnail and cannot make one.
bool CImageItem::HasThumbnail() const { return false; }

bool CImageItem::MakeThumbnail() { return false; }
