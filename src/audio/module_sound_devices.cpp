#include "audio/module_sound_devices.h"

#include "audio/sound_module.h"

namespace quillane {

// The device, made by the module at the first call; null without the module.
OutputDevice* ModuleOutputDevice::device() const {
  if (!device_ && problem_.empty()) {
    if (const SoundModule* module = loadSoundModule(problem_)) device_ = module->makeOutput();
  }
  return device_.get();
}

std::vector<std::string> ModuleOutputDevice::outputNames() const {
  return device() ? device_->outputNames() : std::vector<std::string>{};
}

bool ModuleOutputDevice::open(const PcmFormat& format, int number, DoneHandler done) {
  return device() && device_->open(format, number, std::move(done));
}

void ModuleOutputDevice::write(int bufferIndex, const uint8_t* data, uint32_t length) {
  if (device_) device_->write(bufferIndex, data, length);
}

void ModuleOutputDevice::reset() {
  if (device_) device_->reset();
}

void ModuleOutputDevice::close() {
  if (device_) device_->close();
}

bool ModuleOutputDevice::isOpen() const { return device_ && device_->isOpen(); }

std::string ModuleOutputDevice::openFailure() const { return device_ ? device_->openFailure() : problem_; }

InputDevice* ModuleInputDevice::device() const {
  if (!device_ && problem_.empty()) {
    if (const SoundModule* module = loadSoundModule(problem_)) device_ = module->makeInput();
  }
  return device_.get();
}

std::vector<std::string> ModuleInputDevice::inputNames() const {
  return device() ? device_->inputNames() : std::vector<std::string>{};
}

bool ModuleInputDevice::open(const PcmFormat& format, int number, FilledHandler filled) {
  return device() && device_->open(format, number, std::move(filled));
}

bool ModuleInputDevice::addBuffer(int bufferIndex, uint8_t* data, uint32_t capacity) {
  return device_ && device_->addBuffer(bufferIndex, data, capacity);
}

bool ModuleInputDevice::start() { return device_ && device_->start(); }

int ModuleInputDevice::waitingNotices() const { return device_ ? device_->waitingNotices() : 0; }

void ModuleInputDevice::close() {
  if (device_) device_->close();
}

bool ModuleInputDevice::isOpen() const { return device_ && device_->isOpen(); }

std::string ModuleInputDevice::openFailure() const { return device_ ? device_->openFailure() : problem_; }

}  // namespace quillane
