#include "app/dialogs/configuration_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <optional>
#include <vector>

#include "session/command_ids.h"
#include "settings/ui_text.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"
#include "test_main_window.h"
#include "dialog_steps.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

using test::control;

// A page of the dialog (the pages number their controls each on their own).
QWidget& page(QWidget& dialog, int id) {
  auto* found = dialog.findChild<QWidget*>(QStringLiteral("page%1").arg(id));
  if (!found) throw std::runtime_error("no page " + std::to_string(id));
  return *found;
}

// The dialog over a session with the built-in texts and one language folder
// holding lanDeutsch.ini; the colour chooser answers from `colours` (nothing:
// cancelled) and records what it was started with.
struct Configuration {
  test::TempDir dir;
  Session session;
  test::ScriptedShellHost host{session};
  std::vector<std::optional<ColourComponents>> colours;
  std::vector<ColourComponents> chooserStarts;
  std::unique_ptr<ConfigurationDialog> dialog;

  Configuration() {
    setBuiltInTexts(session.text);
    fs::create_directories(dir / "Languages");
    test::writeText(dir / "Languages" / "lanDeutsch.ini", "");
  }
  ConfigurationDialog& open() {
    ColourChooser chooser = [this](ColourComponents start, QWidget*) -> std::optional<ColourComponents> {
      chooserStarts.push_back(start);
      if (colours.empty()) return std::nullopt;
      const std::optional<ColourComponents> answer = colours.front();
      colours.erase(colours.begin());
      return answer;
    };
    dialog = std::make_unique<ConfigurationDialog>(session, host, std::vector<fs::path>{dir / "Languages"}, chooser,
                                                   nullptr);
    return *dialog;
  }
};

TEST(ConfigurationDialog, FourTabsInOrderOpenedOnTheRememberedOne) {
  Configuration c;
  c.session.configTab = 3;
  ConfigurationDialog& dialog = c.open();
  QTabWidget* tabs = control<QTabWidget>(dialog, 301);
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->tabText(0), "Devices");
  EXPECT_EQ(tabs->tabText(1), "Encoder [F12]");
  EXPECT_EQ(tabs->tabText(2), "Operation");
  EXPECT_EQ(tabs->tabText(3), "Misc");
  EXPECT_EQ(tabs->currentIndex(), 3);
  EXPECT_EQ(dialog.windowTitle(), "Quillane - Configuration");
  EXPECT_EQ(control<QPushButton>(dialog, 613)->text(), "&Close");
  tabs->setCurrentIndex(1);
  control<QPushButton>(dialog, 613)->click();
  EXPECT_EQ(c.session.configTab, 1);
}

TEST(ConfigurationDialog, StepsAreHeldWithinTheirLimitsWhenThePageIsLeftOrClosed) {
  struct Case {
    const char* small;
    const char* large;
    uint16_t expectSmall, expectLarge;
  };
  for (const Case t : {Case{"0", "20000", 1, 10000}, Case{"", "5", 1, 10}, Case{"1000", "10000", 1000, 10000},
                       Case{"1001", "10", 1000, 10}, Case{"77", "999", 77, 999}}) {
    SCOPED_TRACE(std::string(t.small) + " / " + t.large);
    for (const bool byTabChange : {false, true}) {
      Configuration c;
      c.session.configTab = 2;
      ConfigurationDialog& dialog = c.open();
      auto* small = control<QLineEdit>(page(dialog, 313), 671);
      auto* large = control<QLineEdit>(page(dialog, 313), 672);
      EXPECT_EQ(small->text(), "383");
      EXPECT_EQ(large->text(), "2297");
      small->setText(t.small);
      large->setText(t.large);
      if (byTabChange) {
        control<QTabWidget>(dialog, 301)->setCurrentIndex(3);
      } else {
        dialog.reject();  // Escape
      }
      EXPECT_EQ(c.session.settings.frameskiplo, t.expectSmall);
      EXPECT_EQ(c.session.settings.frameskiphi, t.expectLarge);
    }
  }
}

TEST(ConfigurationDialog, MouseMethodRadios) {
  Configuration c;
  ConfigurationDialog& dialog = c.open();
  EXPECT_TRUE(control<QRadioButton>(page(dialog, 313), 602)->isChecked());
  control<QRadioButton>(page(dialog, 313), 601)->click();
  EXPECT_EQ(c.session.settings.mouse_method, 0);
  control<QRadioButton>(page(dialog, 313), 602)->click();
  EXPECT_EQ(c.session.settings.mouse_method, 1);
}

TEST(ConfigurationDialog, ChoosingALanguageStoresItAndAsksForARestart) {
  for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
    Configuration c;
    c.session.settings.language = "Klingon";  // its file is gone: the first entry shows
    ConfigurationDialog& dialog = c.open();
    dialog.show();
    auto* languages = control<QComboBox>(page(dialog, 313), 651);
    ASSERT_EQ(languages->count(), 2);
    EXPECT_EQ(languages->itemText(0), "English (default, no file)");
    EXPECT_EQ(languages->itemText(1), "Deutsch");
    EXPECT_EQ(languages->currentIndex(), 0);

    c.host.scripted.messageAnswers = {answer};
    languages->setCurrentIndex(1);
    emit languages->activated(1);
    EXPECT_EQ(c.session.settings.language, "Deutsch");
    ASSERT_EQ(c.host.messages().size(), 1u);
    EXPECT_EQ(c.host.messages()[0].text, "Restart program?");
    EXPECT_EQ(c.host.messages()[0].caption, "Quillane");
    EXPECT_EQ(c.host.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialog.restartRequested(), answer == MessageAnswer::Yes);
    EXPECT_EQ(dialog.isVisible(), answer == MessageAnswer::No);

    // English again empties the setting.
    c.host.scripted.messageAnswers = {MessageAnswer::No};
    emit languages->activated(0);
    EXPECT_EQ(c.session.settings.language, "");
  }
}

TEST(ConfigurationDialog, ColoursFromTheChooserAndCancelKeepsTheColour) {
  Configuration c;
  c.session.configTab = 3;
  ConfigurationDialog& dialog = c.open();
  auto* list = control<QListWidget>(page(dialog, 314), 651);
  ASSERT_EQ(list->count(), 7);
  EXPECT_EQ(list->item(0)->text(), "Background");
  EXPECT_EQ(list->item(6)->text(), "VU meter");

  const int32_t cursor = c.session.settings.rgb_cursor;
  c.colours = {std::nullopt, ColourComponents{0x12, 0x34, 0x56}};
  emit list->itemActivated(list->item(2));  // cancelled
  EXPECT_EQ(c.session.settings.rgb_cursor, cursor);
  emit list->itemActivated(list->item(5));
  EXPECT_EQ(c.session.settings.rgb_actual, 0x563412);
  ASSERT_EQ(c.chooserStarts.size(), 2u);
  EXPECT_EQ(settingOfRgb(c.chooserStarts[0]), cursor);
  EXPECT_EQ(settingOfRgb(c.chooserStarts[1]), Settings{}.rgb_actual);
  EXPECT_EQ(c.host.refreshes, (std::vector<int>{3, 3}));
}

TEST(ConfigurationDialog, MiscOptionsToggleTheirSettings) {
  Configuration c;
  ConfigurationDialog& dialog = c.open();
  struct Case {
    int id;
    int32_t Settings::*setting;
  };
  for (const Case t : {Case{621, &Settings::high_pri}, Case{622, &Settings::warn}, Case{623, &Settings::showtt}}) {
    auto* box = control<QCheckBox>(page(dialog, 314), t.id);
    const int32_t before = c.session.settings.*t.setting;
    EXPECT_EQ(box->isChecked(), before != 0);
    box->click();
    EXPECT_EQ(c.session.settings.*t.setting, before ? 0 : 1) << t.id;
    EXPECT_EQ(box->isChecked(), before == 0);
    box->click();
    EXPECT_EQ(c.session.settings.*t.setting, before) << t.id;
  }
}

TEST(ConfigurationDialog, DevicesPageSlidersFollowTheirCouplingAndTheDecoderRadios) {
  Configuration c;
  c.session.settings.buffer_max = 32;
  c.session.settings.buffer_frm = 2;
  ConfigurationDialog& dialog = c.open();
  auto* size = control<QSlider>(page(dialog, 311), 631);
  auto* frames = control<QSlider>(page(dialog, 311), 632);
  EXPECT_EQ(size->minimum(), 8);
  EXPECT_EQ(size->maximum(), 64);
  EXPECT_EQ(frames->minimum(), 1);
  EXPECT_EQ(frames->maximum(), 8);
  size->setValue(9);
  EXPECT_EQ(c.session.settings.buffer_frm, 1);
  EXPECT_EQ(frames->value(), 1);
  EXPECT_EQ(control<QLabel>(page(dialog, 311), 671)->text(), " 9 KB ");
  frames->setValue(8);
  EXPECT_EQ(c.session.settings.buffer_max, 40);
  EXPECT_EQ(size->value(), 40);
  EXPECT_EQ(control<QLabel>(page(dialog, 311), 672)->text(), " 8 frame(s)");

  EXPECT_EQ(control<QRadioButton>(page(dialog, 311), 601)->text(), "System (&FFmpeg)");
  EXPECT_EQ(control<QRadioButton>(page(dialog, 311), 602)->text(), "lib&mpg123");
  control<QRadioButton>(page(dialog, 311), 602)->click();
  EXPECT_EQ(c.session.settings.use_mpglib, 1);
  control<QRadioButton>(page(dialog, 311), 601)->click();
  EXPECT_EQ(c.session.settings.use_mpglib, 0);

  // The system default comes first, or the one entry that says there is none.
  for (const int id : {651, 652}) {
    auto* devices = control<QComboBox>(page(dialog, 311), id);
    ASSERT_GE(devices->count(), 1);
    const QString first = devices->itemText(0);
    EXPECT_TRUE(first == "System default" || (devices->count() == 1 && first.startsWith("No "))) << first.toStdString();
  }
}

TEST(ConfigurationDialog, WhilePlayingTheDeviceControlsAreDisabled) {
  Configuration c;
  c.session.playing = true;
  ConfigurationDialog& dialog = c.open();
  for (const int id : {601, 602, 631, 632, 651}) EXPECT_FALSE(control<QWidget>(page(dialog, 311), id)->isEnabled()) << id;
  EXPECT_TRUE(control<QWidget>(page(dialog, 311), 652)->isEnabled());
  c.session.playing = false;
}

// The window's commands: F12 opens on the encoder's tab, the next Configure on the
// tab that was open at the close; a restart asked for in the dialog reaches the window.
class RestartingWindow : public test::TestMainWindow {
 public:
  using TestMainWindow::TestMainWindow;
  int restarts = 0;
  void restartProgram() override { ++restarts; }
};

// Calls `act` with the configuration dialog as soon as it is the active modal window.
void whenOpen(std::function<void(ConfigurationDialog&)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    auto* dialog = qobject_cast<ConfigurationDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    poll->stop();
    poll->deleteLater();
    act(*dialog);
  });
  poll->start(5);
}

TEST(ConfigurationDialog, OpenedByTheWindowsCommandsAndRestartingTheWindow) {
  test::TempDir dir;
  Session session;
  session.settingsFile = dir / "quillane.ini";
  RestartingWindow window(session);
  window.start({});

  int shownTab = -1;
  whenOpen([&](ConfigurationDialog& dialog) {
    shownTab = dialog.tabs()->currentIndex();
    dialog.reject();
  });
  window.runCommand(cmd::kConfigureEncoder);
  EXPECT_EQ(shownTab, kEncoderTab);

  whenOpen([&](ConfigurationDialog& dialog) {
    shownTab = dialog.tabs()->currentIndex();
    dialog.tabs()->setCurrentIndex(kOperationTab);
    window.answer = MessageAnswer::Yes;
    auto* languages = control<QComboBox>(page(dialog, 313), 651);
    emit languages->activated(languages->count() - 1);
  });
  window.runCommand(cmd::kConfigure);
  EXPECT_EQ(shownTab, kEncoderTab);
  EXPECT_EQ(session.configTab, kOperationTab);
  EXPECT_EQ(window.messages, std::vector<std::string>{"Restart program?"});
  QTest::qWait(20);
  EXPECT_EQ(window.restarts, 1);
}

}  // namespace
}  // namespace quillane
