// The album service as the control's windows and the command-line uploader
// use it: each request built from the session, sent by its carrier, and its
// answer read and written back into the session.
//
// Background requests run on a simple HTTP request task: Start... starts the
// task, which posts message 0x1401 to the given window when done; the
// window's handler then calls the matching Finish..., which waits for the
// task's thread and reads the answer. The synchronous forms run the same
// request on the calling thread. The keyword checks always block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/request/HttpRequestTask.h"
#include "control/protocol/AlbumAnswers.h"
#include "control/protocol/KeywordCheck.h"
#include "platform/window/WindowTypes.h"

class CSessionState;

namespace album_protocol {

using common::CHttpRequestTask;

// Posted by a request task to its window when the request has finished.
inline constexpr UINT kRequestDoneMessage = CHttpRequestTask::kCompletionMessage;

class CAlbumServiceClient {
 public:
  // Reads and writes `session`, which must outlive the client.
  explicit CAlbumServiceClient(CSessionState* session);

  // --- Background requests (0 when started, -1 when the task is busy) --------

  // Stores the password, marks the session as logging in, sends the login.
  int StartLogin(CHttpRequestTask* task, HWND window, const std::string& name, const std::string& password);
  // Reads the login answer; a success fills the session (name as login name).
  LoginAnswer FinishLogin(CHttpRequestTask* task, const std::string& name);

  // Asks for the user's album list.
  int StartAlbumList(CHttpRequestTask* task, HWND window);
  // Reads the album list; a list with albums is kept as the cached album list.
  AlbumListAnswer FinishAlbumList(CHttpRequestTask* task);

  // Asks for the user's quota.
  int StartQuota(CHttpRequestTask* task, HWND window);
  // Reads the quota; its limits go into the session.
  QuotaAnswer FinishQuota(CHttpRequestTask* task);

  // Asks for one album's information.
  int StartAlbumInfo(CHttpRequestTask* task, HWND window, std::string_view album_id);
  // The album's picture count (0 without a good answer).
  std::int32_t FinishAlbumInfo(CHttpRequestTask* task);

  // Asks for a new album; the password counts only for a protected album.
  int StartCreateAlbum(CHttpRequestTask* task, HWND window, std::string_view name,
                       std::string_view description, bool password_protected, std::string_view password);
  // Reads the creation answer.
  CreateAlbumAnswer FinishCreateAlbum(CHttpRequestTask* task);

  // --- The same requests, synchronously ---------------------------------------

  LoginAnswer Login(const std::string& name, const std::string& password);
  AlbumListAnswer AlbumList();
  QuotaAnswer Quota();
  std::int32_t AlbumPictureCount(std::string_view album_id);
  CreateAlbumAnswer CreateAlbum(std::string_view name, std::string_view description, bool password_protected,
                                std::string_view password);

  // --- Keyword checks -----------------------------------------------------------

  // The tag text as typed, checked as one keyword.
  KeywordVerdict CheckTags(std::string_view tag_text) const;
  // The name and description of a new album.
  KeywordVerdict CheckAlbumName(std::string_view name, std::string_view description) const;

 private:
  // The finished task's answer: whether it had status 200, and its body.
  struct TaskAnswer {
    bool status_ok = false;
    std::string body;
  };

  int Start(CHttpRequestTask* task, HWND window, const std::string& url) const;
  static TaskAnswer Finish(CHttpRequestTask* task);
  TaskAnswer RunNow(const std::string& url) const;
  void BeginLogin(const std::string& password);
  AlbumListAnswer KeepAlbumList(const TaskAnswer& answer);
  QuotaAnswer ApplyQuota(const TaskAnswer& answer);

  CSessionState* session_;
};

}  // namespace album_protocol
