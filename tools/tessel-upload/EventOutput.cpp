#include "tools/tessel-upload/EventOutput.h"

#include "common/text/Format.h"
#include "tools/tessel-upload/JsonLine.h"

namespace tessel_upload {
namespace {

std::string Counter(int number, int count) {
  return "[" + std::to_string(number) + "/" + std::to_string(count) + "]";
}

}  // namespace

void CEventOutput::Json(const std::string& line) {
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

void CEventOutput::EndLiveLine() {
  if (!liveLineOpen_) return;
  std::fputs("\r\033[K", out_);
  liveLineOpen_ = false;
}

void CEventOutput::LoggedIn(const std::string& name, const std::string& uid, const std::string& nickname) {
  if (form_ == Form::kJson) {
    return Json(
        CJsonLine().Add("event", "login").Add("user", name).Add("uid", uid).Add("nickname", nickname).Text());
  }
  std::fprintf(out_, "Logged in as %s (%s)\n", nickname.c_str(), name.c_str());
}

void CEventOutput::Quota(const album_protocol::QuotaAnswer& quota, int photoLimit) {
  int64_t remaining = quota.remaining_bytes.value_or(0);
  int64_t used = quota.used_bytes.value_or(0);
  uint64_t perUpload = quota.per_upload_size_limit.value_or(0);
  if (form_ == Form::kJson) {
    return Json(CJsonLine()
                    .Add("event", "quota")
                    .Add("known", quota.has_data)
                    .Add("remaining_bytes", remaining)
                    .Add("used_bytes", used)
                    .Add("pictures", static_cast<int64_t>(quota.pictures.value_or(0)))
                    .Add("albums", static_cast<int64_t>(quota.specials.value_or(0)))
                    .Add("per_upload_limit", perUpload)
                    .Add("photo_limit", photoLimit)
                    .Text());
  }
  if (!quota.has_data) {
    std::fprintf(out_, "The service gave no quota figures.\n");
    return;
  }
  // A negative remaining space shows as 0, as the space panel shows it.
  std::fprintf(out_, "本月剩余存储空间%s\n",
               common::FormatSize(remaining > 0 ? remaining : 0, false).c_str());
  std::fprintf(out_, "累计已使用%s存储空间。\n", common::FormatSize(used > 0 ? used : 0, false).c_str());
  std::fprintf(out_, "Pictures: %d, albums: %d, per upload: %s, per album: %d pictures\n",
               quota.pictures.value_or(0), quota.specials.value_or(0),
               common::FormatSize(perUpload, false).c_str(), photoLimit);
}

void CEventOutput::AlbumList(const std::vector<SpecialInfo>& albums) {
  if (form_ == Form::kJson) {
    std::string list = "[";
    for (const SpecialInfo& album : albums) {
      if (list.size() > 1) list += ',';
      list += CJsonLine().Add("id", album.id).Add("name", album.name).Text();
    }
    return Json(CJsonLine().Add("event", "albums").AddRaw("albums", list + "]").Text());
  }
  for (const SpecialInfo& album : albums)
    std::fprintf(out_, "%s\t%s\n", album.id.c_str(), album.name.c_str());
}

void CEventOutput::AlbumChosen(const SpecialInfo& album, bool created) {
  if (form_ == Form::kJson) {
    return Json(CJsonLine()
                    .Add("event", "album")
                    .Add("id", album.id)
                    .Add("name", album.name)
                    .Add("created", created)
                    .Text());
  }
  std::fprintf(out_, "%s album \"%s\" (id %s)\n", created ? "Created" : "Uploading into", album.name.c_str(),
               album.id.c_str());
}

void CEventOutput::Skipped(const std::string& path, const std::string& reason) {
  if (form_ == Form::kJson)
    return Json(CJsonLine().Add("event", "skipped").Add("path", path).Add("reason", reason).Text());
  EndLiveLine();
  std::fprintf(err_, "skipped %s: %s\n", path.c_str(), reason.c_str());
}

void CEventOutput::Started(int number, int count, const std::string& path, const std::string& name) {
  number_ = number;
  count_ = count;
  if (form_ == Form::kJson) {
    return Json(CJsonLine()
                    .Add("event", "start")
                    .Add("number", number)
                    .Add("count", count)
                    .Add("path", path)
                    .Add("name", name)
                    .Text());
  }
  if (form_ == Form::kLive) {
    std::fprintf(out_, "\r\033[K%s %s", Counter(number, count).c_str(), name.c_str());
    liveLineOpen_ = true;
    std::fflush(out_);
  }
}

void CEventOutput::Progress(const std::string& name, const upload_batch::BatchProgress& progress) {
  if (form_ == Form::kJson) {
    return Json(CJsonLine()
                    .Add("event", "progress")
                    .Add("number", number_)
                    .Add("done_bytes", progress.doneBytes)
                    .Add("total_bytes", progress.totalBytes)
                    .Add("rate", progress.rate)
                    .Add("rate_text", progress.rateText)
                    .Add("remaining_seconds", progress.remainingSeconds)
                    .Add("remaining_text", progress.remainingText)
                    .Text());
  }
  if (form_ != Form::kLive) return;
  std::string line = Counter(number_, count_) + " " + name + "  " +
                     common::FormatSize(progress.doneBytes, false) + " / " +
                     common::FormatSize(progress.totalBytes, false);
  // Rate and remaining time appear once the first bytes have gone out.
  if (!progress.rateText.empty()) line += "  " + progress.rateText + "  " + progress.remainingText;
  std::fprintf(out_, "\r\033[K%s", line.c_str());
  liveLineOpen_ = true;
  std::fflush(out_);
}

void CEventOutput::Uploaded(const std::string& path, const std::string& name) {
  if (form_ == Form::kJson)
    return Json(
        CJsonLine().Add("event", "done").Add("number", number_).Add("path", path).Add("name", name).Text());
  if (form_ == Form::kLines)
    std::fprintf(out_, "%s %s: uploaded\n", Counter(number_, count_).c_str(), path.c_str());
}

void CEventOutput::Failed(const upload_batch::BatchFailure& failure) {
  if (form_ == Form::kJson) {
    return Json(CJsonLine()
                    .Add("event", "failed")
                    .Add("path", failure.path)
                    .Add("name", failure.displayName)
                    .Add("reason", failure.reason)
                    .Text());
  }
  EndLiveLine();
  std::fprintf(out_, "%s: %s\n", failure.path.c_str(), failure.reason.c_str());
}

void CEventOutput::Summary(const upload_batch::BatchSummary& summary, const std::string& albumUrl) {
  if (form_ == Form::kJson) {
    return Json(CJsonLine()
                    .Add("event", "summary")
                    .Add("pictures", summary.pictures)
                    .Add("succeeded", summary.succeeded)
                    .Add("failed", static_cast<int>(summary.failures.size()))
                    .Add("space_exhausted", summary.spaceExhausted)
                    .Add("text", summary.text)
                    .Add("album_url", albumUrl)
                    .Text());
  }
  EndLiveLine();
  std::fprintf(out_, "%s\n", summary.text.c_str());
  if (!summary.failures.empty()) {
    std::fprintf(out_, "Failed pictures:\n");
    for (const upload_batch::BatchFailure& failure : summary.failures) {
      std::fprintf(out_, "  %s: %s\n", failure.path.c_str(), failure.reason.c_str());
    }
  }
  std::fprintf(out_, "Album page: %s\n", albumUrl.c_str());
  std::fflush(out_);
}

void CEventOutput::Cancelled() {
  if (form_ == Form::kJson) return Json(CJsonLine().Add("event", "cancelled").Text());
  EndLiveLine();
  std::fprintf(err_, "Cancelled.\n");
}

void CEventOutput::Error(const std::string& text, int exitStatus) {
  if (form_ == Form::kJson)
    return Json(CJsonLine().Add("event", "error").Add("text", text).Add("exit", exitStatus).Text());
  EndLiveLine();
  std::fflush(out_);
  std::fprintf(err_, "tessel-upload: %s\n", text.c_str());
}

void CEventOutput::Notice(const std::string& text) {
  if (form_ == Form::kJson) return Json(CJsonLine().Add("event", "notice").Add("text", text).Text());
  EndLiveLine();
  std::fprintf(err_, "%s\n", text.c_str());
}

}  // namespace tessel_upload
