#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "Platform.h"

Module::~Module() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

bool Module::load(const std::string& path, std::string& error) {
  // A broken module must fail with a message, not stop an unattended run with a dialog box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const bool bare = path.find_first_of("/\\:") == std::string::npos;
  const std::string file = bare ? ".\\" + path : path;
  handle_ = LoadLibraryA(file.c_str());
  if (handle_) return true;

  const DWORD code = GetLastError();
  char text[512] = {0};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string reason = text;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  char head[48];
  std::snprintf(head, sizeof head, "GetLastError %lu", static_cast<unsigned long>(code));
  error = reason.empty() ? head : std::string(head) + ": " + reason;
  return false;
}

Module::Symbol Module::find(const char* name) const {
  return reinterpret_cast<Symbol>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void useUnixLineEndings() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
