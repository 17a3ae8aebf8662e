#include "audio/playback_engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "audio/audio_session.h"
#include "audio/decoder.h"
#include "audio/level_meter.h"
#include "session/command_ids.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"
#include "stream/audio_stream.h"

namespace quillane {

PlaybackState::PlaybackState() = default;
PlaybackState::~PlaybackState() = default;
PlaybackState::PlaybackState(PlaybackState&&) = default;
PlaybackState& PlaybackState::operator=(PlaybackState&&) = default;

namespace {

constexpr int kStartDelayMs = 100;
// A prelisten plays 70 frames (about 1.8 s at 44.1 kHz MPEG-1) on each side.
constexpr double kPrelistenFrames = 70.0;
// A prelisten whose stop lies within 6 frames of its stopPosition ran to its end.
constexpr double kRanToEndFrames = 6.0;
// Fast Play needs blocks of at least this many frames.
constexpr int kFastPlayMinFrames = 4;
constexpr int kFastPlayMaxLevel = 9;
constexpr int kFadeFrames = 80;

// The places where a buffer must exist; each has its own number in the message.
enum Checkpoint { kCheckDecode = 1, kCheckSilence = 2, kCheckPrime = 3 };

Decoder& playbackDecoder(AudioSession& session) {
  if (!session.playback.decoder) session.playback.decoder = std::make_unique<Decoder>();
  return *session.playback.decoder;
}

bool fastPlayAvailable(const AudioSession& session) { return session.settings.buffer_frm >= kFastPlayMinFrames; }

// The buffer the engine is about to use. When it is missing the state is beyond
// repair: the host is told, ends the program, and the result is null.
PlayBuffer* checkedBuffer(AudioSession& session, PlaybackHost& host, int index, Checkpoint checkpoint) {
  std::vector<PlayBuffer>& buffers = session.playback.buffers;
  if (index < 0 || index >= static_cast<int>(buffers.size()) || buffers[index].data.empty()) {
    char caption[32];
    std::snprintf(caption, sizeof caption, "Checkpoint %d", static_cast<int>(checkpoint));
    host.fatalError("Memory error. Program will be terminated.", caption);
    return nullptr;
  }
  return &buffers[index];
}

// Fades sample frame `from` (counted in samples) on over 80 frames, and the 80
// frames before `to` off, in every channel.
void fadeSegment(int16_t* samples, int from, int to, int channels) {
  for (int i = 0; i < kFadeFrames; ++i)
    for (int c = 0; c < channels; ++c) {
      int16_t& s = samples[from + i * channels + c];
      s = static_cast<int16_t>(s * i / kFadeFrames);
    }
  for (int i = kFadeFrames; i >= 1; --i)
    for (int c = 0; c < channels; ++c) {
      int16_t& s = samples[to - i * channels + c];
      s = static_cast<int16_t>(s * i / kFadeFrames);
    }
}

void startDeviceCycle(AudioSession& session, PlaybackHost& host, uint32_t bufferSize);
void refillBuffer(AudioSession& session, PlaybackHost& host, int index);

}  // namespace

// --- Requests ------------------------------------------------------------------

void requestPlay(AudioSession& session, PlaybackHost& host) {
  const AudioStream& stream = session.stream;
  if (!stream.isOpen() || stream.currentHeader.version == 0 || session.recordInitialised || session.playing ||
      stream.cursor >= stream.audioEnd)
    return;
  stopPlayback(session);
  host.setButtonPressed(cmd::kPlay, true);
  if (fastPlayAvailable(session)) {
    host.setButtonText(cmd::kPrelistenToEnd, ">> -");
    host.setButtonText(cmd::kPrelistenFromEnd, ">> +");
  }
  host.startTimer(tmr::kStartPlayback, kStartDelayMs);
}

void requestPrelisten(AudioSession& session, PlaybackHost& host, int mode, int button) {
  if (session.playing) return;
  session.prelistenMode = mode;
  host.setButtonPressed(button, true);
  host.startTimer(tmr::kStartPlayback, kStartDelayMs);
}

void fastPlaySlower(AudioSession& session, PlaybackHost& host) {
  if (session.playing && fastPlayAvailable(session)) {
    if (session.fastPlayLevel > 0) --session.fastPlayLevel;
    return;
  }
  requestPrelisten(session, host, 4, cmd::kPrelistenToEnd);
}

void fastPlayFaster(AudioSession& session, PlaybackHost& host) {
  if (session.playing && fastPlayAvailable(session)) {
    if (session.fastPlayLevel < kFastPlayMaxLevel) ++session.fastPlayLevel;
    return;
  }
  requestPrelisten(session, host, 5, cmd::kPrelistenFromEnd);
}

bool requestStop(AudioSession& session, PlaybackHost& host) {
  session.playback.playActive = false;
  host.stopTimer(tmr::kStartPlayback);
  releaseTransportButtons(host);
  if (!session.playing) return false;
  stopPlayback(session);
  return true;
}

void startTimerFired(AudioSession& session, PlaybackHost& host) {
  host.stopTimer(tmr::kStartPlayback);
  if (!startPlayback(session, host)) releaseTransportButtons(host);
}

void releaseTransportButtons(PlaybackHost& host) {
  for (int button : {cmd::kPlay, cmd::kRecord, cmd::kPrelistenToBegin, cmd::kPrelistenFromBegin,
                     cmd::kPrelistenToEnd, cmd::kPrelistenFromEnd, cmd::kPrelistenAsCut})
    host.setButtonPressed(button, false);
  // While playing with buffer_frm >= 4 these two read ">> -" and ">> +" (Fast Play).
  host.setButtonText(cmd::kPrelistenToEnd, "..=>I");
  host.setButtonText(cmd::kPrelistenFromEnd, "..I=>");
}

// --- Prelisten ----------------------------------------------------------------

bool prelistenRange(AudioSession& session, int mode, PrelistenRange& range) {
  AudioStream& stream = session.stream;
  const int64_t b = session.edits.selection.beg;
  const int64_t e = session.edits.selection.end;
  if (b < 0) return false;
  const auto span = static_cast<int64_t>(kPrelistenFrames * stream.avgFrameSize);
  switch (mode) {
    case 1:  // F9: the 70 frames before and after the selection, joined as the cut would be
      range = {findFrame(stream, b - span).offset, e + span};
      break;
    case 2:  // F5: up to the selection's beginning
      range = {findFrame(stream, b - span).offset, b};
      break;
    case 3:  // F6: from its beginning, not past its end
      range = {findFrame(stream, b).offset, std::min(b + span, e)};
      break;
    case 4:  // F7: up to its end, not from before its beginning
      range = {std::max(findFrame(stream, e - span).offset, b), e};
      break;
    case 5:  // F8: from its end
      range = {findFrame(stream, e).offset, e + span};
      break;
    default: return false;
  }
  range.start = std::max(range.start, stream.audioStart);  // also a failed findFrame (-1)
  return true;
}

// --- The engine ---------------------------------------------------------------

bool startPlayback(AudioSession& session, PlaybackHost& host) {
  if (session.playing) return false;

  PlaybackState& playback = session.playback;
  AudioStream& stream = session.stream;
  playback.buffers.clear();
  playback.stopPosition = 0;
  playback.returnPosition = 0;
  session.playPosition = 0;
  stream.resyncCount = 0;
  session.fastPlayLevel = 0;
  const uint32_t bufferSize = applyBufferSizing(session.settings, stream.currentHeader);
  playback.playActive = false;

  if (session.prelistenMode > 0) {
    PrelistenRange range;
    if (!prelistenRange(session, session.prelistenMode, range)) {
      session.prelistenMode = 0;
      return false;
    }
    playback.returnPosition = stream.cursor;
    stream.cursor = range.start;
    playback.stopPosition = range.stop;
  }

  Decoder& decoder = playbackDecoder(session);
  if (const DecoderError error = decoderOpen(session, decoder, bufferSize); error != DecoderError::None) {
    showDecoderError(session.text, host, error);
    return false;
  }
  decoderWarmUp(session, decoder, stream.cursor);

  OutputDevice::DoneHandler handler = playback.noticeHandler;
  if (!handler) handler = [&session, &host](int index) { onBufferDone(session, host, index); };
  if (!playback.output || !playback.output->open(pcmFormat(decoder), session.settings.device_out - 1, handler)) {
    decoderClose(decoder);
    std::string text = uiText(session.text, ui::kMsgCouldNotOpenDevice);
    if (playback.output && !playback.output->openFailure().empty()) text += "\n" + playback.output->openFailure();
    host.messageBox(text, uiText(session.text, ui::kMsgError), MessageIcon::Error, MessageButtons::Ok,
                    MessageAnswer::Ok);
    return false;
  }

  try {
    playback.buffers.resize(kPlayBufferCount);
    for (PlayBuffer& buffer : playback.buffers) buffer.data.assign(bufferSize, 0);
  } catch (const std::bad_alloc&) {
    playback.buffers.clear();
    playback.output->close();
    decoderClose(decoder);
    host.messageBox("Memory allocation error.", "Play init error", MessageIcon::Warning, MessageButtons::Ok,
                    MessageAnswer::Ok);
    return false;
  }

  session.playing = true;
  startDeviceCycle(session, host, bufferSize);
  meterResetPeaks(session.meter);
  playback.playActive = true;
  return true;
}

namespace {

// Fills buffer `index` from the cursor and writes it to the device; a decode
// that yields nothing writes half a buffer of silence, so that the buffers keep
// coming back until the end test of onBufferDone holds.
void refillBuffer(AudioSession& session, PlaybackHost& host, int index) {
  AudioStream& stream = session.stream;
  Decoder& decoder = playbackDecoder(session);
  PlayBuffer* checked = checkedBuffer(session, host, index, kCheckDecode);
  if (!checked) return;
  PlayBuffer& buffer = *checked;
  int bytes = decoderFill(session, host, decoder, stream.cursor, buffer.data.data());
  if (session.fastPlayLevel > 0 && fastPlayAvailable(session)) {
    const PcmFormat& format = pcmFormat(decoder);
    bytes = fastPlaySplice(buffer.data.data(), bytes, format.channels, static_cast<int>(format.samplesPerSecond),
                           session.fastPlayLevel);
  }
  buffer.position = stream.cursor;
  if (bytes > 0) {
    buffer.length = static_cast<uint32_t>(bytes);
  } else {
    PlayBuffer* silent = checkedBuffer(session, host, index, kCheckSilence);
    if (!silent) return;
    silent->length = static_cast<uint32_t>(silent->data.size() / 2);
    std::memset(silent->data.data(), 0, silent->length);
  }
  buffer.prepared = true;
  session.playback.output->write(index, buffer.data.data(), buffer.length);
}

// Fills and writes every buffer in order, from the cursor. The buffers have not
// been played yet, so neither the end test nor the meter sees them: a start a
// few blocks before its stop point still plays up to it.
void startDeviceCycle(AudioSession& session, PlaybackHost& host, uint32_t bufferSize) {
  session.playPosition = session.stream.cursor;
  for (int i = 0; i < kPlayBufferCount; ++i) {
    PlayBuffer* buffer = checkedBuffer(session, host, i, kCheckPrime);
    if (!buffer) return;
    buffer->length = bufferSize;
    buffer->prepared = false;
    buffer->position = session.stream.cursor;
    refillBuffer(session, host, i);
  }
}

}  // namespace

void onBufferDone(AudioSession& session, PlaybackHost& host, int bufferIndex) {
  if (!session.playing) return;
  PlaybackState& playback = session.playback;
  AudioStream& stream = session.stream;
  if (bufferIndex < 0 || bufferIndex >= static_cast<int>(playback.buffers.size())) return;

  {
    PlayBuffer& returned = playback.buffers[bufferIndex];
    session.playPosition = returned.position;
    returned.prepared = false;
    meterUpdate(session.meter, returned.data.data(), returned.length, meterIsMono(stream.currentHeader),
                MeterDevice::Output, session.settings, host);
  }

  if ((session.prelistenMode > 0 && session.playPosition >= playback.stopPosition) ||
      session.playPosition >= stream.audioEnd) {
    stopPlayback(session);
    releaseTransportButtons(host);
    playback.playActive = false;
    return;
  }

  refillBuffer(session, host, bufferIndex);
}

void stopPlayback(AudioSession& session) {
  PlaybackState& playback = session.playback;
  AudioStream& stream = session.stream;
  if (session.playing) {
    const int64_t frame = findCurrentFrame(stream, currentPosition(session));
    stream.cursor = frame >= 0 ? frame : stream.audioEnd;
    if (playback.output) {
      playback.output->reset();
      playback.output->close();
    }
    for (PlayBuffer& buffer : playback.buffers) buffer.prepared = false;
    playback.buffers.clear();
    playback.buffers.shrink_to_fit();
    const double tolerance = kRanToEndFrames * stream.avgFrameSize;
    if (session.prelistenMode > 0 &&
        std::abs(static_cast<double>(stream.cursor - playback.stopPosition)) < tolerance)
      stream.cursor = playback.returnPosition;
  }
  session.playing = false;
  session.prelistenMode = 0;
  meterResetPeaks(session.meter);
  if (playback.decoder) decoderClose(*playback.decoder);
}

void seekPlayback(AudioSession& session, int64_t position) {
  PlaybackState& playback = session.playback;
  const bool restart = playback.playActive && playback.decoder;
  if (playback.playActive) {
    if (session.playing && playback.output) playback.output->reset();
    if (playback.decoder) decoderReset(*playback.decoder);
  }
  AudioStream& stream = session.stream;
  position = std::max(position, stream.audioStart);
  if (position >= stream.audioEnd) {
    stream.cursor = stream.audioEnd;
    return;
  }
  const int64_t frame = findCurrentFrame(stream, position);
  stream.cursor = frame < 0 ? stream.audioEnd : frame;
  // The returned buffers are refilled from here: start the decoder on the frames before.
  if (restart) decoderWarmUp(session, *playback.decoder, stream.cursor);
}

// --- Fast Play ----------------------------------------------------------------

int fastPlaySplice(uint8_t* block, int length, int channels, int sampleRate, int level) {
  if (level <= 0 || length <= 0) return length;
  const int n = channels == 1 ? 1 : 2;
  const int total = length / 2;  // samples
  int keep = (1800 - 150 * level) * sampleRate / 44100 * n;
  int skip = (200 * level) * sampleRate / 44100 * n;
  if (keep % 2 != 0) --keep;
  if (skip % 2 != 0) --skip;
  // A block shorter than one kept segment (or segments too short for their
  // fades) plays as it is.
  if (total < keep || keep < kFadeFrames * n) return length;

  auto* samples = reinterpret_cast<int16_t*>(block);
  int w = 0;
  int r = 0;
  for (;;) {
    fadeSegment(samples, w, w + keep, n);
    w += keep;
    r += keep + skip;
    if (r + keep >= total) return w * 2;
    std::memmove(samples + w, samples + r, static_cast<size_t>(keep) * sizeof(int16_t));
  }
}

}  // namespace quillane
