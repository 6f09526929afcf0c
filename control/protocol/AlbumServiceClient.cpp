#include "control/protocol/AlbumServiceClient.h"

#include "control/protocol/AlbumRequests.h"
#include "control/session/SessionState.h"

namespace album_protocol {

CAlbumServiceClient::CAlbumServiceClient(CSessionState* session) : session_(session) {}

int CAlbumServiceClient::Start(CHttpRequestTask* task, HWND window, const std::string& url) const {
  if (!task->IsIdle()) return -1;
  task->SetUseProxy(session_->SystemProxy() == 1);
  return task->Start(url.c_str(), window);
}

CAlbumServiceClient::TaskAnswer CAlbumServiceClient::Finish(CHttpRequestTask* task) {
  // The task has posted its message; its thread may still be on its way out.
  task->Stop();
  TaskAnswer answer;
  answer.status_ok = task->GetResult() == CHttpRequestTask::kResultOk;
  if (answer.status_ok) answer.body.assign(task->GetBody(), task->GetBodyLength());
  return answer;
}

CAlbumServiceClient::TaskAnswer CAlbumServiceClient::RunNow(const std::string& url) const {
  CHttpRequestTask task;
  task.SetUseProxy(session_->SystemProxy() == 1);
  task.Run(url.c_str());
  TaskAnswer answer;
  answer.status_ok = task.GetResult() == CHttpRequestTask::kResultOk;
  if (answer.status_ok) answer.body.assign(task.GetBody(), task.GetBodyLength());
  return answer;
}

void CAlbumServiceClient::BeginLogin(const std::string& password) {
  // Until the answer arrives the user counts as logged out.
  session_->SetPassword(password);
  session_->SetAlbumEnabled(0);
}

AlbumListAnswer CAlbumServiceClient::KeepAlbumList(const TaskAnswer& answer) {
  AlbumListAnswer list = ReadAlbumListAnswer(answer.status_ok, answer.body);
  if (list.outcome == AlbumListOutcome::kAlbums) session_->SetCachedAlbumList(answer.body);
  return list;
}

QuotaAnswer CAlbumServiceClient::ApplyQuota(const TaskAnswer& answer) {
  QuotaAnswer quota = ReadQuotaAnswer(answer.status_ok, answer.body);
  ApplyQuotaLimits(quota, session_);
  return quota;
}

int CAlbumServiceClient::StartLogin(CHttpRequestTask* task, HWND window, const std::string& name,
                                    const std::string& password) {
  if (!task->IsIdle()) return -1;
  BeginLogin(password);
  return Start(task, window, LoginUrl(*session_, name, password));
}

LoginAnswer CAlbumServiceClient::FinishLogin(CHttpRequestTask* task, const std::string& name) {
  // A failed request reads as an empty answer: the same words as a wrong password.
  LoginAnswer login = ReadLoginAnswer(Finish(task).body);
  ApplyLoginAnswer(login, name, session_);
  return login;
}

int CAlbumServiceClient::StartAlbumList(CHttpRequestTask* task, HWND window) {
  return Start(task, window, AlbumListUrl(*session_));
}

AlbumListAnswer CAlbumServiceClient::FinishAlbumList(CHttpRequestTask* task) {
  return KeepAlbumList(Finish(task));
}

int CAlbumServiceClient::StartQuota(CHttpRequestTask* task, HWND window) {
  return Start(task, window, QuotaUrl(*session_));
}

QuotaAnswer CAlbumServiceClient::FinishQuota(CHttpRequestTask* task) { return ApplyQuota(Finish(task)); }

int CAlbumServiceClient::StartAlbumInfo(CHttpRequestTask* task, HWND window, std::string_view album_id) {
  return Start(task, window, AlbumInfoUrl(*session_, album_id));
}

std::int32_t CAlbumServiceClient::FinishAlbumInfo(CHttpRequestTask* task) {
  TaskAnswer answer = Finish(task);
  return ReadAlbumPictureCount(answer.status_ok, answer.body);
}

int CAlbumServiceClient::StartCreateAlbum(CHttpRequestTask* task, HWND window, std::string_view name,
                                          std::string_view description, bool password_protected,
                                          std::string_view password) {
  return Start(task, window, CreateAlbumUrl(*session_, name, description, password_protected, password));
}

CreateAlbumAnswer CAlbumServiceClient::FinishCreateAlbum(CHttpRequestTask* task) {
  TaskAnswer answer = Finish(task);
  return ReadCreateAlbumAnswer(answer.status_ok, answer.body);
}

LoginAnswer CAlbumServiceClient::Login(const std::string& name, const std::string& password) {
  BeginLogin(password);
  LoginAnswer login = ReadLoginAnswer(RunNow(LoginUrl(*session_, name, password)).body);
  ApplyLoginAnswer(login, name, session_);
  return login;
}

AlbumListAnswer CAlbumServiceClient::AlbumList() { return KeepAlbumList(RunNow(AlbumListUrl(*session_))); }

QuotaAnswer CAlbumServiceClient::Quota() { return ApplyQuota(RunNow(QuotaUrl(*session_))); }

std::int32_t CAlbumServiceClient::AlbumPictureCount(std::string_view album_id) {
  TaskAnswer answer = RunNow(AlbumInfoUrl(*session_, album_id));
  return ReadAlbumPictureCount(answer.status_ok, answer.body);
}

CreateAlbumAnswer CAlbumServiceClient::CreateAlbum(std::string_view name, std::string_view description,
                                                   bool password_protected, std::string_view password) {
  TaskAnswer answer = RunNow(CreateAlbumUrl(*session_, name, description, password_protected, password));
  return ReadCreateAlbumAnswer(answer.status_ok, answer.body);
}

KeywordVerdict CAlbumServiceClient::CheckTags(std::string_view tag_text) const {
  return album_protocol::CheckTags(tag_text);
}

KeywordVerdict CAlbumServiceClient::CheckAlbumName(std::string_view name,
                                                   std::string_view description) const {
  return album_protocol::CheckAlbumName(*session_, name, description);
}

}  // namespace album_protocol
