#include <spawn.h>

#include "platform/WebAddress.h"

extern char** environ;

namespace Platform {

void openWebAddress(const char* address) {
  pid_t child;
  char opener[] = "xdg-open";
  char* argv[] = {opener, const_cast<char*>(address), nullptr};
  posix_spawnp(&child, opener, nullptr, nullptr, argv, environ);
}

}  // namespace Platform
