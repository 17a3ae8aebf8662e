#include "audio/system_codec_module.h"

#include "audio/module_loader.h"
#include "audio/module_location.h"

namespace quillane {

const SystemCodecModule* loadSystemCodecModule(std::string& problem) {
  auto entry = reinterpret_cast<SystemCodecModuleEntry>(
      loadModuleEntry(kSystemCodecModuleName, kSystemCodecModuleEntry, problem));
  return entry != nullptr ? entry() : nullptr;
}

}  // namespace quillane
