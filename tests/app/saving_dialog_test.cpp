#include "app/saving_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "support/scripted_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

QPushButton* buttonOf(SavingDialog& dialog) { return dialog.findChild<QPushButton*>("control612"); }
QLabel* reportOf(SavingDialog& dialog) { return dialog.findChild<QLabel*>("control661"); }

// Calls `act` from the dialog's own event loop as soon as `ready` holds.
void whileRunning(SavingDialog& dialog, std::function<bool()> ready, std::function<void()> act) {
  auto* poll = new QTimer(&dialog);
  QObject::connect(poll, &QTimer::timeout, &dialog, [poll, ready, act] {
    if (!ready()) return;
    poll->stop();
    act();
  });
  poll->start(1);
}

TEST(SavingDialog, SavesToTheEndAndClosesByItself) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_info.mp3")));
  s.save.savePath = (dir / "out.mp3").string();
  test::ScriptedHost host;
  SavingDialog dialog(s, host, nullptr);
  EXPECT_EQ(buttonOf(dialog)->text(), "&Cancel");
  EXPECT_EQ(dialog.run(), 0);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.findChild<QProgressBar*>("control617")->value(), 100);
  EXPECT_EQ(reportOf(dialog)->text(), "Frames: 116");
  const Bytes source = test::readBytes(test::dataPath("cbr128_info.mp3"));
  // The source's LAME Info frame (rebuilt: the same length) and the audio behind it.
  const Bytes written = test::readBytes(dir / "out.mp3");
  ASSERT_EQ(written.size(), static_cast<size_t>(s.stream.audioEnd));
  EXPECT_EQ(std::string(written.begin() + 36, written.begin() + 40), "Info");
  EXPECT_EQ(Bytes(written.begin() + s.stream.audioStart, written.end()),
            Bytes(source.begin() + s.stream.audioStart, source.begin() + s.stream.audioEnd));
}

TEST(SavingDialog, TheButtonAndTheCloseBoxCancelAndLeaveNothing) {
  test::TempDir dir;
  // The frames of cbr128_notag.mp3 100 times over, 4.8 MB: four slices.
  const Bytes one = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  Bytes all;
  for (int i = 0; i < 100; ++i) all.insert(all.end(), one.begin(), one.end());
  const fs::path source = dir / "long.mp3";
  test::writeBytes(source, all);
  for (const bool closeBox : {false, true}) {
    Session s;
    ASSERT_TRUE(test::openInSession(s, source));
    const fs::path out = dir / (closeBox ? "closed.mp3" : "cancelled.mp3");
    s.save.savePath = out.string();
    test::ScriptedHost host;
    SavingDialog dialog(s, host, nullptr);
    auto* progress = dialog.findChild<QProgressBar*>("control617");
    whileRunning(
        dialog, [progress] { return progress->value() > 0; },
        [&] { closeBox ? (void)dialog.close() : buttonOf(dialog)->click(); });
    EXPECT_EQ(dialog.run(), 1) << closeBox;
    EXPECT_FALSE(dialog.isVisible());
    // A cancelled save leaves no part of a file: the source is alone in its folder.
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
  }
}

TEST(SavingDialog, WarningsHoldItOpenWithClose) {
  test::TempDir dir;
  // 700 bytes of garbage before the 41st frame: the save re-synchronises once.
  const Bytes clean = test::readBytes(test::dataPath("cbr128_notag.mp3"));
  const int64_t at = test::demuxedFrames(test::dataPath("cbr128_notag.mp3")).at(40).pos;
  Bytes damaged(clean.begin(), clean.begin() + at);
  damaged.insert(damaged.end(), 700, 0x55);
  damaged.insert(damaged.end(), clean.begin() + at, clean.end());
  test::writeBytes(dir / "damaged.mp3", damaged);

  Session s;
  ASSERT_TRUE(test::openInSession(s, dir / "damaged.mp3"));
  s.save.savePath = (dir / "out.mp3").string();
  ASSERT_TRUE(s.save.holdOnWarnings);
  test::ScriptedHost host;
  SavingDialog dialog(s, host, nullptr);
  QString heldReport;
  whileRunning(
      dialog, [&] { return buttonOf(dialog)->text() == "&Close"; },
      [&] {
        heldReport = reportOf(dialog)->text();
        buttonOf(dialog)->click();
      });
  EXPECT_EQ(dialog.run(), 0);
  EXPECT_EQ(heldReport, "Frames: 116\nRe-syncs: 1");
  EXPECT_EQ(test::readBytes(dir / "out.mp3"), clean);
}

TEST(SavingDialog, ADestinationThatCannotBeCreatedEndsWithOne) {
  test::TempDir dir;
  Session s;
  ASSERT_TRUE(test::openInSession(s, test::dataPath("cbr128_notag.mp3")));
  s.save.savePath = (dir / "missing" / "out.mp3").string();
  test::ScriptedHost host;
  SavingDialog dialog(s, host, nullptr);
  EXPECT_EQ(dialog.run(), 1);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Could not create/write to file\n" + (dir / "missing" / "out.mp3").string() +
                                       ": No such file or directory");
  EXPECT_EQ(host.messages[0].caption, "Error");
}

}  // namespace
}  // namespace quillane
