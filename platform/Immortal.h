// An object that is built on first use and never destroyed, held in static storage rather than
// on the heap. A host may close our editor from its own exit handlers, after the module's static
// objects are gone, so the lists those closes touch must outlive them; and since nothing of the
// object lives on the heap, a module unloaded with its lists empty leaves nothing behind.
#pragma once

#include <new>

namespace Platform {

template <typename T>
class Immortal {
 public:
  T& get() {
    if (!object) object = new (storage) T();
    return *object;
  }

 private:
  alignas(T) unsigned char storage[sizeof(T)] = {};  // constant-initialised: no order to keep
  T* object = nullptr;
};

}  // namespace Platform
