#include <dlfcn.h>

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
