#include "audio/peak_seek.h"

#include <cmath>
#include <new>

#include "audio/audio_session.h"
#include "audio/decoder.h"

namespace quillane {

bool peakSeekInit(AudioSession& session, Host& host, PeakSeek& seek, int framesPerBlock) {
  if (framesPerBlock > kPeakSeekMaxFramesPerBlock || framesPerBlock < 1) return false;
  // As at a play start: nothing of a prelisten survives, no resyncs counted yet.
  session.prelistenMode = 0;
  session.stream.resyncCount = 0;
  seek.pcmBufferSize = kPeakSeekBytesPerFrame * static_cast<uint32_t>(framesPerBlock);
  if (const DecoderError error = decoderOpen(session, seek.decoder, seek.pcmBufferSize); error != DecoderError::None) {
    showDecoderError(session.text, host, error);
    return false;
  }
  try {
    seek.block.assign(seek.pcmBufferSize, 0);
  } catch (const std::bad_alloc&) {
    host.messageBox("Memory allocation error.", "Peak seek init", MessageIcon::Warning, MessageButtons::Ok,
                    MessageAnswer::Ok);
    return false;
  }
  seek.returnPosition = session.stream.cursor;
  seek.opened = true;
  return true;
}

int largestMagnitude(const uint8_t* pcm, std::size_t count) {
  int largest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int sample = static_cast<int16_t>(static_cast<uint16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8)));
    const int magnitude = sample < 0 ? -sample : sample;
    largest = magnitude > largest ? magnitude : largest;
  }
  return largest;
}

int blockPeak(AudioSession& session, Host& host, PeakSeek& seek, int frames) {
  if (seek.block.empty() || frames < 1) return 0;
  // Never more frames than the block was sized for.
  const int room = static_cast<int>(seek.pcmBufferSize / kPeakSeekBytesPerFrame);
  if (frames > room) frames = room;
  const uint8_t saved = session.settings.buffer_frm;
  session.settings.buffer_frm = static_cast<uint8_t>(frames);
  const int bytes = decoderFill(session, host, seek.decoder, session.stream.cursor, seek.block.data());
  session.settings.buffer_frm = saved;
  if (bytes <= 0) return 0;
  return largestMagnitude(seek.block.data(), static_cast<std::size_t>(bytes) / 2);
}

void peakSeekClose(AudioSession& session, Host&, PeakSeek& seek) {
  std::vector<uint8_t>().swap(seek.block);
  decoderClose(seek.decoder);
  session.prelistenMode = 0;
  if (seek.opened) {
    session.stream.cursor = seek.returnPosition;
    seek.opened = false;
  }
}

void peakSeekJumped(PeakSeek& seek) { decoderReset(seek.decoder); }

double pauseLevelToDb(int level) {
  return 20.0 * std::log10(static_cast<double>(level) * level / 32767.0);
}

}  // namespace quillane
