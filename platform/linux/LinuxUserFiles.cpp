#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/UserFiles.h"

namespace Platform {

const char kPathSeparator = '/';

namespace {

// More links than this in a row are taken for a loop.
constexpr int kMaxLinkHops = 40;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool failed(std::string* whyNot, const char* reason) {
  if (whyNot) *whyNot = reason;
  return false;
}

bool failedWith(std::string* whyNot, int error) { return failed(whyNot, std::strerror(error)); }

// Follows symbolic links from `path` to the file they finally name, so that a save replaces that
// file and leaves the links as the user made them. A relative target counts from the folder of
// its own link. The file named may not exist yet; its folder must. On failure errno says why.
bool followLinks(const std::string& path, std::string& target) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0) {
      if (errno != ENOENT) return false;
      if (stat(folderOf(current).c_str(), &info) != 0) return false;
      if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
      }
      target = current;
      return true;
    }
    if (!S_ISLNK(info.st_mode)) {
      target = current;
      return true;
    }
    char link[PATH_MAX];
    const ssize_t length = readlink(current.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link) {
      if (length > 0) errno = ENAMETOOLONG;
      return false;
    }
    const std::string next(link, static_cast<std::size_t>(length));
    current = next[0] == '/' ? next : folderOf(current) + "/" + next;
  }
  errno = ELOOP;
  return false;
}

}  // namespace

bool userSettingsFolder(std::string& folder) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {  // relative values are to be ignored
    folder = config;
    return true;
  }
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return false;
  folder = std::string(home) + "/.config";
  createFolder(folder);  // a fresh account may not have it yet
  return true;
}

bool createFolder(const std::string& path) {
  // Settings folders are private to the user: missing ones are made with 0700.
  if (mkdir(path.c_str(), 0700) == 0) return true;
  if (errno == ENOENT) {
    const std::string parent = folderOf(path);
    if (parent.size() < path.size() && createFolder(parent) && mkdir(path.c_str(), 0700) == 0)
      return true;
  }
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ReadResult readWholeFile(const std::string& path, std::size_t limit, std::vector<uint8_t>& bytes) {
  // Non-blocking, so that a FIFO (or a device) at the path cannot hold the caller in open(); what
  // was opened is then checked to be a regular file, with no gap between the check and the open.
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (file < 0) return ReadResult::kMissing;
  struct stat info;
  if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(file);
    return ReadResult::kFailed;
  }
  if (info.st_size < 0 || static_cast<std::size_t>(info.st_size) >= limit) {
    close(file);
    return ReadResult::kTooLarge;
  }
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(file, bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  close(file);
  if (done != bytes.size()) {
    bytes.clear();
    return ReadResult::kFailed;
  }
  return ReadResult::kOk;
}

bool replaceFile(const std::string& path, const uint8_t* data, std::size_t size,
                 std::string* whyNot) {
  std::string target;
  if (!followLinks(path, target)) return failedWith(whyNot, errno);
  struct stat old;
  const bool exists = lstat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return failedWith(whyNot, errno);
  if (exists && !S_ISREG(old.st_mode))  // never put a file in place of a FIFO or device
    return failed(whyNot, "Not a regular file");
  // A file that nobody may write is the user's no. A rename would not ask the file, only its
  // folder, and access() says yes to root: the mode bits decide.
  if (exists && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return failed(whyNot, "The file is read-only");

  static std::atomic<unsigned> serial{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(getpid()), serial++);
  // Beside the file it replaces: a rename cannot cross file systems.
  const std::string temporary = target + suffix;

  const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return failedWith(whyNot, errno);
  int error = 0;  // the first failure's
  if (exists) {
    // The replacement keeps the old file's permissions, and its owner and group where we may
    // set them (giving a file away takes privileges, so that part is best effort).
    static_cast<void>(fchown(file, old.st_uid, old.st_gid) == 0);
    if (fchmod(file, old.st_mode & 0777) != 0) error = errno;
  }
  for (std::size_t done = 0; done < size && !error;) {
    const ssize_t written = write(file, data + done, size - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0)
      error = errno;
    else if (written == 0)
      error = ENOSPC;  // a write that takes nothing: the device has no room
    else
      done += static_cast<std::size_t>(written);
  }
  if (!error && fsync(file) != 0) error = errno;
  if (close(file) != 0 && !error) error = errno;
  if (!error && rename(temporary.c_str(), target.c_str()) == 0) return true;
  if (!error) error = errno;
  unlink(temporary.c_str());
  return failedWith(whyNot, error);
}

}  // namespace Platform
