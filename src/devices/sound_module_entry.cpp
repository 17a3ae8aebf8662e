// The sound module's one exported function: the table of what it makes.
#include "audio/sound_module.h"
#include "devices/qt_input_device.h"
#include "devices/qt_output_device.h"

namespace {

std::unique_ptr<quillane::OutputDevice> makeOutput() { return std::make_unique<quillane::QtOutputDevice>(); }
std::unique_ptr<quillane::InputDevice> makeInput() { return std::make_unique<quillane::QtInputDevice>(); }

constexpr quillane::SoundModule kModule{makeOutput, makeInput};

}  // namespace

extern "C" __attribute__((visibility("default"))) const quillane::SoundModule* quillane_sound_module() {
  return &kModule;
}
