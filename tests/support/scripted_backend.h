#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/decoder.h"
#include "audio/decoder_backend.h"
#include "session/session.h"

namespace quillane::test {

// The frame starts of the open stream, audioStart up to audioEnd (exclusive).
std::vector<int64_t> frameStarts(const Session& session);

// How a scripted back end tells which frames a decode call was handed. The frames
// just read always end at the session's cursor.
enum class FramesRead {
  ByLength,  // as many frames back from the cursor as the bytes handed in cover
  LastOne,   // only the frame that ends at the cursor (a reader of one frame a block)
};

// A decoder back end whose sound is scripted per frame: every frame read becomes
// 1152 sample frames of the constant value level(frame index), where the index
// counts in `starts`. Each decode call with input counts one in *calls (if given).
class ScriptedBackend : public DecoderBackend {
 public:
  ScriptedBackend(FramesRead framesRead, const Session& session, std::vector<int64_t> starts,
                  std::function<int(int)> level, int* calls);
  const char* name() const override { return "scripted"; }
  bool supportsLayer(int) const override { return true; }
  BackendOpenResult open(const PcmFormat& format, int) override;
  DecodeResult decode(const uint8_t* frames, int length, uint8_t* out, int capacity) override;
  void reset() override {}
  void close() override {}

 private:
  FramesRead framesRead_;
  const Session& session_;
  std::vector<int64_t> starts_;
  std::function<int(int)> level_;
  int* calls_;
  int channels_ = 2;
};

// A factory that makes ScriptedBackends over `starts` (the frames of session's stream).
DecoderBackendFactory scriptedBackends(FramesRead framesRead, const Session& session, std::vector<int64_t> starts,
                                       std::function<int(int)> level, int* calls = nullptr);

}  // namespace quillane::test
