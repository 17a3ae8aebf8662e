#include "audio/sound_module.h"

#include "audio/module_loader.h"
#include "audio/module_location.h"

namespace quillane {

const SoundModule* loadSoundModule(std::string& problem) {
  auto entry = reinterpret_cast<SoundModuleEntry>(loadModuleEntry(kSoundModuleName, kSoundModuleEntry, problem));
  return entry != nullptr ? entry() : nullptr;
}

}  // namespace quillane
