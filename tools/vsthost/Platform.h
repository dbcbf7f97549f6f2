// Everything in the host that differs between Linux and Windows: loading a plug-in module, looking
// up its exports, and the line endings of our output.
#pragma once

#include <string>

class Module {
 public:
  // Any exported function, cast to its real type by the caller.
  using Symbol = void (*)();

  Module() = default;
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // On failure returns false and puts the loader's own reason into `error`.
  bool load(const std::string& path, std::string& error);
  // Looks only inside this module, never in the host program.
  Symbol find(const char* name) const;

 private:
  void* handle_ = nullptr;
};

// Plain \n on stdout and stderr everywhere, so Linux and Windows runs give the same bytes.
void useUnixLineEndings();
