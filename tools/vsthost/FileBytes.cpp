#include "FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr size_t kReadStep = size_t(1) << 20;

}  // namespace

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                   size_t cap) {
  bytes.clear();
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  // Read in steps rather than asking for the size: ftell is 32-bit on Windows.
  for (;;) {
    const size_t have = bytes.size();
    if (have > cap) {
      error = "file is larger than " + std::to_string(cap) + " bytes";
      return false;
    }
    bytes.resize(have + kReadStep);
    const size_t got = std::fread(bytes.data() + have, 1, kReadStep, file.get());
    bytes.resize(have + got);
    if (got < kReadStep) break;
  }
  if (std::ferror(file.get())) {
    error = "read error";
    return false;
  }
  if (bytes.size() > cap) {
    error = "file is larger than " + std::to_string(cap) + " bytes";
    return false;
  }
  return true;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    error = "write error";
    return false;
  }
  // A full disk often shows only when the buffer is flushed.
  if (std::fclose(file.release()) != 0) {
    error = "write error on close";
    return false;
  }
  return true;
}
