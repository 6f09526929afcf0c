// Paths of every endpoint the service answers, one place for all of them.
#pragma once

namespace albumservice::paths {

inline constexpr const char* kLogin = "/apis/client/client_login.php";
inline constexpr const char* kUpload = "/interface/pic_upload.php";
inline constexpr const char* kRegister = "/upload/upload_receive.php";
inline constexpr const char* kQuota = "/apis/client/client_get_photoinfo.php";
// Album list and album information share this path; a "ctgid" key asks for one album.
inline constexpr const char* kAlbums = "/apis/client/client_get_ctginfo.php";
inline constexpr const char* kCreateAlbum = "/apis/client/client_create_ctg.php";
inline constexpr const char* kTagCheck = "/interface/check_key_word.php";
inline constexpr const char* kNameCheck = "/apis/client/client_keyword.php";
inline constexpr const char* kAlbumPage = "/list/photo_b.php";
inline constexpr const char* kSingleSignOn = "/interface/authsso.php";
inline constexpr const char* kAccount = "/hd/reg.php";
inline constexpr const char* kPasswordRecovery = "/getpass.html";
inline constexpr const char* kTagHelp = "/lm/help/2009/photo.html";
inline constexpr const char* kHelp = "/help.php";
inline constexpr const char* kPhotos = "/photos/";

inline constexpr const char* kUpdateConfig = "/client/client_updateinfo.cfg";
inline constexpr const char* kHostUpdateInfo = "/client/host_updateinfo.xml";
inline constexpr const char* kDownloads = "/download/";
inline constexpr const char* kCrashSignal = "/apis/client/fail.gif";

inline constexpr const char* kTestFault = "/_test/fault";
inline constexpr const char* kTestClear = "/_test/clear";
inline constexpr const char* kTestStats = "/_test/stats";
inline constexpr const char* kTestWords = "/_test/words";

}  // namespace albumservice::paths
