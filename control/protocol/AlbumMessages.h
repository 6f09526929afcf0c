// The words the user sees when an answer of the album service is bad, one
// constant per failure. Texts with "%s" take the server's message (or a fixed
// reason) through FormatServiceMessage.
#pragma once

#include <string>
#include <string_view>

namespace album_protocol {

// Login: any answer that is neither a success nor "album not activated".
inline constexpr const char* kLoginRejectedText = "用户登录失败。请确认用户名密码是否正确。";
// Login: a "succ" answer without exactly four fields.
inline constexpr const char* kLoginServerErrorText = "登录时出现错误，请稍后再试！";
// Login: the album is not activated; the question asked first.
inline constexpr const char* kActivateAlbumQuestion = "用户的相册尚未启用。是否要激活相册功能？";
// Login: the album is not activated; the status line afterwards.
inline constexpr const char* kAlbumNotActivatedText = "用户的相册尚未启用。";

// Album list: an "-ERROR" answer, with the server's message.
inline constexpr const char* kAlbumListErrorFormat = "获取专辑列表失败!(Error:%s)";
// Album list: no status 200.
inline constexpr const char* kAlbumListNetworkText = "网络异常,获取专辑列表失败!";
// Album list: the user has no album yet.
inline constexpr const char* kAlbumListEmptyQuestion = "专辑列表为空，需要创建一个专辑。是否创建专辑。";

// Tag keyword check refused.
inline constexpr const char* kTagRefusedText = "抱歉，标签添加失败！建议您对填写内容进行适当修改";
// Album information: the album is full.
inline constexpr const char* kAlbumFullText = "本相册已经达到最大照片数目，不能继续上传！";

// Upload: count not "1" or no receipt.
inline constexpr const char* kUploadFailedText = "上传到图片服务时发生错误！";
// Registration: not "+OK".
inline constexpr const char* kRegistrationFailedText = "更新相册服务时发生错误！";
// Upload or registration: the picture file vanished (platform error 2).
inline constexpr const char* kPictureMissingText = "在上传过程中，您可能在本地编辑或删除了此图片";
// Upload or registration: any other failure of the HTTP client.
inline constexpr const char* kNetworkUploadText = "网络不通畅，可尝试重新上传";
// Upload or registration: anything else.
inline constexpr const char* kUnknownUploadText = "上传时发生未知错误。";

// Album-name keyword check refused.
inline constexpr const char* kAlbumNameRefusedText = "抱歉，新建专辑失败！建议您对填写内容进行适当修改";
// Album creation failed, with the server's message or kRequestFailedReason.
inline constexpr const char* kCreateAlbumErrorFormat = "创建专辑失败！(Error:%s)";
// Album creation: the reason given when there was no status 200.
inline constexpr const char* kRequestFailedReason = "请求服务器失败！";

// Replaces the one "%s" of `format` with `message`. The message is inserted as
// it stands, so a '%' inside it cannot act as a format directive.
std::string FormatServiceMessage(std::string_view format, std::string_view message);

}  // namespace album_protocol
