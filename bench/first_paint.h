#pragma once

// Start-up to the first paint, for the window start-up benchmark: the runner puts
// the microseconds of the real-time clock just before it starts the program into
// QUILLANE_START_US; the program prints the milliseconds from then to the first
// paint of the widget that `isView` accepts, and ends at once.
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <unistd.h>

namespace quillane::bench {

class FirstPaint : public QObject {
 public:
  explicit FirstPaint(std::function<bool(QObject*)> isView) : isView_(std::move(isView)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && isView_(watched)) {
      std::printf("%.2f\n", millisecondsSinceStart());
      std::fflush(stdout);
      ::_exit(0);  // the time is taken; tearing down is not part of it
    }
    return false;
  }

 private:
  static double millisecondsSinceStart() {
    const char* start = std::getenv("QUILLANE_START_US");
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const double nowUs = static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
    return start ? (nowUs - std::atof(start)) / 1000.0 : -1.0;
  }

  std::function<bool(QObject*)> isView_;
};

}  // namespace quillane::bench
