#include <strings.h>

#include <string>
#include <vector>

#include "platform/ModuleResources.h"

namespace Platform {

namespace {

struct Entry {
  std::string type, name;
  ResourceBytes bytes;
};

// Never destroyed: an editor closed from a host's exit handlers may still look a resource up.
std::vector<Entry>& table() {
  static std::vector<Entry>& entries = *new std::vector<Entry>;
  return entries;
}

}  // namespace

bool findModuleResource(const char* type, const char* name, ResourceBytes& resource) {
  for (const Entry& entry : table()) {
    if (strcasecmp(entry.type.c_str(), type) == 0 && strcasecmp(entry.name.c_str(), name) == 0) {
      resource = entry.bytes;
      return true;
    }
  }
  return false;
}

void registerModuleResource(const char* type, const char* name, const uint8_t* data,
                            std::size_t size) {
  std::vector<Entry>& entries = table();
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (strcasecmp(it->type.c_str(), type) == 0 && strcasecmp(it->name.c_str(), name) == 0) {
      entries.erase(it);
      break;
    }
  }
  if (data) entries.push_back({type, name, {data, size}});
}

}  // namespace Platform
