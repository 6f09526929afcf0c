// One picture file as shown in a list and as uploaded: its path, display name,
// size, state flags and thumbnail, with the per-user thumbnail cache and the
// rotation into an edited copy. Shared by reference count between the list
// view that lists it and every pending thumbnail or upload job, on any thread.
//
// The drawing of a cell and the hover buttons belong to the list view code;
// the item keeps the state they read (cell, box, flags, hover step).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "codec/Picture.h"
#include "platform/window/WindowTypes.h"

class CBaseImageListView;
class IImageItemHost;

// A picture item. Created with one reference (the creator's); deleted by the
// Release that drops the last one.
class CImageItem {
 public:
  // Kinds of item.
  static constexpr int kFolderItem = 0;
  static constexpr int kQueueItem = 1;
  // State flags.
  static constexpr uint32_t kSelected = 1;
  static constexpr uint32_t kQueued = 2;
  static constexpr uint32_t kHovered = 8;
  // The thumbnail box and the area a thumbnail is fitted into.
  static constexpr int kBoxSize = 85;
  static constexpr int kBoxTopOffset = 10;
  static constexpr int kThumbnailArea = 83;
  // The hover bar grows in this many steps.
  static constexpr int kMaxHoverStep = 5;

  // A bare item without owner (no edited copies, no queue), as a folder item.
  explicit CImageItem(std::string path = {});
  // An item listed by a list view of the client view's host.
  CImageItem(IImageItemHost* host, CBaseImageListView* listView, int kind, std::string path);
  // An item without list view; a non-empty display name overrides the file name.
  CImageItem(IImageItemHost* host, int kind, std::string path, std::string displayName);
  CImageItem(const CImageItem&) = delete;
  CImageItem& operator=(const CImageItem&) = delete;

  // Takes one more reference; returns the new count.
  virtual LONG AddRef();
  // Drops one reference and deletes the item when it was the last; returns the new count.
  virtual LONG Release();

  // --- Names -----------------------------------------------------------------

  // Full path of the picture file (a temporary converted copy while converted).
  const std::string& Path() const { return path_; }
  // Points the item at another file (the upload preparation's converted copy,
  // or back at the source when a transfer failed).
  void SetPath(std::string path) { path_ = std::move(path); }
  // Marks the item as converted, keeping `sourcePath` as the picture's own path.
  void SetSourcePath(std::string sourcePath);
  // Whether SetSourcePath was called.
  bool IsConverted() const { return converted_; }
  // The picture's own path while converted (empty otherwise).
  const std::string& SourcePath() const { return sourcePath_; }
  // The override when set, else the file name of the path (of the source path
  // while converted) cut before its first '.'.
  std::string DisplayName() const;
  // The picture type from the path's extension.
  int ImageType() const;
  // Size of the picture file in bytes, read at construction.
  uint64_t FileSize() const { return fileSize_; }

  // --- State -----------------------------------------------------------------

  int Kind() const { return kind_; }
  uint32_t Flags() const { return flags_; }
  void SetFlags(uint32_t flags) { flags_ = flags; }
  int HoverStep() const { return hoverStep_; }
  void SetHoverStep(int step) { hoverStep_ = step; }
  // Where the item was last laid out, in view coordinates.
  const platform::RECT& Cell() const { return cell_; }
  void SetCell(const platform::RECT& cell) { cell_ = cell; }
  // The thumbnail box size and its distance from the top of the cell.
  void SetBoxSize(int width, int height);
  void SetBoxTopOffset(int offset) { boxTop_ = offset; }
  // The box inside the cell: centred horizontally, boxTop below the cell's top;
  // empty when the cell is empty.
  platform::RECT ThumbnailRect() const;
  // Whether the hover bar still has to grow or shrink.
  bool NeedsAnimation() const;
  // Size of the decoded picture, known once a thumbnail was made from it
  // (written by the worker thread, read by painting).
  int SourceWidth() const { return sourceWidth_.load(std::memory_order_relaxed); }
  int SourceHeight() const { return sourceHeight_.load(std::memory_order_relaxed); }
  CBaseImageListView* ListView() const { return listView_; }

  // --- Thumbnail -------------------------------------------------------------

  // Whether the item holds a thumbnail.
  virtual bool HasThumbnail() const;
  // The thumbnail (null when none); safe to read while the worker replaces it.
  std::shared_ptr<const Picture> Thumbnail() const;
  // Deletes the thumbnail.
  void FreeThumbnail();
  // Makes the thumbnail (on the worker thread), from the cache when it is
  // current; true when the item has one afterwards.
  virtual bool MakeThumbnail();
  // Takes the thumbnail from the cache when the cache file is not older than
  // the picture; true when that gave a picture.
  bool LoadCachedThumbnail();
  // Writes the thumbnail into the cache with the picture's modification time;
  // false when there is none or any file step failed.
  bool SaveThumbnailToCache();

  // --- Editing and the queue ---------------------------------------------------

  // Turns the picture a quarter clockwise (right) or counter-clockwise into its
  // edited copy, then asks for a new thumbnail. False when nothing changed.
  bool Rotate(bool right);
  // Sets or clears kQueued from the upload queue; returns the flags.
  uint32_t RefreshQueuedFlag();
  // Puts the picture into the upload queue; true when it is there afterwards.
  bool AddToQueue();
  // Takes the picture out of the upload queue; true also when it was not queued.
  bool RemoveFromQueue();

  // The size a picture of w x h gets when fitted into an area of `box` pixels
  // keeping its aspect ratio, never enlarged (and never below one pixel).
  static void FitIntoBox(int width, int height, int box, int* fittedWidth, int* fittedHeight);

 protected:
  // Only Release deletes an item.
  virtual ~CImageItem();

 private:
  // The file the picture is read from: its edited copy when one is recorded.
  std::string PictureSource() const;
  void SetThumbnail(std::shared_ptr<const Picture> thumbnail);

  std::string path_;
  IImageItemHost* host_ = nullptr;
  CBaseImageListView* listView_ = nullptr;
  int kind_ = kFolderItem;
  uint32_t flags_ = 0;
  int hoverStep_ = 0;
  bool converted_ = false;
  std::string sourcePath_;
  std::string displayNameOverride_;
  std::atomic<int> sourceWidth_{0};
  std::atomic<int> sourceHeight_{0};
  int boxWidth_ = kBoxSize;
  int boxHeight_ = kBoxSize;
  int boxTop_ = kBoxTopOffset;
  platform::RECT cell_{};
  uint64_t fileSize_ = 0;
  std::atomic<std::shared_ptr<const Picture>> thumbnail_;
  std::atomic<LONG> refCount_{1};
};
