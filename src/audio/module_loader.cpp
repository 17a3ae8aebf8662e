#include "audio/module_loader.h"

#include <dlfcn.h>

#include "audio/module_location.h"

namespace quillane {

void* loadModuleEntry(const char* name, const char* entry, std::string& problem) {
  const std::filesystem::path path = findModule(name);
  if (path.empty()) {
    problem = std::string(name) + " was not found";
    return nullptr;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    problem = path.string() + ": " + (why != nullptr ? why : "could not be loaded");
    return nullptr;
  }
  void* function = dlsym(handle, entry);
  if (function == nullptr) problem = path.string() + ": has no " + entry;
  return function;
}

}  // namespace quillane
