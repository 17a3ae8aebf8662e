#include "support/scripted_output_device.h"

#include <utility>

namespace quillane::test {

bool ScriptedOutputDevice::open(const PcmFormat& format, int number, DoneHandler done) {
  opens.push_back({format, number});
  if (failOpen) return false;
  open_ = true;
  done_ = std::move(done);
  queued_.clear();
  pending_.clear();
  return true;
}

void ScriptedOutputDevice::write(int bufferIndex, const uint8_t* data, uint32_t length) {
  writes.push_back({bufferIndex, length, std::vector<uint8_t>(data, data + length)});
  queued_.push_back(bufferIndex);
  if (onWrite) onWrite(static_cast<int>(writes.size()) - 1);
}

void ScriptedOutputDevice::reset() {
  ++resets;
  while (!queued_.empty()) {
    pending_.push_back(queued_.front());
    queued_.pop_front();
  }
}

void ScriptedOutputDevice::close() {
  ++closes;
  open_ = false;
  queued_.clear();
  pending_.clear();
}

bool ScriptedOutputDevice::returnNext() {
  std::deque<int>& from = !pending_.empty() ? pending_ : queued_;
  if (from.empty()) return false;
  const int index = from.front();
  from.pop_front();
  // The handler may close the device (and clear it) or write again; keep it alive.
  const DoneHandler done = done_;
  if (done) done(index);
  return true;
}

int ScriptedOutputDevice::returnAll(int limit) {
  int delivered = 0;
  while (delivered < limit && returnNext()) ++delivered;
  return delivered;
}

}  // namespace quillane::test
