// The window's stored rectangle, whatever the settings file held, brought onto
// the screens at start.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "settings/settings.h"
#include "test_main_window.h"

namespace quillane {
namespace {

struct StoredRectangle {
  const char* what;
  int32_t x, y, w, h;
};

// Starts a window on settings that hold `r`, then checks that it lies wholly on
// the screen, no larger than the screen's available area.
void expectStartsOnTheScreen(const StoredRectangle& r, bool throughTheFile) {
  SCOPED_TRACE(std::string(r.what) + (throughTheFile ? ", read from the file" : ", set directly"));
  test::TempDir dir;
  Session session;
  session.settingsFile = dir / "quillane.ini";
  if (throughTheFile) {
    test::writeText(session.settingsFile, "[Quillane]\r\nwindow_x=" + std::to_string(r.x) + "\r\nwindow_y=" +
                                              std::to_string(r.y) + "\r\nwindow_w=" + std::to_string(r.w) +
                                              "\r\nwindow_h=" + std::to_string(r.h) + "\r\n");
    resetSettings(session.settings, session.settingsFile);
  } else {
    session.settings.window_x = r.x;
    session.settings.window_y = r.y;
    session.settings.window_w = r.w;
    session.settings.window_h = r.h;
  }
  auto window = std::make_unique<test::TestMainWindow>(session);
  window->start({});
  QCoreApplication::processEvents();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  EXPECT_TRUE(screen.contains(frame)) << "frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                      << frame.height() << " on a screen of " << screen.width() << "x"
                                      << screen.height();
  EXPECT_TRUE(window->isVisible());
  window->close();
}

const StoredRectangle kHostile[] = {
    {"height of 2^24", 40, 40, 660, 1 << 24},
    {"height of -2^31", 40, 40, 660, INT_MIN},
    {"width of 2^24", 40, 40, 1 << 24, 430},
    {"width and height of 2^31 - 1", 40, 40, INT_MAX, INT_MAX},
    {"size of 0", 40, 40, 0, 0},
    {"far to the right and below", 1 << 30, 1 << 30, 660, 430},
    {"far to the left and above", INT_MIN, INT_MIN, 660, 430},
    {"just off the right edge", 5000, 40, 660, 430},
    {"everything at its limit", INT_MAX, INT_MAX, INT_MAX, INT_MAX},
};

TEST(WindowGeometry, HostileStoredRectanglesStartOnTheScreen) {
  for (const StoredRectangle& r : kHostile) expectStartsOnTheScreen(r, false);
}

TEST(WindowGeometry, HostileSettingsFilesStartOnTheScreen) {
  for (const StoredRectangle& r : kHostile) expectStartsOnTheScreen(r, true);
}

TEST(WindowGeometry, ARectangleOnTheScreenStaysAsItWas) {
  test::TempDir dir;
  Session session;
  session.settingsFile = dir / "quillane.ini";
  session.settings.window_x = 30;
  session.settings.window_y = 20;
  session.settings.window_w = 700;
  session.settings.window_h = 480;
  test::TestMainWindow window(session);
  window.start({});
  EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(30, 20));
  EXPECT_EQ(window.size(), QSize(700, 480));
  window.close();
}

// Closed and started again, three times over, the window comes back where and as
// large as it was: the stored size is the inside's, which is what resize sets.
TEST(WindowGeometry, RestartsKeepTheRectangle) {
  test::TempDir dir;
  const std::filesystem::path file = dir / "quillane.ini";
  test::writeText(file, "[Quillane]\r\nwindow_x=50\r\nwindow_y=60\r\nwindow_w=760\r\nwindow_h=470\r\n");
  QRect first;
  for (int start = 0; start < 4; ++start) {
    SCOPED_TRACE(start);
    Session session;
    session.settingsFile = file;
    resetSettings(session.settings, file);
    test::TestMainWindow window(session);
    window.start({});
    QCoreApplication::processEvents();
    const QRect frame = window.frameGeometry();
    if (start == 0) first = frame;
    EXPECT_EQ(frame, first);
    EXPECT_EQ(window.size(), QSize(760, 470));
    window.close();
  }
}

// Without a stored rectangle the window opens on two thirds of the screen, in
// its middle.
TEST(WindowGeometry, FirstStartTakesTwoThirdsOfTheScreen) {
  test::TempDir dir;
  Session session;
  session.settingsFile = dir / "quillane.ini";
  resetSettings(session.settings, session.settingsFile);
  test::TestMainWindow window(session);
  window.start({});
  QCoreApplication::processEvents();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QSize wanted = (QSize(screen.width() * 2 / 3, screen.height() * 2 / 3)).expandedTo(window.minimumSizeHint());
  EXPECT_EQ(window.size(), wanted);
  const QPoint middle = window.frameGeometry().center();
  EXPECT_LE(std::abs(middle.x() - screen.center().x()), 8) << middle.x();
  EXPECT_LE(std::abs(middle.y() - screen.center().y()), 16) << middle.y();
  window.close();
}

}  // namespace
}  // namespace quillane
