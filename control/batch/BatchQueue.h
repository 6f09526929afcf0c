// An upload queue without windows: the pictures chosen for upload in the
// order they were added, with their display names and the map of edited
// copies. It is the picture items' host where no client view exists (the
// command-line uploader, tests); thumbnails are never asked for.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "control/items/ImageItemHost.h"

namespace upload_batch {

// One queued picture.
struct QueuedPicture {
  std::string path;
  // Empty: the item's own name (the file name before its first '.').
  std::string displayName;
};

class CBatchQueue : public IImageItemHost {
 public:
  // The pictures in queue order.
  std::vector<QueuedPicture> Pictures() const;
  // Number of queued pictures.
  size_t Count() const;

  std::optional<std::string> FindEditedCopy(const std::string& path) override;
  void SetEditedCopy(const std::string& path, const std::string& copy) override;
  void ForgetEditedCopy(const std::string& path) override;
  void RequestThumbnail(CImageItem*) override {}
  void OnPictureEdited(const std::string&) override {}
  bool IsQueued(const std::string& path) override;
  // Refuses a path that is already queued.
  bool Enqueue(const std::string& path, const std::string& displayName) override;
  void Dequeue(const std::string& path) override;
  void RepaintQueueViews() override {}

 private:
  mutable std::mutex mutex_;
  std::vector<QueuedPicture> pictures_;
  std::map<std::string, std::string> editedCopies_;
};

}  // namespace upload_batch
