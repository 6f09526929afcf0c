// What a picture item needs of the client view that owns it: the map of
// edited copies, the thumbnail queue of the dispatcher and the upload queue.
// The client view implements it; tests give a small stand-in.
#pragma once

#include <optional>
#include <string>

class CImageItem;

// The owner of picture items.
class IImageItemHost {
 public:
  virtual ~IImageItemHost() = default;

  // The edited copy recorded for a picture path. NOTE: called from the worker
  // thread (thumbnails) as well as the interface thread, so an implementation
  // must guard its map.
  virtual std::optional<std::string> FindEditedCopy(const std::string& path) = 0;
  // Records (or replaces) the edited copy of a picture path.
  virtual void SetEditedCopy(const std::string& path, const std::string& copy) = 0;
  // Forgets the edited copy of a picture path.
  virtual void ForgetEditedCopy(const std::string& path) = 0;

  // Queues a thumbnail request for the item: takes one reference for the job
  // and posts it to the dispatcher (releasing the reference when that fails).
  virtual void RequestThumbnail(CImageItem* item) = 0;
  // A picture was edited: the upload queue's item of that path frees its
  // thumbnail and asks for a new one.
  virtual void OnPictureEdited(const std::string& path) = 0;

  // Whether the upload queue holds the path.
  virtual bool IsQueued(const std::string& path) = 0;
  // Appends the picture to the upload queue; false when there is no queue or it refused.
  virtual bool Enqueue(const std::string& path, const std::string& displayName) = 0;
  // Removes the path from the upload queue (nothing when it is not there).
  virtual void Dequeue(const std::string& path) = 0;
  // Repaints the folder view and the space panel after the queue changed.
  virtual void RepaintQueueViews() = 0;
};
