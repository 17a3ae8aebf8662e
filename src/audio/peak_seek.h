#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/audio_session.h"
#include "audio/decoder.h"
#include "session/host.h"

namespace quillane {

// Frames a peak seek may decode per block, and the PCM room it keeps per frame.
constexpr int kPeakSeekMaxFramesPerBlock = 10;
constexpr uint32_t kPeakSeekBytesPerFrame = 5200;

// A decoder borrowed for measuring: it decodes from the cursor of the open stream
// (moving it) into one PCM block, and puts the cursor back when closed.
struct PeakSeek {
  PeakSeek() = default;
  // Tests hand in their own decoder back ends; an empty factory means the usual ones.
  explicit PeakSeek(DecoderBackendFactory factory)
      : decoder(factory ? std::move(factory) : DecoderBackendFactory(makeDecoderBackend)) {}
  PeakSeek(const PeakSeek&) = delete;
  PeakSeek& operator=(const PeakSeek&) = delete;

  Decoder decoder;
  std::vector<uint8_t> block;   // pcmBufferSize bytes while open
  uint32_t pcmBufferSize = 0;
  int64_t returnPosition = 0;   // the cursor before the peak seek opened
  bool opened = false;          // a peak seek was opened and not closed since
};

// Opens the decoder for blocks of framesPerBlock frames (at most 10; more gives
// false without a message), with resyncCount and the prelisten mode cleared, and
// remembers the cursor. Failures show their messages through the host.
bool peakSeekInit(AudioSession& session, Host& host, PeakSeek& seek, int framesPerBlock);

// Decodes the next `frames` frames from the cursor (which moves past them) and
// returns the largest sample magnitude, 0..32768; 0 when nothing was decoded.
int blockPeak(AudioSession& session, Host& host, PeakSeek& seek, int frames);

// Frees the block, closes the decoder, clears the prelisten mode and, when a peak
// seek was open, puts the cursor back. Safe to call when nothing is open.
void peakSeekClose(AudioSession& session, Host& host, PeakSeek& seek);

// After the cursor was moved by anything but blockPeak: the decoder forgets what it
// remembers of the frames before.
void peakSeekJumped(PeakSeek& seek);

// A pause-detection threshold as shown: 20 * log10(level^2 / 32767) dB.
double pauseLevelToDb(int level);

// The largest |sample| of `count` signed 16-bit little-endian samples.
int largestMagnitude(const uint8_t* pcm, std::size_t count);

}  // namespace quillane
