#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/decoder_backend.h"

namespace quillane {

// A sound input that fills queued PCM buffers and hands each one back when it
// is full: the cycle the recording engine runs on. Buffers are filled in the
// order they were added and come back in that order, one notice each, delivered
// later from the event loop of the thread that owns the device, never from inside
// addBuffer, start or close.
class InputDevice {
 public:
  // Called with the index given to addBuffer and the bytes recorded into it.
  using FilledHandler = std::function<void(int bufferIndex, uint32_t bytes)>;

  virtual ~InputDevice() = default;

  // The inputs this device can open, in the order their numbers count them:
  // input n is entry n. (In the settings' device_in, 0 is the system default
  // and n is entry n - 1.)
  virtual std::vector<std::string> inputNames() const = 0;

  // Opens input `number` (-1: the system default; n >= 0: entry n of
  // inputNames()) for interleaved signed 16-bit little-endian PCM of `format`.
  // Nothing is captured before start(). False when it cannot be opened; then
  // nothing is open.
  virtual bool open(const PcmFormat& format, int number, FilledHandler filled) = 0;

  // Queues an empty buffer of `capacity` bytes at `data` to be filled; it stays
  // valid until its notice has been delivered. False when it cannot be queued.
  virtual bool addBuffer(int bufferIndex, uint8_t* data, uint32_t capacity) = 0;

  // Starts capturing into the queued buffers. False when the input cannot start.
  virtual bool start() = 0;

  // Filled buffers whose notices wait to be delivered (beyond the one being
  // delivered now): what the recording display shows as its unencoded buffer.
  virtual int waitingNotices() const = 0;

  // Stops capturing and closes the input. Buffers still queued, and notices not
  // yet delivered, never come back. Safe to call when not open.
  virtual void close() = 0;

  virtual bool isOpen() const = 0;

  // Why the last open failed, when the device knows more than that it failed;
  // empty otherwise.
  virtual std::string openFailure() const { return {}; }
};

}  // namespace quillane
