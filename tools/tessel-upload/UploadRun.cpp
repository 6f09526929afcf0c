#include "tools/tessel-upload/UploadRun.h"

#include <filesystem>
#include <system_error>

#include "control/album/AlbumSelection.h"
#include "control/album/NewAlbumRules.h"
#include "control/album/TagRules.h"
#include "control/album/TextRules.h"
#include "control/batch/BatchTexts.h"
#include "control/batch/DispatcherJobSink.h"
#include "control/browse/FolderListing.h"
#include "control/browse/QueueChecks.h"
#include "control/credentials/IUFunction.h"
#include "control/dispatch/TaskDispatchThread.h"
#include "control/items/ImageItem.h"
#include "control/protocol/AlbumMessages.h"
#include "control/protocol/AlbumRequests.h"
#include "control/protocol/KeywordCheck.h"
#include "control/upload/UploadJob.h"
#include "control/upload/UploadTransfer.h"
#include "platform/window/Messaging.h"
#include "tools/tessel-upload/Terminal.h"

namespace tessel_upload {
namespace {

// Shown by the login window for empty fields.
constexpr const char* kNameMissingText = "请填写登录名";
constexpr const char* kPasswordMissingText = "请填写密码";
// The album window's texts for a missing choice and an empty queue.
constexpr const char* kNoAlbumChosenText = "没有选择相册！";
constexpr const char* kNoPicturesChosenText = "没有选择需要上传的图片！";

size_t CharacterCount(std::string_view utf8) {
  size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

std::string SkipReason(folder_browse::ListingVerdict verdict, const std::string& path, bool keepOriginal) {
  using folder_browse::ListingVerdict;
  std::error_code error;
  switch (verdict) {
    case ListingVerdict::kWrongExtension:
      return keepOriginal ? "with --keep-original only .jpg, .png and .gif pictures are taken"
                          : "not a picture type the uploader takes";
    case ListingVerdict::kTooLarge:
      return keepOriginal ? "larger than 5 MB (the limit with --keep-original)" : "larger than 100 MB";
    case ListingVerdict::kUnreadable:
      return std::filesystem::exists(path, error) ? "cannot be read" : "no such file";
    case ListingVerdict::kListed:
      break;
  }
  return std::string();
}

}  // namespace

CUploadRun::CUploadRun(UploadOptions options, CEventOutput& output, CInterruptWatcher* watcher)
    : options_(std::move(options)),
      output_(output),
      watcher_(watcher),
      service_(options_.service),
      client_(&session_),
      window_(*this) {
  session_.InitConfig();
  service_.ApplyTo(&session_);
}

CUploadRun::~CUploadRun() { task_.Stop(); }

bool CUploadRun::Fail(const std::string& text, int status) {
  output_.Error(text, status);
  exitStatus_ = status;
  return false;
}

int CUploadRun::Run() {
  bool uploading = !options_.listAlbums && !options_.showQuota;
  if (uploading && !CollectPictures()) return exitStatus_;
  if (!ResolveCredentials()) return exitStatus_;
  if (!window_.Create()) return FailStatus("cannot create the message window", kExitSomeFailed);
  if (watcher_) watcher_->Start(window_.GetSafeHwnd(), WM_UPLOAD_INTERRUPT);
  if (!Login() || !LoadQuota()) return exitStatus_;
  if (options_.showQuota) output_.Quota(quota_, session_.PhotoLimit());
  std::vector<SpecialInfo> albums;
  if (options_.listAlbums) {
    if (!LoadAlbums(&albums)) return exitStatus_;
    output_.AlbumList(albums);
  }
  if (!uploading) return kExitUploaded;
  if (!CheckQueue() || !CheckTags()) return exitStatus_;
  if (options_.createAlbum) {
    if (!CreateAlbum()) return exitStatus_;
  } else if (!LoadAlbums(&albums) || !ChooseAlbum(albums)) {
    return exitStatus_;
  }
  return UploadBatch();
}

bool CUploadRun::CollectPictures() {
  for (const std::string& path : options_.paths) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      std::vector<std::string> pictures = folder_browse::ListFolderPictures(path, options_.keepOriginal);
      if (pictures.empty()) output_.Skipped(path, "the folder holds no picture the uploader takes");
      for (const std::string& picture : pictures) queue_.Enqueue(picture, std::string());
      continue;
    }
    folder_browse::ListingVerdict verdict = folder_browse::CheckPictureFile(path, options_.keepOriginal);
    if (verdict != folder_browse::ListingVerdict::kListed) {
      output_.Skipped(path, SkipReason(verdict, path, options_.keepOriginal));
    } else if (!queue_.Enqueue(path, std::string())) {
      output_.Skipped(path, "given twice");
    }
  }
  if (queue_.Count() == 0) return Fail(kNoPicturesChosenText);
  return true;
}

bool CUploadRun::ResolveCredentials() {
  std::string storedName, storedPassword;
  int autoLogin = 0;
  bool stored = IUFunction::GetUserInfo(&storedName, &storedPassword, &autoLogin) == 1;
  if (options_.user.empty()) options_.user = storedName;
  if (options_.user.empty()) return Fail(std::string(kNameMissingText) + " (-u NAME)");
  if (options_.password) {
    password_ = *options_.password;
  } else if (options_.passwordFromStdin) {
    password_ = ReadLine().value_or(std::string());
  } else if (stored && storedName == options_.user && !storedPassword.empty()) {
    password_ = storedPassword;
  } else if (IsTerminal(stdin)) {
    password_ = ReadPassword("Password for " + options_.user + ": ").value_or(std::string());
  }
  if (password_.empty())
    return Fail(std::string(kPasswordMissingText) + " (-p, --password-stdin or --remember)");
  return true;
}

bool CUploadRun::AwaitRequest() {
  requestDone_ = false;
  platform::RunModalLoop([this] { return !requestDone_ && !interrupted_; });
  if (requestDone_) return true;
  task_.Stop();
  output_.Cancelled();
  exitStatus_ = kExitSomeFailed;
  return false;
}

bool CUploadRun::Login() {
  if (client_.StartLogin(&task_, window_.GetSafeHwnd(), options_.user, password_) != 0) {
    return Fail("cannot start the login request");
  }
  if (!AwaitRequest()) return false;
  album_protocol::LoginAnswer answer = client_.FinishLogin(&task_, options_.user);
  if (answer.outcome != album_protocol::LoginOutcome::kSuccess) {
    return Fail(album_protocol::LoginFailureText(answer.outcome));
  }
  // As the login window with its automatic-login box checked.
  if (options_.remember && IUFunction::SaveUserInfo(options_.user, password_, 1) != 1) {
    output_.Notice("the credentials could not be stored");
  }
  output_.LoggedIn(options_.user, session_.Uid(), session_.NickName());
  return true;
}

bool CUploadRun::LoadQuota() {
  if (client_.StartQuota(&task_, window_.GetSafeHwnd()) != 0) return Fail("cannot start the quota request");
  if (!AwaitRequest()) return false;
  album_protocol::QuotaAnswer answer = client_.FinishQuota(&task_);
  // An answer without figures changes nothing, as in the space panel.
  if (answer.has_data) quota_ = answer;
  return true;
}

bool CUploadRun::LoadAlbums(std::vector<SpecialInfo>* albums) {
  if (client_.StartAlbumList(&task_, window_.GetSafeHwnd()) != 0)
    return Fail("cannot start the album list request");
  if (!AwaitRequest()) return false;
  album_protocol::AlbumListAnswer answer = client_.FinishAlbumList(&task_);
  using album_protocol::AlbumListOutcome;
  if (answer.outcome == AlbumListOutcome::kServiceError ||
      answer.outcome == AlbumListOutcome::kNetworkError) {
    return Fail(answer.message);
  }
  *albums = std::move(answer.albums);
  return true;
}

bool CUploadRun::CheckQueue() {
  int64_t remaining = quota_.remaining_bytes.value_or(0);
  std::string problem = folder_browse::QuotaProblem(remaining);
  uint64_t total = 0;
  for (const upload_batch::QueuedPicture& picture : queue_.Pictures()) {
    if (!problem.empty()) break;
    std::error_code error;
    uint64_t size = std::filesystem::file_size(picture.path, error);
    if (error) size = 0;
    problem = folder_browse::SizeProblem(total, size, session_.PerUploadSizeLimit(), remaining,
                                         options_.keepOriginal);
    total += size;
  }
  if (problem.empty()) problem = folder_browse::SelectionProblem(total);
  return problem.empty() ? true : Fail(problem);
}

bool CUploadRun::CheckTags() {
  album_rules::TagCheck check = album_rules::CheckTagText(options_.tags, [this](std::string_view trimmed) {
    return album_protocol::RunKeywordCheck(service_.Rehost(album_protocol::TagCheckUrl(trimmed)),
                                           album_protocol::kTagCheckAgent);
  });
  switch (check.verdict) {
    case album_rules::TagVerdict::kNoTags:
    case album_rules::TagVerdict::kAccepted:
      return true;
    case album_rules::TagVerdict::kNoResponse:
      return Fail("the tag check got no answer from the service");
    default:
      return Fail(check.message);
  }
}

bool CUploadRun::ChooseAlbum(const std::vector<SpecialInfo>& albums) {
  if (albums.empty()) {
    return Fail(std::string(album_protocol::kAlbumListEmptyQuestion) + " (--create-album NAME)");
  }
  std::optional<size_t> index = options_.albumId ? album_rules::FindAlbumById(albums, *options_.albumId)
                                                 : album_rules::FindAlbumByName(albums, *options_.albumName);
  if (!index) {
    const std::string& wanted = options_.albumId ? *options_.albumId : *options_.albumName;
    return Fail(std::string(kNoAlbumChosenText) + " (no album \"" + wanted + "\"; see --list-albums)");
  }
  album_ = albums[*index];
  session_.SetLastAlbumName(album_.name);
  output_.AlbumChosen(album_, false);
  return true;
}

bool CUploadRun::CreateAlbum() {
  album_rules::NewAlbumInput input{*options_.createAlbum, options_.albumDescription,
                                   options_.albumPassword.has_value(), options_.albumPassword.value_or("")};
  album_rules::NewAlbumProblem problem = album_rules::CheckNewAlbum(input);
  if (!problem.message.empty()) return Fail(problem.message);
  if (CharacterCount(input.password) > album_rules::kAlbumPasswordMaxChars) {
    return Fail("the album password holds at most 16 characters");
  }
  std::string name(album_rules::TrimBlanks(input.name));
  std::string check = service_.Rehost(album_protocol::AlbumNameCheckUrl(session_, name, input.description));
  // A check that gets no answer is skipped, as the new-album window skips it.
  if (album_protocol::RunKeywordCheck(check, album_protocol::kAlbumNameCheckAgent) ==
      album_protocol::KeywordVerdict::kRefused) {
    return Fail(album_protocol::kAlbumNameRefusedText);
  }
  if (client_.StartCreateAlbum(&task_, window_.GetSafeHwnd(), name, input.description,
                               input.passwordProtected, input.password) != 0) {
    return Fail("cannot start the album creation request");
  }
  if (!AwaitRequest()) return false;
  album_protocol::CreateAlbumAnswer answer = client_.FinishCreateAlbum(&task_);
  if (!answer.created) return Fail(answer.message);
  // The new album is found in the next list by its name, newest first.
  session_.SetLastAlbumName(name);
  std::vector<SpecialInfo> albums;
  if (!LoadAlbums(&albums)) return false;
  std::optional<size_t> index = album_rules::FindAlbumByName(albums, name);
  if (!index) return Fail("the new album \"" + name + "\" is missing from the album list");
  album_ = albums[*index];
  output_.AlbumChosen(album_, true);
  return true;
}

std::string CUploadRun::PageUrl() const {
  return album_protocol::AlbumPageUrl(service_.Rehost(album_endpoints::AlbumPageEndpoint()), session_.Uid(),
                                      album_.id);
}

}  // namespace tessel_upload
