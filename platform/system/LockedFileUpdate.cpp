#include "platform/system/LockedFileUpdate.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace platform {
namespace {

UpdateOutcome FromErrno(int error) {
  return (error == EACCES || error == EPERM || error == EROFS) ? UpdateOutcome::kAccessDenied
                                                               : UpdateOutcome::kIoError;
}

bool ReadAll(int fd, size_t max_bytes, std::string* content, bool* too_large) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return false;
  if (static_cast<uint64_t>(info.st_size) > max_bytes) {
    *too_large = true;
    return false;
  }
  content->clear();
  char buffer[8192];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (content->size() + static_cast<size_t>(got) > max_bytes) {
      *too_large = true;
      return false;
    }
    content->append(buffer, static_cast<size_t>(got));
  }
}

bool WriteAll(int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    ssize_t put = write(fd, content.data() + done, content.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

// Opens `path` and locks it exclusively, making sure the lock is held on the
// file that the path names now: a writer that renamed a new file over it while
// we waited leaves us holding the lock of a file nobody reads any more.
int OpenLocked(const std::string& path, unsigned mode, bool* created, int* error) {
  for (;;) {
    *created = false;
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
      fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd < 0 && errno == EEXIST) continue;
      *created = fd >= 0;
    }
    if (fd < 0) {
      *error = errno;
      return -1;
    }
    while (flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        *error = errno;
        close(fd);
        return -1;
      }
    }
    struct stat locked {
    }, named{};
    if (fstat(fd, &locked) == 0 && stat(path.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
        locked.st_ino == named.st_ino)
      return fd;
    close(fd);
  }
}

// Writes the new content beside the file and renames it over the file.
UpdateOutcome Replace(const std::string& path, int locked_fd, const std::string& content) {
  struct stat info {};
  if (fstat(locked_fd, &info) != 0) return FromErrno(errno);
  std::string temp = path + ".tmp-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return FromErrno(errno);
  bool ok = fchmod(fd, info.st_mode & 07777) == 0 && WriteAll(fd, content) && fsync(fd) == 0;
  int error = errno;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return FromErrno(error);
  }
  // Make the rename itself durable.
  std::string folder = std::filesystem::path(path).parent_path().string();
  int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return UpdateOutcome::kDone;
}

}  // namespace

UpdateOutcome LockedFileUpdate(const std::string& named_path, unsigned new_file_mode, size_t max_bytes,
                               const std::function<EditDecision(std::string& content, bool existed)>& edit) {
  std::error_code ignored;
  // A link stays a link: the file it points to is the one replaced.
  std::string path = named_path;
  if (std::filesystem::is_symlink(path, ignored)) {
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ignored);
    if (!target.empty()) path = target.string();
  }
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);

  bool created = false;
  int error = 0;
  int fd = OpenLocked(path, new_file_mode, &created, &error);
  if (fd < 0) return FromErrno(error);

  std::string content;
  bool too_large = false;
  UpdateOutcome outcome = UpdateOutcome::kDone;
  if (!ReadAll(fd, max_bytes, &content, &too_large)) {
    outcome = too_large ? UpdateOutcome::kTooLarge : UpdateOutcome::kIoError;
  } else if (edit(content, !created) == EditDecision::kWrite) {
    outcome = Replace(path, fd, content);
    created = false;
  }
  // A placeholder created only to hold the lock must not stay behind.
  if (created) unlink(path.c_str());
  close(fd);
  return outcome;
}

bool ReadSmallFile(const std::string& path, size_t max_bytes, std::string* content, bool* missing) {
  *missing = false;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *missing = errno == ENOENT || errno == ENOTDIR;
    return false;
  }
  bool too_large = false;
  bool ok = ReadAll(fd, max_bytes, content, &too_large);
  close(fd);
  return ok;
}

}  // namespace platform
