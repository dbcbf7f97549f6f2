#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/WebAddress.h"

extern char** environ;

namespace Platform {

namespace {

// The opener's full path, found before forking: the children only make system calls.
std::string findOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string candidate = folders.substr(start, end - start);
    candidate = (candidate.empty() ? std::string(".") : candidate) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

}  // namespace

// The address goes to xdg-open as one argument, with no shell to read it. The browser may run
// for hours: an intermediate child starts it and ends at once, so the opener belongs to init,
// and the one child of ours is reaped here without waiting on anything.
void openWebAddress(const char* address) {
  if (!address) return;
  const std::string opener = findOnPath("xdg-open");
  if (opener.empty()) return;
  char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(address), nullptr};
  const pid_t child = fork();
  if (child < 0) return;
  if (child == 0) {
    if (fork() == 0) {
      // The host's files (audio devices, sockets) are not the browser's business.
      if (close_range(3, ~0u, 0) != 0)
        for (int descriptor = 3; descriptor < 1024; ++descriptor) close(descriptor);
      execve(opener.c_str(), argv, environ);
      _exit(127);
    }
    _exit(0);
  }
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace Platform
