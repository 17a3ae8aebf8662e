#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/input_device.h"
#include "audio/mp3_encoder.h"
#include "settings/safe_writer.h"
#include "settings/settings.h"

namespace quillane {

// Capture buffers circulating between the engine and the input device.
constexpr int kRecordBufferCount = 32;
// Bytes of one capture buffer for the system's codec.
constexpr uint32_t kSystemCaptureBufferBytes = 20000;
// Encoded bytes are written out before they would reach this many.
constexpr std::size_t kRecordFlushBytes = 62000;
// Cue marks one recording can hold.
constexpr int kMaxCueMarks = 40;
// recordFileName holds at most this many characters.
constexpr std::size_t kRecordFileNameMax = 400;
// The Turbo Grabber plays 45 rpm records meant for 33 1/3 rpm.
constexpr double kTurboFactor = 1.35;

// The Turbo Grabber's filter memory: two values per channel, kept for the life
// of the process.
struct TurboFilterMemory {
  std::array<int32_t, 2> y1{};
  std::array<int32_t, 2> y2{};
};

// Opens the encoder that the settings choose (enc_type 1 or 2). Tests install
// their own to script failures.
using EncoderOpener = std::function<EncoderOpening(const Settings& settings)>;
EncoderOpening openEncoderFromSettings(const Settings& settings);

// The recording engine's state. Part of it (from recordFileName to
// recordTimeFromPcm) is cleared at each Rec; session.recordInitialised and
// session.recordWriting say which stage runs.
struct RecordingState {
  RecordingState();
  ~RecordingState();
  RecordingState(RecordingState&&);
  RecordingState& operator=(RecordingState&&);

  // The PCM recorded, in hundreds of bytes: the LAME VBR recording time's count.
  uint64_t recordPcmHundreds() const { return recordPcmBytes / 100; }

  // The sound input, installed by whoever runs the event loop (the window, the
  // command line, a test); none: the device cannot be opened.
  InputDevice* input = nullptr;
  // What the device's notices run. Empty: onRecordBuffer with the host given to
  // recordInit. The window sets its own, which refreshes after onRecordBuffer.
  InputDevice::FilledHandler noticeHandler;
  EncoderOpener openEncoder = openEncoderFromSettings;

  std::string recordFileName;          // the file written, at most 400 characters
  int pendingRecordBuffers = 0;        // filled buffers waiting at the last notice, 0..32
  int64_t recordFileLength = 0;        // bytes in the file at the last flush (append: its length at Rec)
  std::vector<uint8_t> encoded;        // encoded bytes waiting to be written (encodedCount = size)
  std::vector<int64_t> cueMarks;       // output positions marked while writing, at most 40
  uint64_t recordPcmBytes = 0;         // PCM bytes encoded by LAME (counted whole, not per buffer / 100)
  double recordRate = 0;               // bit/s: turns the byte count into the recording time
  bool recordTimeFromPcm = false;      // the time counts recordPcmHundreds (LAME VBR)

  std::unique_ptr<Mp3Encoder> encoder;
  uint32_t lameChunkSamples = 0;       // samples (all channels) per capture buffer for LAME
  PcmFormat captureFormat;
  std::vector<std::vector<uint8_t>> buffers;  // kRecordBufferCount while the device is open
  std::unique_ptr<SafeWriter> replacement;    // a new file not yet in its name's place
  bool fileWritten = false;            // this recording has written bytes into its file
  bool turboGrabber = false;
  TurboFilterMemory turboMemory;
};

}  // namespace quillane
