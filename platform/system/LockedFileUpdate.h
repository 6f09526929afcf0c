// Read-modify-write of one small file that several threads and processes may
// update at once: the writer holds an advisory lock on the file for the whole
// update, and the new content replaces the file atomically (written to a
// temporary file beside it, flushed to disk, renamed over it). Readers need no
// lock: they always see either the old or the new content.
#pragma once

#include <functional>
#include <string>

namespace platform {

// What an edit asks for after it has seen the current content.
enum class EditDecision {
  kWrite,      // Replace the file with the edited content.
  kUnchanged,  // Leave the file as it is.
};

// How an update ended.
enum class UpdateOutcome {
  kDone,          // Written, or left unchanged at the edit's request.
  kAccessDenied,  // The file or its folder may not be written.
  kIoError,       // Reading, writing or renaming failed.
  kTooLarge,      // The current file is larger than `max_bytes`.
};

// Locks `path` against other writers, reads it (empty when it does not exist:
// `existed` tells), lets `edit` change the content, and writes the result when
// the edit asks for it. The folder is created when missing. A new file gets
// `new_file_mode` (less the umask); an existing file keeps its mode. A symbolic
// link stays in place: the file it points to is updated.
UpdateOutcome LockedFileUpdate(const std::string& path, unsigned new_file_mode, size_t max_bytes,
                               const std::function<EditDecision(std::string& content, bool existed)>& edit);

// Reads a whole file of at most `max_bytes`. False when it cannot be read or is
// larger; `missing` tells a file that does not exist apart from other failures.
bool ReadSmallFile(const std::string& path, size_t max_bytes, std::string* content, bool* missing);

}  // namespace platform
