#include <dlfcn.h>
#include <poll.h>
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

std::string vst3BinaryInBundle(const std::string& bundle, const std::string& name) {
  return bundle + "/Contents/x86_64-linux/" + name + ".so";
}

bool enterVst3Module(const Module& module, std::string& error) {
  using Entry = bool (*)(void*);
  const auto entry = reinterpret_cast<Entry>(module.find("ModuleEntry"));
  if (!entry) {
    error = "the module exports no ModuleEntry";
    return false;
  }
  if (entry(module.handle())) return true;
  error = "ModuleEntry answered false";
  return false;
}

void leaveVst3Module(const Module& module) {
  using Exit = bool (*)();
  if (const auto exit = reinterpret_cast<Exit>(module.find("ModuleExit"))) exit();
}

bool descriptorReadable(int fd) {
  pollfd watched{fd, POLLIN, 0};
  return poll(&watched, 1, 0) > 0 && (watched.revents & (POLLIN | POLLHUP | POLLERR));
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
