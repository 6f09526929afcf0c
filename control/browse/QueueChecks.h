// The checks made when pictures join the upload queue and when a batch
// starts: the month's space, the per-upload size limit and the remaining
// space while pictures go up at full size, and the 100 MB selection limit.
// Each returns the message to show, empty when the check passes.
#pragma once

#include <cstdint>
#include <string>

namespace folder_browse {

// The largest selection one batch may hold (100 MiB).
inline constexpr uint64_t kMaxSelectionBytes = 104857600;

inline constexpr const char* kMonthSpaceFullText =
    "您本月上传空间已满，敬请耐心等待下月的到来，或适当删除一些已上传图片，您便可以继续上传啦！";
inline constexpr const char* kOverUploadLimitFormat =
    "选中的图片总容量%s超过了相册上传限制%s，请试着减少一些上传图片。";
inline constexpr const char* kOverRemainingSpaceFormat =
    "选中的图片总容量%s超过了相册剩余空间%s，请试着减少一些上传图片。";
inline constexpr const char* kOverSelectionLimitFormat =
    "选中的图片总容量%s超过了单次上传上限(100M)，请试着减少一些上传图片。";
inline constexpr const char* kNothingChosenText = "还未选中任何图片。";

// Pictures may be added only while the month's remaining space is above 0.
std::string QuotaProblem(int64_t remainingSpace);

// Whether one more picture of `itemBytes` may join a queue of `queueBytes`.
// Applies only with keep-original on: the total must stay below the per-upload
// limit (when the service gave one) and below the remaining space.
std::string SizeProblem(uint64_t queueBytes, uint64_t itemBytes, uint64_t perUploadLimit,
                        int64_t remainingSpace, bool keepOriginal);

// A batch above 100 MiB is refused when it starts.
std::string SelectionProblem(uint64_t totalBytes);

}  // namespace folder_browse
