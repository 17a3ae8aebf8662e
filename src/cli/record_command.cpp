// quillane-cli record: records from the sound input straight to MP3 through
// the window's recording engine (Rec, then Play at once), until a number of
// seconds has been recorded or SIGINT/SIGTERM arrives.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>

#include "audio/recording_engine.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/problem.h"
#include "audio/exit_after_sound.h"
#include "devices/qt_input_device.h"
#include "view/time_format.h"

namespace quillane::cli {
namespace {

// Without a filled buffer for this long the input has stalled for good.
constexpr int kStallMs = 5000;
constexpr int kWatchdogMs = 500;
constexpr int kProgressMs = 200;

struct RecordOptions {
  std::string base;
  double seconds = 0;
  std::vector<double> cueAt;
  std::string encoder = "lame";
  bool append = false;
  bool addDate = false;
  int device = 0;
  bool listInputs = false;
  bool turbo = false;
  int bitrate = 0;
  int rate = 0;
  bool mono = false;
  int vbrQuality = -1;
  CLI::Option* secondsOption = nullptr;
  CLI::Option* bitrateOption = nullptr;
  CLI::Option* rateOption = nullptr;
  CLI::Option* vbrOption = nullptr;
};

// The settings a recording takes from the command line; a problem when the
// options do not fit together.
Problem applyRecordOptions(Settings& s, const RecordOptions& o) {
  s.file_savepath = o.base;
  s.rec_appenddata = o.append ? 1 : 0;
  s.rec_adddate = o.addDate ? 1 : 0;
  s.device_in = static_cast<uint8_t>(o.device);
  if (o.encoder == "lame") {
    s.enc_type = 2;
    if (o.rateOption->count()) s.enc_lam_samplerate = o.rate;
    if (o.bitrateOption->count()) s.enc_lam_bitrate = static_cast<uint16_t>(o.bitrate);
    if (o.mono) s.enc_lam_mode = 3;
    if (o.vbrOption->count()) {
      s.enc_lam_vbr_method = 0;  // LAME's default VBR
      s.enc_lam_vbr_quality = static_cast<uint8_t>(o.vbrQuality);
    }
    return {};
  }
  s.enc_type = 1;
  if (o.vbrOption->count()) return std::string("record: --vbr needs --encoder lame");
  if (o.rateOption->count()) s.enc_acm_samplerate = o.rate;
  if (o.bitrateOption->count()) s.enc_acm_bitrate = o.bitrate * 1000;
  if (o.mono) s.enc_acm_channels = 1;
  // The frame size belongs to the format: take it from the encoder's own list.
  const SystemEncoderFormat wanted = systemFormatFromSettings(s);
  for (const SystemEncoderFormat& format : systemEncoderFormats()) {
    if (format.sampleRate == wanted.sampleRate && format.bitrate == wanted.bitrate &&
        format.channels == wanted.channels) {
      s.enc_acm_blocksize = format.blockSize;
    }
  }
  return {};
}

int listInputs(const QtInputDevice& device) {
  std::cout << "0 System default\n";
  const std::vector<std::string> names = device.inputNames();
  for (size_t i = 0; i < names.size(); ++i) std::cout << i + 1 << " " << names[i] << "\n";
  return kExitOk;
}

// SIGINT and SIGTERM only write a byte to a pipe; the event loop reads it and
// stops the recording, so the file is completed there. The handlers the
// process had before come back when this goes.
class StopSignals {
 public:
  explicit StopSignals(std::function<void()> onSignal) {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd_ = fds_[1];
    struct sigaction action {};
    action.sa_handler = [](int) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t n = ::write(writeEnd_, &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previousInt_);
    ::sigaction(SIGTERM, &action, &previousTerm_);
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this, onSignal] {
      char bytes[16];
      while (::read(fds_[0], bytes, sizeof bytes) > 0) {
      }
      onSignal();
    });
  }
  ~StopSignals() {
    if (!notifier_) return;
    ::sigaction(SIGINT, &previousInt_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    notifier_.reset();
    writeEnd_ = -1;
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  static inline volatile sig_atomic_t writeEnd_ = -1;
  int fds_[2] = {-1, -1};
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
  std::unique_ptr<QSocketNotifier> notifier_;
};

// The recording time and the level on one line of stderr, when it is a terminal.
class RecordProgress {
 public:
  explicit RecordProgress(const Session& session) : session_(session), active_(isatty(STDERR_FILENO) == 1) {
    if (!active_) return;
    QObject::connect(&timer_, &QTimer::timeout, [this] { show(); });
    timer_.start(kProgressMs);
  }
  ~RecordProgress() {
    if (!active_) return;
    std::fprintf(stderr, "\r%*s\r", 70, "");
    std::fflush(stderr);
  }

 private:
  void show() {
    const RecordingState& rec = session_.recording;
    const std::string time = formatTime(recordedBytes(session_), static_cast<float>(rec.recordRate), false);
    const auto& level = session_.meter.meterLevel;
    std::fprintf(stderr, "\rRecording time %s  level %3d %3d (of 127)  unencoded %3d%%  ", time.c_str(), level[0],
                 level[1], unencodedPercent(rec.pendingRecordBuffers));
    std::fflush(stderr);
  }

  const Session& session_;
  bool active_;
  QTimer timer_;
};

// The captured bytes that make `seconds` of the capture format.
uint64_t captureBytes(const PcmFormat& format, double seconds) {
  const auto frames = static_cast<uint64_t>(seconds * format.samplesPerSecond + 0.5);
  return frames * format.blockAlign;
}

// The first message the engine gave, as the command's one line.
int engineFailure(const std::vector<std::string>& messages, const std::string& fallback) {
  return failWith(messages.empty() ? fallback : messages.front());
}

// One recording through the engine, from Rec and Play to its stop.
//
// The end falls on the captured sound handed to the encoder, so that the file
// holds exactly the seconds asked for; the cue marks fall on the recording time
// (what the window's display shows), counted from this recording's start.
// Neither follows the wall clock, which a busy machine delays.
class CliRecording {
 public:
  CliRecording(QCoreApplication& app, Session& session, const RecordOptions& o)
      : app_(app), session_(session), rec_(session.recording), cueTimes_(o.cueAt), seconds_(o.seconds),
        timed_(o.secondsOption->count() > 0) {
    std::sort(cueTimes_.begin(), cueTimes_.end());
    host_.capture = &messages_;
    rec_.noticeHandler = [this](int index, uint32_t bytes) { onNotice(index, bytes); };
  }
  ~CliRecording() { rec_.noticeHandler = nullptr; }
  CliRecording(const CliRecording&) = delete;
  CliRecording& operator=(const CliRecording&) = delete;

  // Runs the recording; the exit status.
  int run() {
    if (!recordInit(session_, host_)) return engineFailure(messages_, "the recording could not start");
    if (!startWriting(session_, host_)) {
      stopRecording(session_, host_);
      return engineFailure(messages_, "the recording could not start");
    }
    if (timed_) stopBytes_ = std::max<uint64_t>(1, captureBytes(rec_.captureFormat, seconds_));
    startTime_ = recordingTime();

    waitForStop();
    if (failed_) return engineFailure(messages_, "the recording failed");

    std::cout << "recorded " << rec_.recordFileName << "\n";
    std::cout << "cue marks: " << rec_.cueMarks.size() << "\n";
    for (size_t i = 0; i < rec_.cueMarks.size(); ++i)
      std::cout << "cue " << i + 1 << " at byte " << rec_.cueMarks[i] << "\n";
    return kExitOk;
  }

 private:
  // Runs the event loop until the recording has stopped; the progress line
  // is gone when this returns.
  void waitForStop() {
    StopSignals stopSignals([this] { stop(); });
    RecordProgress progress(session_);
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
      if (stopped_ || sinceNotice_.elapsed() <= kStallMs) return;
      messages_.push_back("the input device stopped delivering sound");
      stop();
      failed_ = true;
    });
    sinceNotice_.start();
    watchdog.start(kWatchdogMs);
    app_.exec();
  }

  double recordingTime() const {
    if (rec_.recordRate <= 0) return 0;
    return static_cast<double>(recordedBytes(session_)) * 8 / rec_.recordRate - startTime_;
  }

  void onNotice(int index, uint32_t bytes) {
    if (stopped_) return;
    sinceNotice_.restart();
    if (!session_.recordWriting) {
      onRecordBuffer(session_, host_, index, bytes);
      return;
    }
    // A cue mark goes before or after this buffer, whichever lies nearer its time.
    const double now = recordingTime();
    const double next = now + static_cast<double>(bytes) / rec_.captureFormat.avgBytesPerSecond;
    while (nextCue_ < cueTimes_.size() && cueTimes_[nextCue_] - now <= next - cueTimes_[nextCue_]) setCue();

    const bool last = stopBytes_ > 0 && written_ + bytes >= stopBytes_;
    if (last) bytes = static_cast<uint32_t>(stopBytes_ - written_);
    onRecordBuffer(session_, host_, index, bytes);
    written_ += bytes;
    if (!session_.recordInitialised) {
      // The engine stopped the recording itself: its message says why.
      failed_ = stopped_ = true;
      app_.quit();
      return;
    }
    while (nextCue_ < cueTimes_.size() && cueTimes_[nextCue_] <= recordingTime()) setCue();
    if (last) stop();
  }

  void setCue() {
    setRecordCueMark(session_);
    ++nextCue_;
  }

  // Stop: the engine writes what the encoder holds and closes the file.
  void stop() {
    if (stopped_) return;
    stopped_ = true;
    if (!stopRecording(session_, host_)) failed_ = true;
    app_.quit();
  }

  QCoreApplication& app_;
  Session& session_;
  RecordingState& rec_;
  std::vector<std::string> messages_;
  CliHost host_;
  std::vector<double> cueTimes_;
  double seconds_;
  bool timed_;
  uint64_t stopBytes_ = 0;  // none: until a signal
  uint64_t written_ = 0;    // captured bytes handed to the encoder
  double startTime_ = 0;
  size_t nextCue_ = 0;
  bool failed_ = false;
  bool stopped_ = false;
  QElapsedTimer sinceNotice_;
};

int runRecord(const RecordOptions& o) {
  static int argc = 1;
  static char name[] = "quillane-cli";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QtInputDevice device;
  if (o.listInputs) return listInputs(device);
  if (o.base.empty()) return failWith("record: -o BASE is required");

  Session session;
  if (const Problem problem = applyRecordOptions(session.settings, o)) return failWith(*problem);
  session.recording.input = &device;
  session.recording.turboGrabber = o.turbo;
  const int status = CliRecording(app, session, o).run();
  session.recording.input = nullptr;
  device.close();
  // The input drops sound only when all the capture buffers wait to be encoded.
  const uint32_t bytesPerSecond = session.recording.captureFormat.avgBytesPerSecond;
  if (status == kExitOk && device.droppedBytes() > 0 && bytesPerSecond > 0)
    std::cerr << "quillane-cli: warning: " << device.droppedBytes() * 1000 / bytesPerSecond
              << " ms of sound were lost: the encoder fell behind the input\n";
  return status;
}

}  // namespace

void registerRecordCommand(CLI::App& app, CommandResult& /*result: record leaves through exitAfterSound*/) {
  auto o = std::make_shared<RecordOptions>();
  CLI::App* command = app.add_subcommand("record", "Record from the sound input straight to MP3");
  command->add_option("-o,--output", o->base, "Base of the file name: BASE.mp3, or with --add-date BASE-date.mp3")
      ->check(kFileName);
  o->secondsOption = command->add_option("--seconds", o->seconds, "Stop once this many seconds have been recorded")
                         ->check(CLI::PositiveNumber);
  command->add_option("--cue-at", o->cueAt, "Set a cue mark this many seconds into the recording (repeatable)")
      ->check(CLI::NonNegativeNumber)
      ->type_name("S");
  command->add_option("--encoder", o->encoder, "lame (libmp3lame, the default) or system (FFmpeg's MP3 encoder)")
      ->check(CLI::IsMember({"lame", "system"}));
  command->add_flag("--append", o->append, "Append to an existing BASE.mp3 instead of replacing it");
  command->add_flag("--add-date", o->addDate, "Add the date and time to the file name");
  command->add_option("--device", o->device, "Input device: 0 the system default, n input n of --list-inputs")
      ->check(CLI::Range(0, 255));
  command->add_flag("--list-inputs", o->listInputs, "List the inputs with their --device numbers");
  command->add_flag("--turbo", o->turbo, "33 1/3 Turbo Grabber: the input is a 33 1/3 rpm record played at 45 rpm");
  o->bitrateOption = command->add_option("--bitrate", o->bitrate, "Bit rate in kbit/s (LAME: the VBR minimum)")
                         ->check(CLI::Range(8, 320));
  o->rateOption = command->add_option("--rate", o->rate, "Sample rate in Hz")->check(CLI::Range(8000, 48000));
  command->add_flag("--mono", o->mono, "Record one channel");
  o->vbrOption = command->add_option("--vbr", o->vbrQuality, "LAME VBR at quality Q (0 best .. 9 smallest)")
                     ->check(CLI::Range(0, 9))
                     ->type_name("Q");
  // runRecord's QCoreApplication is gone when it returns: leave from here.
  command->callback([o] { exitAfterSound(runRecord(*o)); });
}

}  // namespace quillane::cli
