// Picture items: names, state, thumbnails with their disk cache, rotation.
#include "control/items/ImageItem.h"

#include <filesystem>
#include <system_error>

#include "common/file/FolderSize.h"
#include "control/items/ImageItemHost.h"
#include "control/items/ItemPaths.h"
#include "platform/window/Interlocked.h"

namespace fs = std::filesystem;

namespace {

uint64_t MeasureFile(const std::string& path) {
  uint64_t bytes = 0, files = 0;
  if (path.empty() || !common::FolderSize(path, &bytes, &files)) return 0;
  return bytes;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

bool ModificationTime(const std::string& path, fs::file_time_type* time) {
  std::error_code error;
  *time = fs::last_write_time(path, error);
  return !error;
}

// Creates a folder with its missing parents; true when it exists afterwards.
bool EnsureFolder(const std::string& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error);
}

}  // namespace

CImageItem::CImageItem(std::string path) : CImageItem(nullptr, nullptr, kFolderItem, std::move(path)) {}

CImageItem::CImageItem(IImageItemHost* host, CBaseImageListView* listView, int kind, std::string path)
    : path_(std::move(path)), host_(host), listView_(listView), kind_(kind), fileSize_(MeasureFile(path_)) {}

CImageItem::CImageItem(IImageItemHost* host, int kind, std::string path, std::string displayName)
    : CImageItem(host, nullptr, kind, std::move(path)) {
  displayNameOverride_ = std::move(displayName);
}

CImageItem::~CImageItem() = default;

LONG CImageItem::AddRef() { return platform::InterlockedIncrement(refCount_); }

LONG CImageItem::Release() {
  LONG count = platform::InterlockedDecrement(refCount_);
  if (count == 0) delete this;
  return count;
}

void CImageItem::SetSourcePath(std::string sourcePath) {
  converted_ = true;
  sourcePath_ = std::move(sourcePath);
}

std::string CImageItem::DisplayName() const {
  if (!displayNameOverride_.empty()) return displayNameOverride_;
  std::string name = item_paths::FileNameOf(converted_ ? sourcePath_ : path_);
  return name.substr(0, name.find('.'));
}

int CImageItem::ImageType() const { return item_paths::ImageTypeFromPath(path_); }

void CImageItem::SetBoxSize(int width, int height) {
  boxWidth_ = width;
  boxHeight_ = height;
}

platform::RECT CImageItem::ThumbnailRect() const {
  if (cell_.right <= cell_.left || cell_.bottom <= cell_.top) return platform::RECT{};
  LONG left = cell_.left + (cell_.right - cell_.left - boxWidth_) / 2;
  LONG top = cell_.top + boxTop_;
  return platform::RECT{left, top, left + boxWidth_, top + boxHeight_};
}

bool CImageItem::NeedsAnimation() const {
  bool hovered = (flags_ & kHovered) != 0;
  return hovered ? hoverStep_ <= kMaxHoverStep - 1 : hoverStep_ > 0;
}

// --- Thumbnail -----------------------------------------------------------------

bool CImageItem::HasThumbnail() const { return Thumbnail() != nullptr; }

std::shared_ptr<const Picture> CImageItem::Thumbnail() const { return thumbnail_.load(); }

void CImageItem::FreeThumbnail() { SetThumbnail(nullptr); }

void CImageItem::SetThumbnail(std::shared_ptr<const Picture> thumbnail) {
  thumbnail_.store(std::move(thumbnail));
}

std::string CImageItem::PictureSource() const {
  if (host_) {
    if (std::optional<std::string> copy = host_->FindEditedCopy(path_)) return *copy;
  }
  return path_;
}

void CImageItem::FitIntoBox(int width, int height, int box, int* fittedWidth, int* fittedHeight) {
  *fittedWidth = width;
  *fittedHeight = height;
  if (width <= box && height <= box) return;
  double rw = static_cast<double>(width) / box;
  double rh = static_cast<double>(height) / box;
  if (rh < rw) {
    *fittedWidth = box;
    *fittedHeight = static_cast<int>(height / rw);
  } else {
    *fittedWidth = static_cast<int>(width / rh);
    *fittedHeight = box;
  }
  // NOTE: a picture far wider than tall would truncate to 0 pixels, and a
  // canvas of 0 pixels fails; one pixel keeps such pictures listable.
  if (*fittedWidth < 1) *fittedWidth = 1;
  if (*fittedHeight < 1) *fittedHeight = 1;
}

bool CImageItem::MakeThumbnail() {
  if (!FileExists(path_)) return false;
  std::string source = PictureSource();
  int type = item_paths::ImageTypeFromPath(source);
  if (type == kImageUnknown) return false;
  if (LoadCachedThumbnail()) return true;

  Picture picture;
  if (!picture.LoadFromFile(source, type)) return false;
  sourceWidth_ = picture.Width();
  sourceHeight_ = picture.Height();
  FreeThumbnail();
  int width = 0, height = 0;
  FitIntoBox(picture.Width(), picture.Height(), kThumbnailArea, &width, &height);
  auto thumbnail = std::make_shared<Picture>(type);
  if (!picture.ShrinkOntoCanvas(width, height, CanvasColour{255, 255, 255}, thumbnail.get())) return false;
  thumbnail->SetType(type);
  SetThumbnail(std::move(thumbnail));
  // A thumbnail that cannot be cached is still shown.
  SaveThumbnailToCache();
  return true;
}

bool CImageItem::LoadCachedThumbnail() {
  std::string source = PictureSource();
  int type = item_paths::ImageTypeFromPath(source);
  std::string cache = item_paths::ThumbnailCachePath(source);
  if (type == kImageUnknown || cache.empty() || !FileExists(cache)) return false;
  fs::file_time_type cacheTime, sourceTime;
  if (!ModificationTime(cache, &cacheTime) || !ModificationTime(source, &sourceTime)) return false;
  if (cacheTime < sourceTime) return false;
  FreeThumbnail();
  auto thumbnail = std::make_shared<Picture>(type);
  if (!thumbnail->LoadFromFile(cache, type) || !thumbnail->HasPixels()) return false;
  SetThumbnail(std::move(thumbnail));
  return true;
}

bool CImageItem::SaveThumbnailToCache() {
  std::shared_ptr<const Picture> thumbnail = Thumbnail();
  if (!thumbnail || !thumbnail->HasPixels()) return false;
  std::string source = PictureSource();
  int type = item_paths::ImageTypeFromPath(source);
  std::string cache = item_paths::ThumbnailCachePath(source);
  if (cache.empty() || !EnsureFolder(item_paths::ThumbnailFolder())) return false;
  std::error_code error;
  if (fs::exists(cache, error) && !fs::remove(cache, error)) return false;
  fs::file_time_type sourceTime;
  if (!ModificationTime(source, &sourceTime)) return false;
  Picture copy(*thumbnail);
  if (!copy.SaveToFile(cache, type)) {
    // NOTE: a half-written entry would carry a current time; it must not stay.
    fs::remove(cache, error);
    return false;
  }
  fs::last_write_time(cache, sourceTime, error);
  if (error) fs::remove(cache, error);
  return !error;
}

// --- Editing and the queue -------------------------------------------------------

bool CImageItem::Rotate(bool right) {
  std::string edited = item_paths::EditedCopyPath(path_);
  if (edited.empty()) return false;
  std::string source = path_;
  if (host_) {
    if (std::optional<std::string> copy = host_->FindEditedCopy(path_)) {
      if (FileExists(*copy))
        source = *copy;
      else
        host_->ForgetEditedCopy(path_);
    }
  }
  int type = item_paths::ImageTypeFromPath(source);
  if (type == kImageUnknown) return false;
  Picture picture;
  if (!picture.LoadFromFile(source, type)) return false;
  if (!(right ? picture.TurnRight() : picture.TurnLeft())) return false;
  if (!EnsureFolder(item_paths::EditedCopyFolder())) return false;
  // Written beside the copy and renamed over it, so that a failed write leaves
  // the previous edit (which the map may name) intact.
  std::string partial = edited + ".partial";
  std::error_code error;
  if (!picture.SaveToFile(partial, type)) {
    fs::remove(partial, error);
    return false;
  }
  fs::rename(partial, edited, error);
  if (error) {
    fs::remove(partial, error);
    return false;
  }
  fs::remove(item_paths::ThumbnailCachePath(edited), error);
  if (host_) {
    host_->SetEditedCopy(path_, edited);
    host_->OnPictureEdited(path_);
  }
  FreeThumbnail();
  if (host_) host_->RequestThumbnail(this);
  return true;
}

uint32_t CImageItem::RefreshQueuedFlag() {
  if (host_ && host_->IsQueued(path_))
    flags_ |= kQueued;
  else
    flags_ &= ~kQueued;
  return flags_;
}

bool CImageItem::AddToQueue() {
  if (!host_) return false;
  if (!host_->IsQueued(path_)) {
    if (!host_->Enqueue(path_, DisplayName())) return false;
    host_->RepaintQueueViews();
  }
  return host_->IsQueued(path_);
}

bool CImageItem::RemoveFromQueue() {
  if (host_ && host_->IsQueued(path_)) {
    host_->Dequeue(path_);
    host_->RepaintQueueViews();
  }
  return true;
}
