// CHttpPostStatT: progress statistics of one multipart upload (post context).
// Every accessor fails while the statistics are inactive; the counting
// operations check before they change anything and refuse to overflow.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "http/HttpClientException.h"

namespace Corvo {

template <typename HttpTool>
class CHttpPostStatT {
 public:
  bool IsActive() const { return active_; }
  uint32_t ActualTotalByte() const { return Checked("ActualTotalByte", actualTotal_); }
  uint32_t ActualPostedByte() const { return Checked("ActualPostedByte", actualPosted_); }
  uint32_t TotalByte() const { return Checked("TotalByte", total_); }
  uint32_t PostedByte() const { return Checked("PostedByte", posted_); }
  uint32_t TotalCount() const { return Checked("TotalCount", totalCount_); }
  uint32_t PostedCount() const { return Checked("PostedCount", postedCount_); }
  uint32_t FileCount() const { return Checked("FileCount", fileCount_); }
  uint32_t PostedFileCount() const { return Checked("PostedFileCount", postedFileCount_); }
  // Name of the current parameter (none before the first one begins).
  const char* CurrParam() const {
    Test("CurrParam");
    return currParam_ ? currParam_->c_str() : nullptr;
  }
  // Path of the current parameter when it is a file, else none.
  const char* CurrFile() const {
    Test("CurrFile");
    return currFile_ ? currFile_->c_str() : nullptr;
  }
  uint32_t CurrParamTotalByte() const { return Checked("CurrParamTotalByte", currTotal_); }
  uint32_t CurrParamPostedByte() const { return Checked("CurrParamPostedByte", currPosted_); }
  uint32_t CurrParamRemainByte() const { return Checked("CurrParamRemainByte", currTotal_ - currPosted_); }
  bool CurrParamIsFile() const {
    Test("CurrParamIsFile");
    return currFile_.has_value();
  }
  bool CurrParamIsComplete() const {
    Test("CurrParamIsComplete");
    return currTotal_ == currPosted_;
  }

  // Internal operations of the upload context.
  void _Activate(uint32_t actualTotal, uint32_t total, uint32_t totalCount, uint32_t fileCount) {
    _Clear();
    active_ = true;
    actualTotal_ = actualTotal;
    total_ = total;
    totalCount_ = totalCount;
    fileCount_ = fileCount;
  }
  void _StartNewEntry(const char* name, uint32_t length, bool isFile, const char* path) {
    Test("_TestStartNewEntry");
    uint32_t postedCount = HttpTool::AddChecked(postedCount_, 1);
    uint32_t postedFiles = isFile ? HttpTool::AddChecked(postedFileCount_, 1) : postedFileCount_;
    std::optional<std::string> newName = name ? std::optional<std::string>(name) : std::nullopt;
    std::optional<std::string> newFile =
        isFile ? std::optional<std::string>(path ? path : "") : std::optional<std::string>();
    postedCount_ = postedCount;
    postedFileCount_ = postedFiles;
    currParam_ = std::move(newName);
    currFile_ = std::move(newFile);
    currTotal_ = length;
    currPosted_ = 0;
  }
  void _AddPostedBytes(uint32_t n) {
    Test("_TestAddPostedBytes");
    uint32_t posted = HttpTool::AddChecked(posted_, n);
    uint32_t current = HttpTool::AddChecked(currPosted_, n);
    uint32_t actual = HttpTool::AddChecked(actualPosted_, n);
    posted_ = posted;
    currPosted_ = current;
    actualPosted_ = actual;
  }
  void _AddActualPostedBytes(uint32_t n) {
    Test("_TestAddActualPostedBytes");
    actualPosted_ = HttpTool::AddChecked(actualPosted_, n);
  }
  // The checks of the counting operations, without changing anything.
  void _TestAddPostedBytes(uint32_t n) const {
    Test("_TestAddPostedBytes");
    HttpTool::AddChecked(posted_, n);
    HttpTool::AddChecked(currPosted_, n);
    HttpTool::AddChecked(actualPosted_, n);
  }
  void _TestAddActualPostedBytes(uint32_t n) const {
    Test("_TestAddActualPostedBytes");
    HttpTool::AddChecked(actualPosted_, n);
  }
  void _Clear() noexcept { *this = CHttpPostStatT(); }

 private:
  void Test(const char* accessor) const {
    if (!active_)
      ThrowArgumentError(
          (std::string("CHttpPostStatT::") + accessor + ": The post context is not active.").c_str());
  }
  uint32_t Checked(const char* accessor, uint32_t value) const {
    Test(accessor);
    return value;
  }

  bool active_ = false;
  uint32_t actualTotal_ = 0;
  uint32_t actualPosted_ = 0;
  uint32_t total_ = 0;
  uint32_t posted_ = 0;
  uint32_t totalCount_ = 0;
  uint32_t postedCount_ = 0;
  uint32_t fileCount_ = 0;
  uint32_t postedFileCount_ = 0;
  std::optional<std::string> currParam_;
  std::optional<std::string> currFile_;
  uint32_t currTotal_ = 0;
  uint32_t currPosted_ = 0;
};

}  // namespace Corvo
