#include "audio/system_codec_module.h"

#include <dlfcn.h>

#include "audio/module_location.h"

namespace quillane {

// The dynamic loader keeps one copy of the module per process and counts the
// opens, so every call may open it again; it is never closed, as the objects it
// made may live until the end.
const SystemCodecModule* loadSystemCodecModule(std::string& problem) {
  const std::filesystem::path path = findModule(kSystemCodecModuleName);
  if (path.empty()) {
    problem = std::string(kSystemCodecModuleName) + " was not found";
    return nullptr;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    problem = path.string() + ": " + (why != nullptr ? why : "could not be loaded");
    return nullptr;
  }
  auto entry = reinterpret_cast<SystemCodecModuleEntry>(dlsym(handle, kSystemCodecModuleEntry));
  if (entry == nullptr) {
    problem = path.string() + ": has no " + kSystemCodecModuleEntry;
    return nullptr;
  }
  return entry();
}

}  // namespace quillane
