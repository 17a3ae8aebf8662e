#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/input_device.h"
#include "audio/output_device.h"

namespace quillane {

// The sound output of the sound module, loaded at the first call that needs a
// device (the names or an open). Without the module there are no outputs, none
// opens, and openFailure() says which file is missing or why it did not load.
class ModuleOutputDevice : public OutputDevice {
 public:
  std::vector<std::string> outputNames() const override;
  bool open(const PcmFormat& format, int number, DoneHandler done) override;
  void write(int bufferIndex, const uint8_t* data, uint32_t length) override;
  void reset() override;
  void close() override;
  bool isOpen() const override;
  std::string openFailure() const override;

 private:
  OutputDevice* device() const;

  mutable std::unique_ptr<OutputDevice> device_;
  mutable std::string problem_;
};

// The sound input of the sound module, loaded as the output is.
class ModuleInputDevice : public InputDevice {
 public:
  std::vector<std::string> inputNames() const override;
  bool open(const PcmFormat& format, int number, FilledHandler filled) override;
  bool addBuffer(int bufferIndex, uint8_t* data, uint32_t capacity) override;
  bool start() override;
  int waitingNotices() const override;
  void close() override;
  bool isOpen() const override;
  std::string openFailure() const override;

 private:
  InputDevice* device() const;

  mutable std::unique_ptr<InputDevice> device_;
  mutable std::string problem_;
};

}  // namespace quillane
