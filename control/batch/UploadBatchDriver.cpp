#include "control/batch/UploadBatchDriver.h"

#include <filesystem>
#include <system_error>

#include "control/batch/BatchTexts.h"
#include "control/items/ImageItem.h"
#include "control/items/ImageItemHost.h"
#include "control/protocol/AlbumMessages.h"
#include "control/upload/PictureConversion.h"
#include "control/upload/UploadJob.h"
#include "platform/window/TickClock.h"

namespace upload_batch {
namespace {

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool IsTemporaryConversion(const std::string& path) {
  return path.find(upload::kTemporaryPrefix) != std::string::npos;
}

void DeleteFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

}  // namespace

CUploadBatchDriver::CUploadBatchDriver(const CSessionState& session, IImageItemHost* host,
                                       IUploadJobSink& sink, IUploadBatchView& view, BatchSettings settings)
    : session_(session),
      host_(host),
      sink_(sink),
      view_(view),
      settings_(std::move(settings)),
      prepare_(&upload::PrepareUpload),
      ticks_(&platform::GetTickCount64),
      remainingCapacity_(settings_.photoLimit) {
  uploadBatch_.albumId = settings_.albumId;
  uploadBatch_.tags = settings_.tags;
  uploadBatch_.keepOriginal = settings_.keepOriginal;
}

CUploadBatchDriver::~CUploadBatchDriver() {
  if (currentIndex_ >= 0) {
    CImageItem* item = batch_[static_cast<size_t>(currentIndex_)].item;
    if (IsTemporaryConversion(item->Path())) DeleteFile(item->Path());
  }
  if (currentJob_) currentJob_->Release();
  for (Entry& entry : batch_) entry.item->Release();
}

int CUploadBatchDriver::ApplyAlbumPictureCount(int albumPictures) {
  int64_t left = static_cast<int64_t>(settings_.photoLimit) - albumPictures;
  remainingCapacity_ = left > 0 ? static_cast<int>(left) : 0;
  return remainingCapacity_;
}

BatchStart CUploadBatchDriver::Begin(int albumPictures, const std::vector<QueuedPicture>& queue) {
  if (ApplyAlbumPictureCount(albumPictures) == 0) return BatchStart::kAlbumFull;
  return Start(queue);
}

std::string CUploadBatchDriver::ResolvePath(const std::string& queuedPath) {
  if (!host_) return queuedPath;
  std::optional<std::string> copy = host_->FindEditedCopy(queuedPath);
  if (!copy) return queuedPath;
  if (FileExists(*copy)) return *copy;
  host_->ForgetEditedCopy(queuedPath);
  return queuedPath;
}

BatchStart CUploadBatchDriver::Start(const std::vector<QueuedPicture>& queue) {
  // NOTE: the whole batch is taken (and the capacity question answered)
  // before the first job goes out, so that "No" never leaves a picture
  // uploading while the question is on screen.
  for (const QueuedPicture& queued : queue) {
    if (static_cast<int>(batch_.size()) >= remainingCapacity_) {
      if (!view_.AskUploadFirst(remainingCapacity_, CapacityQuestion(remainingCapacity_))) {
        return BatchStart::kDeclined;
      }
      break;
    }
    auto* item = new CImageItem(host_, CImageItem::kQueueItem, ResolvePath(queued.path), queued.displayName);
    batch_.push_back({item, queued.path});
    totalBytes_ += item->FileSize();
  }
  if (batch_.empty()) return BatchStart::kEmpty;
  currentNumber_ = 1;
  startTick_ = ticks_();
  Submit(0);
  return BatchStart::kStarted;
}

void CUploadBatchDriver::Submit(size_t index) {
  currentIndex_ = static_cast<int>(index);
  CImageItem* item = batch_[index].item;
  upload::PreparedUpload prepared;
  int status = prepare_(*item, uploadBatch_, session_, &prepared);
  // The job holds its own reference on the item.
  auto* job = new CUploadJob(item, prepared.uploadUrl, prepared.registrationUrl);
  job->AddRef();
  currentJob_ = job;
  view_.OnPictureStarted(*item, currentNumber_, PictureCount());
  if (status != 0) {
    FailWithoutTransfer(job, FileExists(item->Path()) ? kUnreadablePictureText : kMissingPictureText);
  } else if (!sink_.Submit(job)) {
    FailWithoutTransfer(job, album_protocol::kUnknownUploadText);
  }
}

void CUploadBatchDriver::FailWithoutTransfer(CUploadJob* job, const std::string& text) {
  job->SetErrorText(text);
  if (sink_.ReportFailed(job)) return;
  // Nobody will report it: take the failure at once.
  OnJobFailed(job);
}

int CUploadBatchDriver::EntryOf(const CUploadJob* job) const {
  for (size_t i = 0; i < batch_.size(); ++i) {
    if (batch_[i].item == job->Item()) return static_cast<int>(i);
  }
  return -1;
}

void CUploadBatchDriver::ForgetJob(const CUploadJob* job) {
  if (job != currentJob_) return;
  currentJob_->Release();
  currentJob_ = nullptr;
}

void CUploadBatchDriver::AddFailure(const Entry& entry, const std::string& reason) {
  BatchFailure failure{entry.queuedPath, entry.item->DisplayName(), reason};
  summary_.failures.push_back(failure);
  view_.OnPictureFailed(failure);
}

void CUploadBatchDriver::OnJobDone(CUploadJob* job) {
  int index = EntryOf(job);
  ForgetJob(job);
  if (cancelled_ || finished_ || index < 0) {
    job->Release();
    return;
  }
  Entry& entry = batch_[static_cast<size_t>(index)];
  uploadedBytes_ += entry.item->FileSize();
  bool exhausted = settings_.keepOriginal && static_cast<int64_t>(uploadedBytes_) >= settings_.freeSpace;
  if (IsTemporaryConversion(entry.item->Path())) DeleteFile(entry.item->Path());
  if (host_) host_->Dequeue(entry.queuedPath);
  view_.OnPictureUploaded(*entry.item);
  ++currentNumber_;
  if (exhausted) ExhaustSpace();
  job->Release();
  SubmitNextOrComplete();
}

void CUploadBatchDriver::ExhaustSpace() {
  for (int number = currentNumber_; number <= PictureCount(); ++number) {
    Entry& entry = batch_[static_cast<size_t>(number - 1)];
    if (host_) host_->Dequeue(entry.queuedPath);
    AddFailure(entry, kNoSpaceText);
  }
  summary_.spaceExhausted = currentNumber_ <= PictureCount();
  currentNumber_ = PictureCount() + 1;
}

void CUploadBatchDriver::OnJobFailed(CUploadJob* job) {
  int index = EntryOf(job);
  ForgetJob(job);
  if (cancelled_ || finished_ || index < 0) {
    job->Release();
    return;
  }
  Entry& entry = batch_[static_cast<size_t>(index)];
  if (IsTemporaryConversion(entry.item->Path())) {
    DeleteFile(entry.item->Path());
    entry.item->SetPath(entry.item->SourcePath());
  }
  AddFailure(entry, job->ErrorText());
  ++currentNumber_;
  view_.ShowStatus(job->ErrorText(), StatusTone::kNormal);
  job->Release();
  SubmitNextOrComplete();
}

void CUploadBatchDriver::SubmitNextOrComplete() {
  if (cancelled_) return;
  if (currentNumber_ <= PictureCount()) {
    Submit(static_cast<size_t>(currentNumber_ - 1));
    return;
  }
  Complete();
}

void CUploadBatchDriver::OnProgress(uint64_t postedBytes) {
  if (cancelled_ || finished_ || currentIndex_ < 0) return;
  uint64_t elapsed = ticks_() - startTick_;
  BatchProgress progress = ComputeProgress(uploadedBytes_, postedBytes, totalBytes_, elapsed);
  const CImageItem& item = *batch_[static_cast<size_t>(currentIndex_)].item;
  view_.OnProgress(item, progress);
  view_.ShowStatus(kUploadingPrefix + item.DisplayName(), StatusTone::kBusy);
}

void CUploadBatchDriver::Cancel() {
  if (cancelled_ || finished_) return;
  cancelled_ = true;
  // NOTE: no extra reference is taken for the cancel: the dispatcher does
  // not release one, and the driver still holds its own until the end.
  if (currentJob_) sink_.CancelTransfers();
}

void CUploadBatchDriver::Complete() {
  finished_ = true;
  summary_.pictures = PictureCount();
  summary_.succeeded = summary_.pictures - static_cast<int>(summary_.failures.size());
  summary_.text = SummaryText(summary_.pictures, static_cast<int>(summary_.failures.size()));
  view_.ShowStatus(summary_.text, summary_.failures.empty() ? StatusTone::kNormal : StatusTone::kError);
  view_.OnBatchFinished(summary_);
}

}  // namespace upload_batch
