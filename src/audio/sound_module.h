#pragma once

#include <memory>
#include <string>

#include "audio/input_device.h"
#include "audio/output_device.h"

namespace quillane {

// What the sound module (libquillane_sound.so, built from src/devices) hands
// out: the sound output and input on Qt Multimedia. The window loads it at its
// first play, record or look at the devices, so that it starts without Qt
// Multimedia and the sound server's libraries.
struct SoundModule {
  std::unique_ptr<OutputDevice> (*makeOutput)();
  std::unique_ptr<InputDevice> (*makeInput)();
};

// The function the module exports: returns its table.
using SoundModuleEntry = const SoundModule* (*)();
constexpr const char* kSoundModuleEntry = "quillane_sound_module";

// The module's table, loaded at the first call; null when the module is missing
// or does not load, with `problem` saying which file and why.
const SoundModule* loadSoundModule(std::string& problem);

}  // namespace quillane
