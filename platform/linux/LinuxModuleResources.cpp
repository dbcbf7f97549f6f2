#include <strings.h>

#include <cstddef>

#include "platform/Immortal.h"
#include "platform/ModuleResources.h"

namespace Platform {

namespace {

struct Entry {
  const char* type = nullptr;
  const char* name = nullptr;
  ResourceBytes bytes;
};

// Never destroyed: an editor closed from a host's exit handlers may still look a resource up.
// The module's resources are a fixed few, named by literals; the table holds no heap memory.
constexpr std::size_t kMaxEntries = 16;
struct Table {
  Entry entries[kMaxEntries];
  std::size_t count = 0;
};
Table& table() {
  static Immortal<Table> storage;
  return storage.get();
}

}  // namespace

bool findModuleResource(const char* type, const char* name, ResourceBytes& resource) {
  Table& t = table();
  for (std::size_t i = 0; i < t.count; ++i) {
    if (strcasecmp(t.entries[i].type, type) == 0 && strcasecmp(t.entries[i].name, name) == 0) {
      resource = t.entries[i].bytes;
      return true;
    }
  }
  return false;
}

// TYPE and NAME must outlive the module (string literals, as the embedded table passes them).
void registerModuleResource(const char* type, const char* name, const uint8_t* data,
                            std::size_t size) {
  Table& t = table();
  for (std::size_t i = 0; i < t.count; ++i) {
    if (strcasecmp(t.entries[i].type, type) == 0 && strcasecmp(t.entries[i].name, name) == 0) {
      for (std::size_t j = i + 1; j < t.count; ++j) t.entries[j - 1] = t.entries[j];
      --t.count;
      break;
    }
  }
  if (data && t.count < kMaxEntries) t.entries[t.count++] = {type, name, {data, size}};
}

}  // namespace Platform
