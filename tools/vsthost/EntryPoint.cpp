#include "EntryPoint.h"

#include <cstdio>

#include "Format.h"

namespace {
// Older modules export only main or MAIN; the first name found wins.
const char* const kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};
}  // namespace

ExitCode loadEntry(Module& module, const std::string& path, VstPluginMainProc& entry,
                   const char*& entryName) {
  std::string error;
  if (!module.load(path, error)) {
    std::fprintf(stderr, "vsthost: cannot load module '%s': %s\n", path.c_str(), error.c_str());
    return kNoModule;
  }
  for (const char* name : kEntryNames) {
    if (Module::Symbol symbol = module.find(name)) {
      entryName = name;
      entry = reinterpret_cast<VstPluginMainProc>(symbol);
      return kOk;
    }
  }
  std::fprintf(stderr, "vsthost: module '%s' exports none of VSTPluginMain, main, MAIN\n",
               path.c_str());
  return kNoModule;
}

ExitCode checkMagic(const AEffect& record, const std::string& path) {
  if (record.magic == kEffectMagic) return kOk;
  std::fprintf(stderr, "vsthost: module '%s' returned an effect with magic %s, not 'VstP'\n",
               path.c_str(), hex(static_cast<uint32_t>(record.magic)).c_str());
  return kBadMagic;
}
