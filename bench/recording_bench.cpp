// The recording engine without a sound card: a scripted input hands over capture
// buffers of a tone with noise as fast as the engine takes them, and the engine encodes and
// writes them as in a real recording.
//  1. Encoding time per captured buffer, as a share of the buffer's duration
//     (target: LAME at 320 kbit/s stereo under 20 %), for LAME CBR 320, LAME
//     VBR and the system codec (FFmpeg) at 320.
//  2. Memory over ten minutes of recording: the resident size after one and after
//     ten minutes of sound (target: within 1 MB).
// Usage: recording_bench
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "audio/recording_engine.h"
#include "bench_support.h"
#include "session/session.h"

namespace fs = std::filesystem;
using namespace quillane;
namespace bench = quillane::bench;

namespace {

// Hands every queued buffer back full of a continuing sine, at once.
class SineInput : public InputDevice {
 public:
  std::vector<std::string> inputNames() const override { return {"sine"}; }
  bool open(const PcmFormat& format, int, FilledHandler filled) override {
    format_ = format;
    filled_ = std::move(filled);
    return true;
  }
  bool addBuffer(int index, uint8_t* data, uint32_t capacity) override {
    queue_.push_back({index, data, capacity});
    return true;
  }
  bool start() override { return true; }
  int waitingNotices() const override { return 0; }
  void close() override {
    queue_.clear();
    filled_ = nullptr;
  }
  bool isOpen() const override { return static_cast<bool>(filled_); }

  // Fills and delivers the oldest buffer; returns the seconds of sound in it.
  double deliverOne() {
    const Queued q = queue_.front();
    queue_.pop_front();
    int16_t* samples = reinterpret_cast<int16_t*>(q.data);
    const std::size_t count = q.capacity / 2;
    const int channels = format_.channels;
    for (std::size_t i = 0; i < count; i += static_cast<std::size_t>(channels)) {
      // A tone with noise under it: music-like work for the encoder.
      noise_ = noise_ * 1103515245u + 12345u;
      const double hiss = static_cast<double>(static_cast<int>(noise_ >> 16) % 6000 - 3000);
      const auto value =
          static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440.0 * frame_ / format_.samplesPerSecond) + hiss);
      for (int c = 0; c < channels; ++c) samples[i + static_cast<std::size_t>(c)] = value;
      ++frame_;
    }
    filled_(q.index, q.capacity);
    return static_cast<double>(count / static_cast<std::size_t>(channels)) / format_.samplesPerSecond;
  }

 private:
  struct Queued {
    int index;
    uint8_t* data;
    uint32_t capacity;
  };
  PcmFormat format_;
  FilledHandler filled_;
  std::deque<Queued> queue_;
  long frame_ = 0;
  uint32_t noise_ = 1;
};

double residentMb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Recording {
  Session session;
  SilentHost host;
  SineInput input;

  Recording(const fs::path& base, void (*configure)(Settings&)) {
    session.recording.input = &input;
    session.settings.file_savepath = base.string();
    configure(session.settings);
  }
  bool start() { return recordInit(session, host) && startWriting(session, host); }
};

void lameCbr320(Settings& s) {
  s.enc_type = 2;
  s.enc_lam_bitrate = 320;
  s.enc_lam_mode = 1;
}
void lameVbr(Settings& s) {
  s.enc_type = 2;
  s.enc_lam_vbr_method = 0;
  s.enc_lam_vbr_quality = 2;
}
void system320(Settings& s) {
  s.enc_type = 1;
  s.enc_acm_bitrate = 320000;
}

bool encodingShare(const fs::path& dir, const char* name, void (*configure)(Settings&)) {
  Recording r(dir / "take", configure);
  if (!r.start()) {
    std::printf("%-28s could not start: %s\n", name, r.host.messages.empty() ? "" : r.host.messages[0].text.c_str());
    return false;
  }
  double sound = 0;
  const auto started = std::chrono::steady_clock::now();
  int buffers = 0;
  while (sound < 60.0) {
    sound += r.input.deliverOne();
    ++buffers;
  }
  const double spent = bench::seconds(started);
  stopRecording(r.session, r.host);
  std::printf("%-28s %4d buffers of %5.1f ms: %5.2f ms each, %5.2f %% of real time\n", name, buffers,
              1000 * sound / buffers, 1000 * spent / buffers, 100 * spent / sound);
  return true;
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("quillane-recording-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  bool ok = true;

  std::printf("Encoding one minute of 44.1 kHz stereo sound, buffer by buffer:\n");
  ok &= encodingShare(dir, "LAME CBR 320 kbit/s", lameCbr320);
  ok &= encodingShare(dir, "LAME VBR (V2)", lameVbr);
  ok &= encodingShare(dir, "FFmpeg (system) 320 kbit/s", system320);

  std::printf("\nTen minutes of LAME CBR 320 kbit/s, resident size:\n");
  {
    Recording r(dir / "long", lameCbr320);
    if (!r.start()) return 1;
    double sound = 0;
    double atOne = 0;
    while (sound < 600.0) {
      sound += r.input.deliverOne();
      if (atOne == 0 && sound >= 60.0) atOne = residentMb();
    }
    const double atTen = residentMb();
    stopRecording(r.session, r.host);
    std::printf("after 1 minute %.2f MB, after 10 minutes %.2f MB: %+.2f MB; file %.1f MB\n", atOne, atTen,
                atTen - atOne, static_cast<double>(fs::file_size(dir / "long.mp3")) / 1e6);
    ok &= atTen - atOne <= 1.0;
  }
  fs::remove_all(dir);
  return ok ? 0 : 1;
}
