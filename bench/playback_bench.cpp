// The cost of one returned playback buffer: onBufferDone decodes buffer_frm
// frames into the buffer, splices it when Fast Play is on, and feeds the level
// meter. Runs on a 60-second 320 kbit/s stereo file made with sox and lame, with
// an output device that only queues, for both decoders, buffer_frm 8 and 1, at
// normal speed and at Fast Play level 9. Target: under 1 ms per buffer.
// Usage: playback_bench. Prints the mean and the worst time per buffer.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>

#include "audio/output_device.h"
#include "audio/playback_engine.h"
#include "session/host.h"
#include "session/session.h"
#include "stream/open_stream.h"

namespace fs = std::filesystem;
using namespace quillane;

namespace {

// Takes every buffer and gives it back when asked, oldest first.
class QueueingDevice : public OutputDevice {
 public:
  std::vector<std::string> outputNames() const override { return {"queue"}; }
  bool open(const PcmFormat&, int, DoneHandler done) override {
    done_ = std::move(done);
    open_ = true;
    return true;
  }
  void write(int index, const uint8_t*, uint32_t) override { queued_.push_back(index); }
  void reset() override {}
  void close() override {
    open_ = false;
    queued_.clear();
  }
  bool isOpen() const override { return open_; }
  bool returnOldest() {
    if (queued_.empty()) return false;
    const int index = queued_.front();
    queued_.pop_front();
    done_(index);
    return true;
  }

 private:
  DoneHandler done_;
  std::deque<int> queued_;
  bool open_ = false;
};

class QuietHost : public PlaybackHost {
 public:
  MessageAnswer messageBox(const std::string& text, const std::string&, MessageIcon, MessageButtons,
                           MessageAnswer answer) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return answer;
  }
  bool openFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  bool saveFileDialog(const FileDialogRequest&, std::string&) override { return false; }
  void beep() override {}
  void startTimer(int, int) override {}
  void stopTimer(int) override {}
  void setButtonPressed(int, bool) override {}
  void setButtonText(int, const std::string&) override {}
};

bool makeFile(const fs::path& dir, fs::path& mp3) {
  const fs::path wav = dir / "music.wav";
  mp3 = dir / "320.mp3";
  // Two detuned tones with noise keep the encoder busy in every band.
  const std::string make = "sox -n -r 44100 -c 2 -b 16 '" + wav.string() +
                           "' synth 60 sine 440 sine 660 synth 60 pinknoise mix gain -8 2>/dev/null && "
                           "lame --quiet -b 320 -m s '" + wav.string() + "' '" + mp3.string() + "'";
  return std::system(make.c_str()) == 0 && fs::exists(mp3);
}

void run(const fs::path& mp3, int useMpglib, int bufferFrames, int fastLevel) {
  Session session;
  QueueingDevice device;
  QuietHost host;
  session.settings.use_mpglib = useMpglib;
  session.settings.buffer_frm = static_cast<uint8_t>(bufferFrames);
  session.settings.buffer_max = 64;  // KiB: room for 8 frames of 1152 stereo samples
  session.playback.output = &device;
  session.stream.sourcePath = mp3.string();
  if (!openStream(session.stream)) {
    std::printf("cannot open %s\n", mp3.c_str());
    return;
  }
  if (!startPlayback(session, host)) {
    std::printf("playback did not start\n");
    return;
  }
  session.fastPlayLevel = fastLevel;
  using Clock = std::chrono::steady_clock;
  double total = 0.0;
  double worst = 0.0;
  int buffers = 0;
  while (session.playing) {
    const auto start = Clock::now();
    if (!device.returnOldest()) break;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    total += ms;
    worst = std::max(worst, ms);
    ++buffers;
  }
  std::printf("%-8s buffer_frm %d  fast %d: %5d buffers, mean %.3f ms, worst %.3f ms\n",
              useMpglib ? "mpg123" : "ffmpeg", bufferFrames, fastLevel, buffers, buffers ? total / buffers : 0.0,
              worst);
  closeStream(session);
}

}  // namespace

int main() {
  const fs::path dir = fs::temp_directory_path() / ("quillane_playback_bench_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::path mp3;
  if (!makeFile(dir, mp3)) {
    std::printf("could not make the test file with sox and lame\n");
    fs::remove_all(dir);
    return 1;
  }
  for (int useMpglib : {0, 1})
    for (int frames : {8, 1}) {
      run(mp3, useMpglib, frames, 0);
      if (frames >= 4) run(mp3, useMpglib, frames, 9);
    }
  fs::remove_all(dir);
  return 0;
}
