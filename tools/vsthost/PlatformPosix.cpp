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

void answerMessageBoxes(MessageBoxButton) {}

// No editor window here yet: runEditor stops before anything below is reached.
bool EditorHost::supported() { return false; }
EditorHost::~EditorHost() {}
bool EditorHost::create(const std::string&, int, int, std::string& error) {
  error = "no editor window on this platform";
  return false;
}
void* EditorHost::editorWindow() const { return nullptr; }
void EditorHost::run(const std::function<bool()>&) {}
void EditorHost::click(int, int) {}
void EditorHost::drag(int, int, int, int) {}
void EditorHost::wheel(int, int, int) {}
void EditorHost::doubleClick(int, int) {}
void EditorHost::rightClick(int, int, int) {}
bool EditorHost::capture(std::vector<uint8_t>&, int&, int&, std::string& error) {
  error = "no editor window on this platform";
  return false;
}
void EditorHost::destroy() {}
void EditorHost::pump(int) {}
int EditorHost::childCount() const { return 0; }
