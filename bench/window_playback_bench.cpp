// Playback through the main window: the window plays FILE from its start with
// buffer_frm and buffer_max as given, repainting its view at every returned
// buffer as it does for the user, until playback ends by itself. Run on the
// offscreen platform while something records the sound output (see
// bench/playback_dropouts.sh, which counts the gaps in the recording).
// Usage: window_playback_bench FILE BUFFER_FRM BUFFER_MAX
// Prints the wall time, the returned buffers and the repaints.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/main_window.h"
#include "audio/exit_after_sound.h"
#include "audio/module_sound_devices.h"
#include "edit/edit_model.h"
#include "session/command_ids.h"

namespace {

using namespace quillane;

// Counts the refreshes that the returned buffers cause.
class CountingWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;
  int refreshes = 0;
  void refreshView(int level) override {
    ++refreshes;
    MainWindow::refreshView(level);
  }
};

}  // namespace

int runBench(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: window_playback_bench FILE BUFFER_FRM BUFFER_MAX\n");
    return 2;
  }
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quillane_window_bench_" + std::to_string(QCoreApplication::applicationPid()));
  std::filesystem::create_directories(dir);

  Session session;
  session.settingsFile = dir / "quillane.ini";
  resetEditModel(session, ResetLevel::Everything);
  ModuleOutputDevice output;
  session.playback.output = &output;
  int returned = 0;
  int code = 0;
  {
    CountingWindow window(session);
    window.start(argv[1]);
    if (!session.stream.isOpen()) {
      std::fprintf(stderr, "cannot open %s\n", argv[1]);
      code = 1;
    } else {
      session.settings.buffer_frm = static_cast<uint8_t>(std::atoi(argv[2]));
      session.settings.buffer_max = static_cast<uint8_t>(std::atoi(argv[3]));
      auto windowNotice = session.playback.noticeHandler;
      session.playback.noticeHandler = [&](int index) {
        ++returned;
        windowNotice(index);
        if (!session.playing) app.quit();
      };
      QElapsedTimer clock;
      clock.start();
      const int refreshesBefore = window.refreshes;
      window.runCommand(cmd::kPlay);
      QTimer::singleShot(1000, &app, [&] {
        if (!session.playing) app.quit();  // nothing started: the message box said why
      });
      app.exec();
      std::printf("buffer_frm %d: %.2f s, %d buffers returned, %d repaints\n", session.settings.buffer_frm,
                  static_cast<double>(clock.elapsed()) / 1000.0, returned, window.refreshes - refreshesBefore);
    }
  }
  std::filesystem::remove_all(dir);
  return code;
}

int main(int argc, char** argv) { quillane::exitAfterSound(runBench(argc, argv)); }
