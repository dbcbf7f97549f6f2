// factorybank: builds the module's factory bank from its readable source.
//   factorybank SOURCE OUT.fxb   writes the bank (one program per preset, the first current)
//   factorybank --list SOURCE    prints each preset as the editor shows its values
// The bank is the plug-in's own bank chunk, written by the effect itself, in a bank file with an
// opaque chunk: the layout "Load factory defaults..." reads.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "PresetSource.h"
#include "effect/Quorl.h"
#include "tools/vsthost/PresetFile.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: factorybank SOURCE OUT.fxb | factorybank --list SOURCE\n");
  return 2;
}

bool readText(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

// The programs set one by one, then the first made current again, as a host would.
void applyPresets(Quorl& effect, const std::vector<SourcePreset>& presets) {
  for (std::size_t p = 0; p < presets.size(); ++p) {
    effect.setProgram(static_cast<VstInt32>(p));
    std::string name = presets[p].name;
    effect.setProgramName(&name[0]);
    for (std::size_t i = 0; i < presets[p].values.size(); ++i)
      effect.setParameter(static_cast<VstInt32>(i), presets[p].values[i]);
  }
  effect.setProgram(0);
}

}  // namespace

int main(int argc, char** argv) {
  const bool list = argc == 3 && std::strcmp(argv[1], "--list") == 0;
  if (!list && (argc != 3 || argv[1][0] == '-')) return usage();
  const char* sourcePath = list ? argv[2] : argv[1];
  // The bank must not depend on whoever runs this: no user's defaults file is read.
  setenv("XDG_CONFIG_HOME", "/nonexistent/factorybank", 1);
  Quorl effect(nullptr);
  std::vector<std::string> names;
  for (VstInt32 i = 0; i < effect.getAeffect()->numParams; ++i) {
    char name[64] = {};
    effect.getParameterName(i, name);
    names.push_back(name);
  }
  std::string text, error;
  std::vector<SourcePreset> presets;
  if (!readText(sourcePath, text)) {
    std::fprintf(stderr, "factorybank: cannot read %s\n", sourcePath);
    return 1;
  }
  if (!parsePresetSource(text, names, presets, error)) {
    std::fprintf(stderr, "factorybank: %s: %s\n", sourcePath, error.c_str());
    return 1;
  }
  const auto programs = static_cast<std::size_t>(effect.getAeffect()->numPrograms);
  if (presets.size() != programs) {
    std::fprintf(stderr, "factorybank: %s: %zu presets, but the plug-in has %zu programs\n",
                 sourcePath, presets.size(), programs);
    return 1;
  }
  applyPresets(effect, presets);

  if (list) {
    for (std::size_t p = 0; p < presets.size(); ++p) {
      std::printf("%2zu %-23s", p + 1, presets[p].name.c_str());
      for (std::size_t i = 0; i < names.size(); ++i) {
        char shown[64] = {};
        effect.getParameterText(static_cast<VstInt32>(i), presets[p].values[i], shown);
        std::printf("  %s %s", names[i].c_str(), shown);
      }
      std::printf("\n");
    }
    return 0;
  }

  PresetFile bank;
  bank.fxMagic = kBankChunk;
  bank.uniqueId = effect.getAeffect()->uniqueID;
  bank.pluginVersion = effect.getAeffect()->version;
  bank.count = static_cast<VstInt32>(programs);
  effect.writeChunk(bank.chunk, false);
  std::vector<uint8_t> bytes;
  if (!encodePreset(bank, bytes, error)) {
    std::fprintf(stderr, "factorybank: %s\n", error.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "factorybank: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
