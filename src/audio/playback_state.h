#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/output_device.h"

namespace quillane {

class Decoder;

// The buffers circulating between the engine and the output device.
constexpr int kPlayBufferCount = 4;

// One PCM buffer and its header: what is in it and the file position (byte
// offset) just after the frames decoded into it.
struct PlayBuffer {
  std::vector<uint8_t> data;  // pcmBufferSize bytes while playing
  uint32_t length = 0;        // bytes to play
  int64_t position = 0;
  bool prepared = false;      // written to the device and not yet returned
};

// The engine's own state, kept in the session next to the parts the rest of the
// program reads (session.playing, session.playPosition, session.prelistenMode,
// session.fastPlayLevel).
struct PlaybackState {
  PlaybackState();
  ~PlaybackState();
  PlaybackState(PlaybackState&&);
  PlaybackState& operator=(PlaybackState&&);

  // The sound output, installed by whoever runs the event loop (the window, the
  // command line, a test); none: the device cannot be opened.
  OutputDevice* output = nullptr;
  // What the device's notices run. Empty: onBufferDone with the host given to
  // startPlayback. The window sets its own, which refreshes after onBufferDone.
  OutputDevice::DoneHandler noticeHandler;
  // Playback's own decoder; made from the settings at the first start unless a
  // test installed one.
  std::unique_ptr<Decoder> decoder;
  std::vector<PlayBuffer> buffers;  // kPlayBufferCount while playing, else empty
  int64_t stopPosition = 0;    // prelisten: playback ends when a returned buffer reaches it
  int64_t returnPosition = 0;  // prelisten: the cursor before it started
  bool playActive = false;     // started and neither stopped nor run out
  int lastShownRange = -1;     // the window's: currentRange at the last refresh after a returned buffer
};

}  // namespace quillane
