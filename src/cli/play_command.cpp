// quillane-cli play: plays the edited audio through the sound output, with the
// window's engine and its rules for where the cursor ends up.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <iostream>
#include <memory>
#include <optional>

#include "audio/playback_engine.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/positions.h"
#include "audio/exit_after_sound.h"
#include "devices/qt_output_device.h"
#include "session/command_ids.h"
#include "view/time_format.h"

namespace quillane::cli {
namespace {

// The prelisten buttons by mode: 1 F9, 2 F5, 3 F6, 4 F7, 5 F8.
constexpr int kPrelistenButtons[] = {0, cmd::kPrelistenAsCut, cmd::kPrelistenToBegin, cmd::kPrelistenFromBegin,
                                     cmd::kPrelistenToEnd, cmd::kPrelistenFromEnd};

// Without a notice for this long the output has stalled for good.
constexpr int kStallMs = 5000;
constexpr int kWatchdogMs = 500;

struct PlayOptions {
  std::string source;
  EditOptions edits;
  std::string selection;
  std::string from;
  std::string to;
  int prelisten = 0;
  int device = 0;
  int bufferFrames = 0;
  int bufferMax = 0;
  int fast = 0;
  int stopAfterMs = -1;
  int seekAtMs = -1;
  std::string seekTo;
  std::string decoder;
  bool listDevices = false;
  CLI::Option* deviceOption = nullptr;
  CLI::Option* bufferFramesOption = nullptr;
  CLI::Option* bufferMaxOption = nullptr;
};

// The engine's host on the command line: messages through CliHost (stderr), the
// start timer a real one-shot QTimer on the event loop, the buttons only kept.
class CliPlaybackHost : public PlaybackHost {
 public:
  explicit CliPlaybackHost(Session& session) : session_(session) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      startTimerFired(session_, *this);
      if (started) started();
    });
  }

  MessageAnswer messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons, MessageAnswer defaultAnswer) override {
    return messages.messageBox(text, caption, icon, buttons, defaultAnswer);
  }
  bool openFileDialog(const FileDialogRequest& request, std::string& path) override {
    return messages.openFileDialog(request, path);
  }
  bool saveFileDialog(const FileDialogRequest& request, std::string& path) override {
    return messages.saveFileDialog(request, path);
  }
  void beep() override {}

  void startTimer(int timerId, int milliseconds) override {
    if (timerId != tmr::kStartPlayback) return;
    timerRequested = true;
    timer_.start(milliseconds);
  }
  void stopTimer(int timerId) override {
    if (timerId == tmr::kStartPlayback) timer_.stop();
  }
  void setButtonPressed(int, bool) override {}
  void setButtonText(int, const std::string&) override {}
  void fatalError(const std::string& text, const std::string& caption) override {
    messages.messageBox(text, caption, MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
    std::exit(EXIT_FAILURE);
  }

  CliHost messages;
  bool timerRequested = false;
  std::function<void()> started;  // after the start timer has run startTimerFired

 private:
  Session& session_;
  QTimer timer_;
};

// The offset that an option names, if given; a problem when its text is no position.
Problem positionOption(Session& session, const std::string& name, const std::string& text,
                       std::optional<int64_t>& position) {
  if (text.empty()) return {};
  position = parsePosition(session.stream, text);
  if (!position) return positionProblem(session.stream, name, text, kPositionForms);
  return {};
}

int listDevices(const QtOutputDevice& device) {
  std::cout << "0 System default\n";
  const std::vector<std::string> names = device.outputNames();
  for (size_t i = 0; i < names.size(); ++i) std::cout << i + 1 << " " << names[i] << "\n";
  return kExitOk;
}

// Opens the source with its edits and the selection, and takes the output
// options into the settings; a problem when the source can't be used.
Problem prepareSession(Session& session, CliPlaybackHost& host, const PlayOptions& o, const CLI::App& command) {
  if (Problem problem = openEditedSource(session, host, o.source, command, o.edits)) return problem;
  if (Problem problem = applySelection(session, o.selection)) return problem;
  applyDecoderOption(session, o.decoder);
  if (o.deviceOption->count()) session.settings.device_out = static_cast<uint8_t>(o.device);
  if (o.bufferFramesOption->count()) session.settings.buffer_frm = static_cast<uint8_t>(o.bufferFrames);
  if (o.bufferMaxOption->count()) session.settings.buffer_max = static_cast<uint8_t>(o.bufferMax);
  return {};
}

// --from, --to and --seek-to as offsets of the opened file.
struct PlayPositions {
  std::optional<int64_t> from;
  std::optional<int64_t> to;
  std::optional<int64_t> seekTo;
};

// Reads all three; the problem of the first one that is no position.
Problem readPositions(Session& session, const PlayOptions& o, PlayPositions& positions) {
  if (Problem problem = positionOption(session, "--from", o.from, positions.from)) return problem;
  if (Problem problem = positionOption(session, "--to", o.to, positions.to)) return problem;
  return positionOption(session, "--seek-to", o.seekTo, positions.seekTo);
}

// What the handlers of one play share while the event loop runs.
struct PlayRun {
  QCoreApplication& app;
  Session& session;
  CliPlaybackHost& host;
  const PlayOptions& options;
  PlayPositions positions;
  QElapsedTimer sinceNotice;  // since the output last handed a buffer back
  int exitCode = kExitOk;
};

// A buffer has been played: the engine goes on, until --to is reached or
// playback has ended.
void onNotice(PlayRun& run, int index) {
  Session& session = run.session;
  run.sinceNotice.restart();
  onBufferDone(session, run.host, index);
  if (run.positions.to && session.playing && session.playPosition >= *run.positions.to)
    requestStop(session, run.host);
  if (!session.playing) run.app.quit();
}

// The start timer has run: --fast, --stop-after-ms and --seek-at-ms take effect
// from here.
void onStarted(PlayRun& run) {
  Session& session = run.session;
  const PlayOptions& o = run.options;
  if (!session.playing) {
    // Nothing plays: a failure has been shown, or a prelisten ended during priming.
    if (!run.host.messages.lastMessage.empty()) run.exitCode = kExitFailure;
    run.app.quit();
    return;
  }
  run.sinceNotice.start();
  // Fast Play steps as F8 gives them while playing.
  for (int i = 0; i < o.fast; ++i) fastPlayFaster(session, run.host);
  if (o.stopAfterMs >= 0)
    QTimer::singleShot(o.stopAfterMs, &run.app, [&run] {
      requestStop(run.session, run.host);
      run.app.quit();
    });
  if (o.seekAtMs >= 0 && run.positions.seekTo)
    QTimer::singleShot(o.seekAtMs, &run.app, [&run] {
      if (run.session.playing) seekPlayback(run.session, *run.positions.seekTo);
    });
}

// Prelisten (--prelisten) or play, as the buttons do.
void requestStart(PlayRun& run) {
  const int mode = run.options.prelisten;
  if (mode > 0)
    requestPrelisten(run.session, run.host, mode, kPrelistenButtons[mode]);
  else
    requestPlay(run.session, run.host);
}

// Runs the event loop until playback ends, with a watchdog that stops an output
// that no longer hands buffers back.
void runUntilStopped(PlayRun& run) {
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [&run] {
    if (run.session.playing && run.sinceNotice.isValid() && run.sinceNotice.elapsed() > kStallMs) {
      requestStop(run.session, run.host);
      run.exitCode = failWith("the output device stopped returning buffers");
      run.app.quit();
    }
  });
  watchdog.start(kWatchdogMs);
  run.app.exec();
  stopPlayback(run.session);
}

void printStopPosition(const AudioStream& stream) {
  std::cout << "stopped at " << stream.cursor << " ("
            << formatTime(stream.cursor - stream.audioStart, stream.avgBitrate, false) << ")\n";
}

int runPlay(const PlayOptions& o, const CLI::App& command) {
  static int argc = 1;
  static char name[] = "quillane-cli";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QtOutputDevice device;
  if (o.listDevices) return listDevices(device);
  if (o.source.empty()) return failWith("play: SOURCE is required");

  Session session;
  CliPlaybackHost host(session);
  PlayPositions positions;
  if (const Problem problem = prepareSession(session, host, o, command)) return failWith(*problem);
  if (const Problem problem = readPositions(session, o, positions)) return failWith(*problem);

  session.playback.output = &device;
  if (positions.from) seekPlayback(session, *positions.from);
  PlayRun run{app, session, host, o, positions, QElapsedTimer(), kExitOk};
  session.playback.noticeHandler = [&run](int index) { onNotice(run, index); };
  host.started = [&run] { onStarted(run); };
  requestStart(run);
  if (host.timerRequested) runUntilStopped(run);
  session.playback.output = nullptr;
  device.close();

  printStopPosition(session.stream);
  return run.exitCode;
}

}  // namespace

void registerPlayCommand(CLI::App& app, CommandResult& /*result: play leaves through exitAfterSound*/) {
  auto o = std::make_shared<PlayOptions>();
  CLI::App* command = app.add_subcommand("play", "Play the edited audio through the sound output");
  command->add_option("SOURCE", o->source, "Audio file, project file (.qlp) or cue sheet (.cue)")->check(kFileName);
  addEditOptions(*command, o->edits);
  CLI::Option* selection =
      command->add_option("--selection", o->selection, "The selection the prelisten works on")->type_name("A-B");
  command->add_option("--from", o->from, "Play from here (the cursor)")->type_name("T");
  command->add_option("--to", o->to, "Stop once playback has reached this position")->type_name("T");
  command->add_option("--prelisten", o->prelisten, "Prelisten instead of play: 1 F9 (as cut), 2 F5, 3 F6, 4 F7, 5 F8")
      ->check(CLI::Range(1, 5))
      ->needs(selection);
  o->deviceOption = command->add_option("--device", o->device, "Output device: 0 the system default, n output n")
                        ->check(CLI::Range(0, 255));
  o->bufferFramesOption =
      command->add_option("--buffer-frames", o->bufferFrames, "Frames decoded into each buffer (buffer_frm)")
          ->check(CLI::Range(1, 8));
  o->bufferMaxOption =
      command->add_option("--buffer-max", o->bufferMax, "Largest buffer in KiB (buffer_max); 8 frames need 40")
          ->check(CLI::Range(8, 64));
  command->add_option("--fast", o->fast, "Fast Play level after the start (F8 pressed N times; needs buffer_frm >= 4)")
      ->check(CLI::Range(0, 9));
  command->add_option("--stop-after-ms", o->stopAfterMs, "Stop, as the Stop command does, after N ms of playing")
      ->check(CLI::NonNegativeNumber);
  CLI::Option* seekAt =
      command->add_option("--seek-at-ms", o->seekAtMs, "Move the cursor to --seek-to after N ms of playing")
          ->check(CLI::NonNegativeNumber);
  CLI::Option* seekTo = command->add_option("--seek-to", o->seekTo, "Where --seek-at-ms moves the cursor")->type_name("T");
  seekAt->needs(seekTo);
  seekTo->needs(seekAt);
  command->add_flag("--list-devices", o->listDevices, "List the outputs with their --device numbers");
  addDecoderOption(*command, o->decoder);
  // runPlay's QCoreApplication is gone when it returns: leave from here.
  command->callback([o, command] { exitAfterSound(runPlay(*o, *command)); });
}

}  // namespace quillane::cli
