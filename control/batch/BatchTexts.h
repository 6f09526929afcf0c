// The words of an upload batch: the capacity question, the per-picture
// failure texts of the batch driver, and the summary at the end.
#pragma once

#include <string>

namespace upload_batch {

inline constexpr const char* kLoadingAlbumText = "正在获取专辑信息...";
inline constexpr const char* kAlbumFullText = "本相册已经达到最大照片数目，不能继续上传！";
inline constexpr const char* kNoPicturesText = "没有选择上传照片！";
// Asked when the album cannot take the whole queue; both numbers are the remaining capacity.
inline constexpr const char* kCapacityQuestionFormat =
    "相册还允许上传%d张照片，需要上传的照片数量超过了其容量。\r\n\r\n点击“是”上传队列前面的%"
    "d张照片；点击\"否\"取消本次上传。";
// A picture that could not be prepared although its file exists.
inline constexpr const char* kUnreadablePictureText = "无法访问文件(可能是源文件已损坏)";
// A picture whose file is gone.
inline constexpr const char* kMissingPictureText = "在上传过程中，您可能在本地编辑或删除了此图片";
// Every picture after the one that used up the month's space.
inline constexpr const char* kNoSpaceText = "存储空间不足。";
inline constexpr const char* kUploadingPrefix = "正在上传照片 ";
inline constexpr const char* kAllDoneText = "所有文件上传完毕。";
inline constexpr const char* kSomeFailedFormat = "上传成功%d个文件，失败%d个文件。";
inline constexpr const char* kAllFailedText = "上传失败!";
inline constexpr const char* kShowErrorsQuestion = "查看详细错误信息";

// The capacity question for `remaining` pictures.
std::string CapacityQuestion(int remaining);

// The summary of a finished batch of `pictures` with `failures` failures.
std::string SummaryText(int pictures, int failures);

}  // namespace upload_batch
