#include "platform/system/SettingsStore.h"

#include "BuildConfig.h"
#include "platform/system/Environment.h"
#include "platform/system/HiveDocument.h"
#include "platform/system/LockedFileUpdate.h"
#include "platform/system/SpecialFolders.h"

namespace platform {
namespace {

// A hive is a few kilobytes; anything far larger is not one of ours.
constexpr size_t kMaxHiveBytes = 16u << 20;

SettingsStatus FromOutcome(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kDone:
      return SettingsStatus::kOk;
    case UpdateOutcome::kAccessDenied:
      return SettingsStatus::kAccessDenied;
    case UpdateOutcome::kTooLarge:
      return SettingsStatus::kCorrupt;
    case UpdateOutcome::kIoError:
      break;
  }
  return SettingsStatus::kIoError;
}

bool ValidName(const std::string& name) { return name.find('\0') == std::string::npos; }

// Runs `change` on the locked, parsed hive and writes the result when it asks.
// `change` returns the status of the operation and sets `*write`.
template <typename Change>
SettingsStatus Modify(const std::string& file, unsigned mode, Change change) {
  if (file.empty()) return SettingsStatus::kIoError;
  SettingsStatus status = SettingsStatus::kOk;
  UpdateOutcome outcome = LockedFileUpdate(file, mode, kMaxHiveBytes, [&](std::string& content, bool) {
    HiveDocument hive;
    size_t error_line = 0;
    if (!hive.Parse(content, &error_line)) {
      status = SettingsStatus::kCorrupt;
      return EditDecision::kUnchanged;
    }
    bool write = false;
    status = change(hive, &write);
    if (status != SettingsStatus::kOk || !write) return EditDecision::kUnchanged;
    content = hive.Serialize();
    if (content.size() > kMaxHiveBytes) {
      status = SettingsStatus::kIoError;
      return EditDecision::kUnchanged;
    }
    return EditDecision::kWrite;
  });
  if (outcome != UpdateOutcome::kDone) return FromOutcome(outcome);
  return status;
}

}  // namespace

const char* SettingsStatusName(SettingsStatus status) {
  switch (status) {
    case SettingsStatus::kOk:
      return "ok";
    case SettingsStatus::kKeyNotFound:
      return "key not found";
    case SettingsStatus::kAccessDenied:
      return "access denied";
    case SettingsStatus::kTypeMismatch:
      return "type mismatch";
    case SettingsStatus::kInvalidName:
      return "invalid name";
    case SettingsStatus::kMoreData:
      return "more data";
    case SettingsStatus::kValueNotFound:
      return "value not found";
    case SettingsStatus::kCorrupt:
      return "corrupt hive";
    case SettingsStatus::kIoError:
      return "i/o error";
  }
  return "unknown";
}

SettingsStore::SettingsStore(std::string file, std::string key_prefix)
    : file_(std::move(file)), key_prefix_(HiveDocument::CanonicalPath(key_prefix)), file_mode_(0600) {}

std::string SettingsStore::HiveFilePath(SettingsHive hive) {
  if (hive == SettingsHive::kCurrentUser) {
    // Without a home there is no user hive (rather than one in the root folder).
    std::string config = ConfigFolder();
    return config.empty() ? std::string() : config + "/JQMarlin/user.hive";
  }
  std::string folder = GetEnv("TESSEL_MACHINE_SETTINGS_DIR");
  if (folder.empty()) folder = buildconfig::kMachineSettingsDir;
  return folder + "/machine.hive";
}

SettingsStore SettingsStore::ForHive(SettingsHive hive) {
  SettingsStore store(HiveFilePath(hive), hive == SettingsHive::kClassesRoot ? "Software\\Classes" : "");
  // The user's hive holds the scrambled password: only the user may read it.
  store.file_mode_ = hive == SettingsHive::kCurrentUser ? 0600 : 0644;
  return store;
}

std::string SettingsStore::FullPath(const std::string& key) const {
  std::string path = HiveDocument::CanonicalPath(key);
  if (key_prefix_.empty()) return path;
  return path.empty() ? key_prefix_ : key_prefix_ + "\\" + path;
}

SettingsStatus SettingsStore::Load(HiveDocument* hive) const {
  if (file_.empty()) return SettingsStatus::kIoError;
  std::string content;
  bool missing = false;
  if (!ReadSmallFile(file_, kMaxHiveBytes, &content, &missing)) {
    // A hive that was never written has no keys.
    if (missing) return SettingsStatus::kOk;
    return SettingsStatus::kIoError;
  }
  size_t error_line = 0;
  return hive->Parse(content, &error_line) ? SettingsStatus::kOk : SettingsStatus::kCorrupt;
}

SettingsStatus SettingsStore::CreateKey(const std::string& key) const {
  std::string path = FullPath(key);
  if (path.empty() || !ValidName(path)) return SettingsStatus::kInvalidName;
  return Modify(file_, file_mode_, [&](HiveDocument& hive, bool* write) {
    *write = hive.CreateKey(path);
    return SettingsStatus::kOk;
  });
}

SettingsStatus SettingsStore::OpenKey(const std::string& key) const {
  std::string path = FullPath(key);
  if (path.empty() || !ValidName(path)) return SettingsStatus::kInvalidName;
  HiveDocument hive;
  SettingsStatus status = Load(&hive);
  if (status != SettingsStatus::kOk) return status;
  return hive.FindKey(path) != nullptr ? SettingsStatus::kOk : SettingsStatus::kKeyNotFound;
}

SettingsStatus SettingsStore::DeleteKey(const std::string& key) const {
  std::string path = FullPath(key);
  if (path.empty() || !ValidName(path)) return SettingsStatus::kInvalidName;
  return Modify(file_, file_mode_, [&](HiveDocument& hive, bool* write) {
    *write = hive.DeleteKey(path);
    return *write ? SettingsStatus::kOk : SettingsStatus::kKeyNotFound;
  });
}

SettingsStatus SettingsStore::LoadValue(const std::string& key, const std::string& name, bool* is_number,
                                        std::string* text, uint32_t* number) const {
  std::string path = FullPath(key);
  if (path.empty() || !ValidName(path) || !ValidName(name)) return SettingsStatus::kInvalidName;
  HiveDocument hive;
  SettingsStatus status = Load(&hive);
  if (status != SettingsStatus::kOk) return status;
  const HiveDocument::Key* found = hive.FindKey(path);
  if (found == nullptr) return SettingsStatus::kKeyNotFound;
  const HiveDocument::Value* v = HiveDocument::FindValue(*found, name);
  if (v == nullptr) return SettingsStatus::kValueNotFound;
  *is_number = v->is_number;
  *text = v->text;
  *number = v->number;
  return SettingsStatus::kOk;
}

SettingsStatus SettingsStore::ReadString(const std::string& key, const std::string& name, std::string* value,
                                         size_t max_bytes) const {
  bool is_number = false;
  std::string text;
  uint32_t number = 0;
  SettingsStatus status = LoadValue(key, name, &is_number, &text, &number);
  if (status != SettingsStatus::kOk) return status;
  if (is_number) return SettingsStatus::kTypeMismatch;
  if (max_bytes > 0 && text.size() >= max_bytes) return SettingsStatus::kMoreData;
  *value = std::move(text);
  return SettingsStatus::kOk;
}

SettingsStatus SettingsStore::ReadNumber(const std::string& key, const std::string& name,
                                         uint32_t* value) const {
  bool is_number = false;
  std::string text;
  uint32_t number = 0;
  SettingsStatus status = LoadValue(key, name, &is_number, &text, &number);
  if (status != SettingsStatus::kOk) return status;
  if (!is_number) return SettingsStatus::kTypeMismatch;
  *value = number;
  return SettingsStatus::kOk;
}

SettingsStatus SettingsStore::WriteValue(const std::string& key, const std::string& name, bool is_number,
                                         const std::string& text, uint32_t number) const {
  std::string path = FullPath(key);
  if (path.empty() || !ValidName(path) || !ValidName(name)) return SettingsStatus::kInvalidName;
  return Modify(file_, file_mode_, [&](HiveDocument& hive, bool* write) {
    HiveDocument::Key* found = hive.FindKey(path);
    if (found == nullptr) return SettingsStatus::kKeyNotFound;
    HiveDocument::Value* v = HiveDocument::FindValue(*found, name);
    if (v == nullptr) {
      found->values.push_back(HiveDocument::Value{name, false, {}, 0});
      v = &found->values.back();
    } else if (v->is_number == is_number && (is_number ? v->number == number : v->text == text)) {
      return SettingsStatus::kOk;  // Already so: spare the disk a rewrite.
    }
    v->is_number = is_number;
    v->text = is_number ? std::string() : text;
    v->number = is_number ? number : 0;
    *write = true;
    return SettingsStatus::kOk;
  });
}

SettingsStatus SettingsStore::WriteString(const std::string& key, const std::string& name,
                                          const std::string& value) const {
  return WriteValue(key, name, false, value, 0);
}

SettingsStatus SettingsStore::WriteNumber(const std::string& key, const std::string& name,
                                          uint32_t value) const {
  return WriteValue(key, name, true, std::string(), value);
}

SettingsStatus SettingsStore::DeleteValue(const std::string& key, const std::string& name) const {
  std::string path = FullPath(key);
  if (path.empty() || !ValidName(path) || !ValidName(name)) return SettingsStatus::kInvalidName;
  return Modify(file_, file_mode_, [&](HiveDocument& hive, bool* write) {
    HiveDocument::Key* found = hive.FindKey(path);
    if (found == nullptr) return SettingsStatus::kKeyNotFound;
    size_t before = found->values.size();
    std::erase_if(found->values,
                  [&](const HiveDocument::Value& v) { return HiveDocument::SameName(v.name, name); });
    *write = found->values.size() != before;
    return *write ? SettingsStatus::kOk : SettingsStatus::kValueNotFound;
  });
}

}  // namespace platform
