#include "EntryPoint.h"

#include <cstdio>

#include "Format.h"

ExitCode loadEntry(PluginModule& module, const std::string& path) {
  std::string error;
  if (module.load(path, error)) return kOk;
  std::fprintf(stderr, "vsthost: cannot load module '%s': %s\n", path.c_str(), error.c_str());
  return kNoModule;
}

ExitCode checkMagic(const AEffect& record, const std::string& path) {
  if (record.magic == kEffectMagic) return kOk;
  std::fprintf(stderr, "vsthost: module '%s' returned an effect with magic %s, not 'VstP'\n",
               path.c_str(), hex(static_cast<uint32_t>(record.magic)).c_str());
  return kBadMagic;
}
