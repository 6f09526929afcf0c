#include "control/batch/BatchQueue.h"

#include <algorithm>

namespace upload_batch {

std::vector<QueuedPicture> CBatchQueue::Pictures() const {
  std::lock_guard guard(mutex_);
  return pictures_;
}

size_t CBatchQueue::Count() const {
  std::lock_guard guard(mutex_);
  return pictures_.size();
}

std::optional<std::string> CBatchQueue::FindEditedCopy(const std::string& path) {
  std::lock_guard guard(mutex_);
  auto it = editedCopies_.find(path);
  if (it == editedCopies_.end()) return std::nullopt;
  return it->second;
}

void CBatchQueue::SetEditedCopy(const std::string& path, const std::string& copy) {
  std::lock_guard guard(mutex_);
  editedCopies_[path] = copy;
}

void CBatchQueue::ForgetEditedCopy(const std::string& path) {
  std::lock_guard guard(mutex_);
  editedCopies_.erase(path);
}

bool CBatchQueue::IsQueued(const std::string& path) {
  std::lock_guard guard(mutex_);
  return std::any_of(pictures_.begin(), pictures_.end(),
                     [&](const QueuedPicture& p) { return p.path == path; });
}

bool CBatchQueue::Enqueue(const std::string& path, const std::string& displayName) {
  std::lock_guard guard(mutex_);
  for (const QueuedPicture& p : pictures_) {
    if (p.path == path) return false;
  }
  pictures_.push_back({path, displayName});
  return true;
}

void CBatchQueue::Dequeue(const std::string& path) {
  std::lock_guard guard(mutex_);
  std::erase_if(pictures_, [&](const QueuedPicture& p) { return p.path == path; });
}

}  // namespace upload_batch
