#include "audio/decoder.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/audio_session.h"
#include "audio/ffmpeg_decoder_backend.h"
#include "audio/mpg123_decoder_backend.h"
#include "edit/frame_reader.h"

namespace quillane {
namespace {

constexpr const char* kFillErrorCaption = "Fill buffer error";
constexpr uint32_t kLibrarySourceBlockSize = 16384;
constexpr int kMaxFramesPerRead = kFrameBufferSize / kMaxFrameSize;
// What a warm-up decodes before a jump target: two frames, found from a little
// more than two average frames back.
constexpr double kWarmUpFrames = 2.0;
constexpr int64_t kWarmUpSlack = 2;

// Playback reads the edited frames; the prelisten mode that plays the selection
// as if it were cut skips the selection instead.
EditedReading playedReading(const AudioSession& session) {
  return EditedReading{session.edits, session.prelistenMode == 1};
}

// What a back end's failed open means to the user.
DecoderError openError(BackendOpenResult result) {
  switch (result) {
    case BackendOpenResult::Ok: return DecoderError::None;
    case BackendOpenResult::LoadFailed: return DecoderError::LibraryMissing;
    case BackendOpenResult::InitFailed: return DecoderError::LibraryInitFailed;
    case BackendOpenResult::CodecFailed: return DecoderError::SystemCodecFailed;
  }
  return DecoderError::LibraryMissing;
}

}  // namespace

std::unique_ptr<DecoderBackend> makeDecoderBackend(int32_t useMpglib) {
  if (useMpglib) return std::make_unique<Mpg123DecoderBackend>();
  return std::make_unique<FfmpegDecoderBackend>();
}

Decoder::Decoder() : Decoder(makeDecoderBackend) {}
Decoder::Decoder(DecoderBackendFactory factory) : factory_(std::move(factory)) {}
Decoder::~Decoder() { decoderClose(*this); }

namespace {

uint32_t clampBufferSettings(Settings& settings) {
  if (settings.buffer_frm == 0) settings.buffer_frm = 1;
  if (settings.buffer_frm > 8) settings.buffer_frm = 8;
  if (settings.buffer_max < 8) settings.buffer_max = 8;
  if (settings.buffer_max > 64) settings.buffer_max = 64;
  // Room for 5120 bytes of PCM per frame.
  if (settings.buffer_max * 1024u < settings.buffer_frm * 5120u)
    settings.buffer_frm = static_cast<uint8_t>(settings.buffer_max / 5);
  return settings.buffer_max * 1024u;
}

}  // namespace

uint32_t applyBufferSizing(Settings& settings, uint32_t sampleRate) {
  const uint32_t size = clampBufferSettings(settings);
  return sampleRate < 32000 ? size / 2 : size;
}

uint32_t applyBufferSizing(Settings& settings, const FrameHeader& header) {
  const uint32_t size = clampBufferSettings(settings);
  return isLowSamplingLayer3(header) ? size / 2 : size;
}

DecoderError decoderOpen(AudioSession& session, Decoder& decoder, uint32_t pcmBufferSize) {
  decoderClose(decoder);
  const FrameHeader& header = session.stream.currentHeader;
  if (header.version == 0 || (header.layer != 2 && header.layer != 3)) return DecoderError::NoAudio;

  PcmFormat format;
  format.formatTag = 1;
  format.channels = header.channelMode == ChannelMode::Mono ? 1 : 2;
  format.samplesPerSecond = header.sampleRate;
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<uint16_t>(16 / 8 * format.channels);
  format.avgBytesPerSecond = format.samplesPerSecond * format.blockAlign;
  decoder.format_ = format;

  std::unique_ptr<DecoderBackend> backend = decoder.factory_(session.settings.use_mpglib);
  if (!backend) return DecoderError::LibraryMissing;
  if (!backend->supportsLayer(header.layer)) {
    return header.layer == 2 ? DecoderError::Layer2NeedsLibrary : DecoderError::NoAudio;
  }
  if (const DecoderError error = openError(backend->open(format, header.layer)); error != DecoderError::None) {
    return error;
  }

  if (!decoder.frames_) decoder.frames_ = std::make_unique<FrameBuffer>();
  decoder.backend_ = std::move(backend);
  decoder.pcmBufferSize_ = pcmBufferSize;
  decoder.frameBytes_ = static_cast<uint32_t>(samplesPerFrame(header)) * format.blockAlign;
  if (session.settings.use_mpglib) {
    decoder.sourceBlockSize_ = kLibrarySourceBlockSize;
  } else {
    // The compressed bytes that fill one PCM block, as a system codec reports them.
    const double frames = static_cast<double>(pcmBufferSize) / std::max<uint32_t>(decoder.frameBytes_, 1);
    const double bytes = std::ceil(frames * std::max(session.stream.avgFrameSize, 1.0f));
    decoder.sourceBlockSize_ = static_cast<uint32_t>(std::max(bytes, 1.0));
  }
  return DecoderError::None;
}

int decoderFill(AudioSession& session, Host& host, Decoder& decoder, int64_t& position, uint8_t* block) {
  if (decoder.sourceBlockSize_ == 0 || !decoder.backend_ || !block) return 0;
  const int capacity = static_cast<int>(decoder.pcmBufferSize_);

  // Output that did not fit last time goes first; a full block reads nothing.
  DecodeResult result = decoder.backend_->decode(nullptr, 0, block, capacity);
  int total = result.bytes;
  if (total >= capacity) return total;

  // As many frames as asked for, but no more than the block can take.
  int count = std::clamp<int>(session.settings.buffer_frm, 1, kMaxFramesPerRead);
  if (decoder.frameBytes_ > 0) {
    const int fit = (capacity - total) / static_cast<int>(decoder.frameBytes_);
    count = std::min(count, std::max(fit, 1));
  }

  // A read that lands on a cut only moves past it; read again.
  int length = 0;
  for (;;) {
    const int64_t before = position;
    length = readEditedFrames(session.stream, playedReading(session), *decoder.frames_, count, position);
    if (length > 0 || position >= session.stream.audioEnd || position == before) break;
  }
  if (length <= 0) return total;

  result = decoder.backend_->decode(decoder.frames_->bytes.data(), length, block + total, capacity - total);
  if (result.failedCall)
    host.messageBox(result.failedCall, kFillErrorCaption, MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok);
  total += result.bytes;
  if (result.error) {
    const int64_t next = findCurrentFrame(session.stream, position);
    if (next >= 0) position = next;
    decoderReset(decoder);
  }
  return total;
}

void decoderReset(Decoder& decoder) {
  if (decoder.sourceBlockSize_ != 0 && decoder.backend_) decoder.backend_->reset();
}

void decoderWarmUp(AudioSession& session, Decoder& decoder, int64_t position) {
  if (decoder.sourceBlockSize_ == 0 || !decoder.backend_) return;
  AudioStream& stream = session.stream;
  if (position <= stream.audioStart || position >= stream.audioEnd) return;
  const auto back = static_cast<int64_t>(kWarmUpFrames * stream.avgFrameSize) + kWarmUpSlack;
  int64_t from = findFrame(stream, std::max(position - back, stream.audioStart)).offset;
  if (from < 0 || from >= position) return;
  std::vector<uint8_t> dropped(decoder.pcmBufferSize_);
  const int capacity = static_cast<int>(dropped.size());
  // Frame by frame, so that nothing at or after `position` is fed.
  while (from < position) {
    const int64_t before = from;
    const int length = readEditedFrames(stream, playedReading(session), *decoder.frames_, 1, from);
    if (from == before || from > position) break;  // damaged data, or a cut over `position`
    if (length <= 0) continue;
    DecodeResult result = decoder.backend_->decode(decoder.frames_->bytes.data(), length, dropped.data(), capacity);
    while (result.bytes > 0) result = decoder.backend_->decode(nullptr, 0, dropped.data(), capacity);
  }
  findCurrentFrame(stream, position);  // the frame playback starts at
}

void decoderClose(Decoder& decoder) {
  if (decoder.sourceBlockSize_ == 0) return;
  if (decoder.backend_) decoder.backend_->close();
  decoder.backend_.reset();
  decoder.sourceBlockSize_ = 0;
}

const PcmFormat& pcmFormat(const Decoder& decoder) { return decoder.format_; }
bool decoderIsOpen(const Decoder& decoder) { return decoder.sourceBlockSize_ != 0; }
uint32_t pcmBufferSize(const Decoder& decoder) { return decoder.pcmBufferSize_; }

}  // namespace quillane
