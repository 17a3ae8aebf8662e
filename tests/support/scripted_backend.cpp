#include "support/scripted_backend.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "stream/frame_header.h"
#include "support/test_files.h"

namespace quillane::test {

std::vector<int64_t> frameStarts(const Session& session) {
  const Bytes bytes = readBytes(session.stream.sourcePath);
  std::vector<int64_t> starts;
  for (int64_t p = session.stream.audioStart; p + 4 <= session.stream.audioEnd;) {
    const FrameHeader header = decodeFrameHeader(bytes.data() + p);
    if (header.frameSize == 0) break;
    starts.push_back(p);
    p += header.frameSize;
  }
  return starts;
}

ScriptedBackend::ScriptedBackend(FramesRead framesRead, const Session& session, std::vector<int64_t> starts,
                                 std::function<int(int)> level, int* calls)
    : framesRead_(framesRead), session_(session), starts_(std::move(starts)), level_(std::move(level)), calls_(calls) {}

BackendOpenResult ScriptedBackend::open(const PcmFormat& format, int) {
  channels_ = format.channels;
  return BackendOpenResult::Ok;
}

DecodeResult ScriptedBackend::decode(const uint8_t* frames, int length, uint8_t* out, int capacity) {
  if (frames == nullptr || length <= 0) return {};
  if (calls_) ++*calls_;
  const auto end = std::lower_bound(starts_.begin(), starts_.end(), session_.stream.cursor);
  const int last = static_cast<int>(end - starts_.begin());  // one past the last frame read
  int first = last - 1;
  if (framesRead_ == FramesRead::ByLength) {
    first = last;
    for (int64_t covered = 0; covered < length && first > 0;) {
      --first;
      const int64_t next = first + 1 < static_cast<int>(starts_.size()) ? starts_[first + 1] : session_.stream.audioEnd;
      covered += next - starts_[first];
    }
  }
  int bytes = 0;
  for (int f = first; f < last; ++f) {
    const auto value = static_cast<uint16_t>(static_cast<int16_t>(level_(f)));
    for (int s = 0; s < 1152 * channels_ && bytes + 2 <= capacity; ++s) {
      out[bytes++] = static_cast<uint8_t>(value & 0xFF);
      out[bytes++] = static_cast<uint8_t>(value >> 8);
    }
  }
  return {bytes, false, nullptr};
}

DecoderBackendFactory scriptedBackends(FramesRead framesRead, const Session& session, std::vector<int64_t> starts,
                                       std::function<int(int)> level, int* calls) {
  return [framesRead, &session, starts = std::move(starts), level = std::move(level),
          calls](int32_t) -> std::unique_ptr<DecoderBackend> {
    return std::make_unique<ScriptedBackend>(framesRead, session, starts, level, calls);
  };
}

}  // namespace quillane::test
