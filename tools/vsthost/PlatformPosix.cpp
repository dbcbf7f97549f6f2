#include <dlfcn.h>
#include <sys/resource.h>
#include <time.h>

#include "Platform.h"

Module::~Module() {
  if (handle_) dlclose(handle_);
}

bool Module::load(const std::string& path, std::string& error) {
  // dlopen searches the library path for a bare name; a host means the file in front of it.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* reason = dlerror();
    error = reason ? reason : "dlopen failed";
    return false;
  }
  return true;
}

Module::Symbol Module::find(const char* name) const {
  // A handle (not RTLD_DEFAULT) keeps "main" from resolving to our own main().
  return reinterpret_cast<Symbol>(dlsym(handle_, name));
}

void useUnixLineEndings() {}

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
