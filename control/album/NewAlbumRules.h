// The rules of the new-album window: the length limits of name and
// description (in code-page bytes), the note on what is left to type, and the
// checks made before anything is sent.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace album_rules {

// Longest album name, in code-page bytes (25 Chinese characters).
inline constexpr size_t kAlbumNameLimit = 50;
// Longest album description, in code-page bytes (250 Chinese characters).
inline constexpr size_t kAlbumDescriptionLimit = 500;
// Longest album password, in characters (the password field holds no more).
inline constexpr size_t kAlbumPasswordMaxChars = 16;

inline constexpr const char* kNotLoggedInText = "用户尚未登录！";
inline constexpr const char* kNameMissingText = "请输入专辑名称！";
inline constexpr const char* kNameTooLongFormat = "抱歉,专辑名称不能超过%d个字符(%d个汉字)。";
inline constexpr const char* kDescriptionTooLongFormat = "抱歉,专辑描述不能超过%d个字符(%d个汉字)。";
inline constexpr const char* kPasswordMissingText = "请输入加密专辑的密码！";

// The note beside an edit: what is left of `limit` after `text`, or the whole
// limit for an empty text.
std::string RemainingLengthNote(std::string_view text, size_t limit);

// Which field a new-album problem concerns (the window focuses it).
enum class NewAlbumField { kNone, kName, kDescription, kPassword };

// A problem with the new album's values; an empty message means none.
struct NewAlbumProblem {
  NewAlbumField field = NewAlbumField::kNone;
  std::string message;
};

// The values of a new album as typed.
struct NewAlbumInput {
  std::string name;  // trimmed by the check
  std::string description;
  bool passwordProtected = false;
  std::string password;
};

// Checks the values in the window's order: name present and short enough,
// description short enough, a password for a protected album.
NewAlbumProblem CheckNewAlbum(const NewAlbumInput& input);

}  // namespace album_rules
