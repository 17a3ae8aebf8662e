#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "audio/audio_session.h"
#include "audio/decoder_backend.h"
#include "audio/decoder_error.h"
#include "session/host.h"
#include "settings/settings.h"
#include "stream/frame_header.h"

namespace quillane {

struct FrameBuffer;

// Builds the back end for a value of the use_mpglib setting.
using DecoderBackendFactory = std::function<std::unique_ptr<DecoderBackend>(int32_t useMpglib)>;

// 0: "System (FFmpeg)"; anything else: libmpg123.
std::unique_ptr<DecoderBackend> makeDecoderBackend(int32_t useMpglib);

// Turns the edited frames of the open file into 16-bit PCM. The back end is
// chosen from use_mpglib at each open; the frames come from its own frame buffer
// through readEditedFrames, so cuts are skipped and gain is applied.
class Decoder {
 public:
  Decoder();
  // Tests hand in their own back ends.
  explicit Decoder(DecoderBackendFactory factory);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

 private:
  friend DecoderError decoderOpen(AudioSession&, Decoder&, uint32_t);
  friend int decoderFill(AudioSession&, Host&, Decoder&, int64_t&, uint8_t*);
  friend void decoderReset(Decoder&);
  friend void decoderWarmUp(AudioSession&, Decoder&, int64_t);
  friend void decoderClose(Decoder&);
  friend const PcmFormat& pcmFormat(const Decoder&);
  friend bool decoderIsOpen(const Decoder&);
  friend uint32_t pcmBufferSize(const Decoder&);

  DecoderBackendFactory factory_;
  std::unique_ptr<DecoderBackend> backend_;
  std::unique_ptr<FrameBuffer> frames_;
  PcmFormat format_;
  uint32_t sourceBlockSize_ = 0;  // non-zero while open
  uint32_t pcmBufferSize_ = 0;    // bytes every block handed to decoderFill holds
  uint32_t frameBytes_ = 0;       // PCM bytes of one frame of the file
};

// Frames per PCM block and block size (KiB) are kept within what the decoder can
// hold: buffer_frm 1..8, buffer_max 8..64, and at least 5120 bytes per frame.
// Rewrites both settings in place and returns the PCM block size in bytes, which
// is halved for sample rates below 32000 Hz (their Layer III frames are half as long).
uint32_t applyBufferSizing(Settings& settings, uint32_t sampleRate);
// The same, halving only where the frames really are half as long (Layer III at
// MPEG-2 and 2.5 rates); a Layer II frame holds 1152 samples at every rate.
uint32_t applyBufferSizing(Settings& settings, const FrameHeader& header);

// Builds the PCM format from the stream's current header and opens the back end
// named by settings.use_mpglib; DecoderError::None when it did. Nothing is shown:
// the caller shows the error (showDecoderError) or prints it. pcmBufferSize is the
// capacity of every block that decoderFill will be given.
[[nodiscard]] DecoderError decoderOpen(AudioSession& session, Decoder& decoder, uint32_t pcmBufferSize);

// Reads settings.buffer_frm frames from `position` through readEditedFrames
// (stepping over cuts), advancing it, and decodes them into `block`. Returns the
// PCM bytes written (at most pcmBufferSize): 0 when closed or at the end of the
// audio. On a decode error the position moves to the next frame found and the
// decoder is reset; the bytes decoded so far are returned.
int decoderFill(AudioSession& session, Host& host, Decoder& decoder, int64_t& position, uint8_t* block);

// Forgets the back end's inner state; call it after the position jumped.
void decoderReset(Decoder& decoder);

// Layer III frames borrow bits from the frames before them and the synthesis
// filter carries over from frame to frame, so a decoder started in the middle
// of a stream gets its first two frames wrong. This decodes the two frames just
// before `position` (a frame start) and drops their sound: what decoderFill
// then decodes from `position` sounds as it does in the whole stream. Nothing
// is done at the start of the audio.
void decoderWarmUp(AudioSession& session, Decoder& decoder, int64_t position);

// Releases the back end; safe to call when not open.
void decoderClose(Decoder& decoder);

const PcmFormat& pcmFormat(const Decoder& decoder);
bool decoderIsOpen(const Decoder& decoder);
uint32_t pcmBufferSize(const Decoder& decoder);

}  // namespace quillane
