#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/UserFiles.h"

namespace Platform {

const char kPathSeparator = '/';

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
  if (mkdir(path.c_str(), 0755) == 0) return true;
  struct stat info;
  return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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

bool replaceFile(const std::string& path, const uint8_t* data, std::size_t size) {
  static std::atomic<unsigned> serial{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(getpid()), serial++);
  const std::string temporary = path + suffix;

  const int file = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return false;
  bool complete = true;
  for (std::size_t done = 0; done < size && complete;) {
    const ssize_t written = write(file, data + done, size - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0)
      complete = false;
    else
      done += static_cast<std::size_t>(written);
  }
  if (complete && fsync(file) != 0) complete = false;
  if (close(file) != 0) complete = false;
  if (complete && rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

}  // namespace Platform
