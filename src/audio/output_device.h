#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/decoder_backend.h"

namespace quillane {

// A sound output that plays queued PCM buffers and hands each one back when it
// has been played: the cycle the playback engine runs on. Buffers come back in
// the order they were written, one notice each, delivered later from the event
// loop of the thread that owns the device, never from inside write or reset.
class OutputDevice {
 public:
  // Called with the index given to write when that buffer is done with.
  using DoneHandler = std::function<void(int bufferIndex)>;

  virtual ~OutputDevice() = default;

  // The outputs this device can open, in the order their numbers count them:
  // output n is entry n. (In the settings' device_out, 0 is the system default
  // and n is entry n - 1.)
  virtual std::vector<std::string> outputNames() const = 0;

  // Opens output `number` (-1: the system default; n >= 0: entry n of
  // outputNames()) for interleaved signed 16-bit little-endian PCM of `format`.
  // False when it cannot be opened; then nothing is open.
  virtual bool open(const PcmFormat& format, int number, DoneHandler done) = 0;

  // Queues `length` bytes at `data`; they stay valid and untouched until the
  // buffer's notice has been delivered.
  virtual void write(int bufferIndex, const uint8_t* data, uint32_t length) = 0;

  // Drops everything queued, unplayed; every queued buffer comes back, in order.
  // The device stays open and plays what is written next.
  virtual void reset() = 0;

  // Closes the output. Buffers still queued, and notices not yet delivered, never
  // come back. Safe to call when not open.
  virtual void close() = 0;

  virtual bool isOpen() const = 0;

  // Why the last open failed, when the device knows more than that it failed;
  // empty otherwise.
  virtual std::string openFailure() const { return {}; }
};

}  // namespace quillane
