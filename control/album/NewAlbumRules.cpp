#include "control/album/NewAlbumRules.h"

#include <cstdio>

#include "control/album/TextRules.h"

namespace album_rules {
namespace {

// Fills a format with two numbers. The formats are our own constants.
std::string FormatTwo(const char* format, size_t first, size_t second) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, static_cast<int>(first), static_cast<int>(second));
  return buffer;
}

}  // namespace

std::string RemainingLengthNote(std::string_view text, size_t limit) {
  if (text.empty()) return FormatTwo("最多可输入 %d 个汉字或者 %d 个字符。", limit / 2, limit);
  size_t used = FitToCodePageLimit(text, limit).units;
  size_t left = limit - used;
  return FormatTwo("还可以输入 %d 个汉字或者 %d 个字符。", left / 2, left);
}

NewAlbumProblem CheckNewAlbum(const NewAlbumInput& input) {
  std::string_view name = TrimBlanks(input.name);
  if (name.empty()) return {NewAlbumField::kName, kNameMissingText};
  if (CodePageLength(name) > kAlbumNameLimit) {
    return {NewAlbumField::kName, FormatTwo(kNameTooLongFormat, kAlbumNameLimit, kAlbumNameLimit / 2)};
  }
  if (CodePageLength(input.description) > kAlbumDescriptionLimit) {
    return {NewAlbumField::kDescription,
            FormatTwo(kDescriptionTooLongFormat, kAlbumDescriptionLimit, kAlbumDescriptionLimit / 2)};
  }
  if (input.passwordProtected && input.password.empty()) {
    return {NewAlbumField::kPassword, kPasswordMissingText};
  }
  return {};
}

}  // namespace album_rules
