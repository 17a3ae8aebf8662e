#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace quillane {

// An MP3 encoder fed interleaved signed 16-bit PCM: what a recording writes.
class Mp3Encoder {
 public:
  virtual ~Mp3Encoder() = default;
  // Encodes `sampleCount` samples (every channel's counted, interleaved) and
  // appends the MP3 bytes it produced to `out` (often none: the encoder holds
  // whole frames back). False on a failure of the encoder.
  virtual bool encode(const int16_t* samples, uint32_t sampleCount, std::vector<uint8_t>& out) = 0;
  // The end of the stream: appends what the encoder still holds (the last frames).
  virtual bool finish(std::vector<uint8_t>& out) = 0;
};

// The encoder a recording opened, or why none could be opened.
struct EncoderOpening {
  std::unique_ptr<Mp3Encoder> encoder;  // none: the open failed
  uint32_t chunkSamples = 0;  // samples (all channels) the encoder takes per call
  uint32_t outputSize = 0;    // the most bytes one call of chunkSamples can produce
  int error = 0;              // the encoder library's own error number, when it gave one
  std::string problem;        // what failed, for the log and the command line
};

// --- LAME (libmp3lame), enc_type 2 ------------------------------------------------

// The LAME settings of a recording, as the encoder page stores them.
struct LameConfig {
  uint32_t sampleRate = 44100;  // input and output rate, Hz
  int mode = 1;                 // 0 stereo, 1 joint stereo, 3 mono (captured as 1 channel)
  uint32_t bitrate = 128;       // kbit/s: the CBR rate, the VBR minimum
  uint32_t maxBitrate = 320;    // kbit/s: the VBR maximum
  int preset = 0;               // 0 normal, 1 low, 2 high, 3 voice, 4 'R3Mix', 5 very high
  int vbrMethod = -1;           // -1 CBR; 0 default, 1 old, 2 new, 3 MTRH VBR; 4 ABR
  int vbrQuality = 4;           // 0 (best) .. 9 (smallest)
  uint32_t abrBitrate = 0;      // bit/s, with vbrMethod 4
};
LameConfig lameConfigFromSettings(const Settings& settings);
// 1 for mode 3 (mono), else 2.
inline int lameChannels(const LameConfig& config) { return config.mode == 3 ? 1 : 2; }

// Opens LAME on `config`. No Xing/Info tag is written: the first frame is audio.
// chunkSamples is LAME's frame size times the channels; outputSize LAME's bound
// on the bytes a chunk gives (1.25 x samples per channel + 7200). On failure
// `error` is LAME's own (negative) return of lame_init_params.
EncoderOpening openLameEncoder(const LameConfig& config);

// What the encoder page shows of LAME: its version text ("3.100"), the
// psychoacoustic engine's numbers, and whether it runs a SIMD path.
struct LameVersion {
  bool available = false;
  std::string version;
  int engineMajor = 0;
  int engineMinor = 0;
  bool simd = false;
};
LameVersion lameVersion();

// --- The system's codec (FFmpeg's libavcodec), enc_type 1 ------------------------------

// One target format of the system's MP3 encoder.
struct SystemEncoderFormat {
  uint32_t sampleRate = 44100;  // Hz, also the capture rate
  uint32_t bitrate = 128000;    // bit/s
  uint8_t channels = 2;         // also the capture channels
  uint16_t blockSize = 417;     // bytes of one frame at this rate and bit rate (unpadded)
  bool operator==(const SystemEncoderFormat&) const = default;
};
SystemEncoderFormat systemFormatFromSettings(const Settings& settings);

// The name of libavcodec's MP3 encoder in use ("libmp3lame", else "libshine");
// empty when libavcodec has none.
std::string systemEncoderName();
// Every rate / bit rate / channels combination the encoder accepts, ordered by
// rate, then bit rate, then channels: the "Select MP3 compression" list.
std::vector<SystemEncoderFormat> systemEncoderFormats();
// Whether the encoder can produce `format` (the encoder page's probe).
bool systemEncoderAccepts(const SystemEncoderFormat& format);
// Opens the encoder; highQuality asks for its slowest, best search.
EncoderOpening openSystemEncoder(const SystemEncoderFormat& format, bool highQuality);

}  // namespace quillane
