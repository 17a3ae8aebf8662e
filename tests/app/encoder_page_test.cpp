// Page 312 "Encoder [F12]" over scripted encoders, the "Select MP3 compression"
// dialog, and the input list of page 311.
#include "app/dialogs/config_encoder_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <string>
#include <vector>

#include "app/dialogs/config_devices_page.h"
#include "app/dialogs/configuration_dialog.h"
#include "app/dialogs/mp3_compression_dialog.h"
#include "modal_script.h"
#include "settings/ui_text.h"
#include "support/scripted_host.h"
#include "support/scripted_shell_host.h"
#include "dialog_steps.h"

namespace quillane {
namespace {

using test::control;

std::vector<std::string> entries(QComboBox* list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list->count(); ++i) texts.push_back(list->itemText(i).toStdString());
  return texts;
}

std::string shown(QComboBox* list) { return list->currentText().toStdString(); }

// The system codec's formats as a test offers them: two rates, two bit rates,
// mono and stereo.
std::vector<SystemEncoderFormat> someFormats() {
  std::vector<SystemEncoderFormat> formats;
  for (const uint32_t rate : {22050u, 44100u})
    for (const uint32_t bitrate : {64000u, 128000u})
      for (const uint8_t channels : {uint8_t{1}, uint8_t{2}})
        formats.push_back({rate, bitrate, channels, static_cast<uint16_t>(144 * bitrate / rate)});
  return formats;
}

// An encoder page over scripted encoders: LAME 3.100 and FFmpeg's libmp3lame
// unless a test says otherwise.
struct Page {
  Session session;
  test::ScriptedHost host;
  LameVersion lame{true, "3.100", 1, 0, false};
  std::string systemName = "libmp3lame";
  bool systemAccepts = true;
  std::vector<SystemEncoderFormat> formats = someFormats();
  int probes = 0;
  std::unique_ptr<EncoderPage> page;

  Page() { setBuiltInTexts(session.text); }
  EncoderServices services() {
    EncoderServices encoders;
    encoders.lame = [this] {
      ++probes;
      return lame;
    };
    encoders.systemName = [this] { return systemName; };
    encoders.systemAccepts = [this](const SystemEncoderFormat&) { return systemAccepts; };
    encoders.systemFormats = [this] { return formats; };
    return encoders;
  }
  EncoderPage& open() {
    page = std::make_unique<EncoderPage>(session, host, services(), nullptr);
    return *page;
  }
  template <class Widget>
  Widget* at(int id) {
    return control<Widget>(*page, id);
  }
};

TEST(EncoderPage, SwitchesSayWhatWasFoundAndMissingEncodersAreNotLeftChosen) {
  struct Case {
    const char* what;
    bool lame;
    bool simd;
    const char* system;
    bool accepts;
    uint8_t type;
    const char* lameText;
    const char* systemText;
    uint8_t expectType;
  };
  const Case cases[] = {
      {"both", true, false, "libmp3lame", true, 2, "Use libmp3lame: Version 3.100, Engine 1.0",
       "Use FFmpeg (libmp3lame)", 2},
      {"SIMD", true, true, "libshine", true, 1, "Use libmp3lame: Version 3.100, Engine 1.0, MMX",
       "Use FFmpeg (libshine)", 1},
      {"no LAME", false, false, "libmp3lame", true, 2, "libmp3lame not found", "Use FFmpeg (libmp3lame)", 0},
      {"no system codec", true, false, "", false, 1, "Use libmp3lame: Version 3.100, Engine 1.0", "FFmpeg not found",
       0},
      {"a format the codec refuses", true, false, "libmp3lame", false, 1,
       "Use libmp3lame: Version 3.100, Engine 1.0", "Use FFmpeg (libmp3lame)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Page p;
    p.lame.available = c.lame;
    p.lame.simd = c.simd;
    p.systemName = c.system;
    p.systemAccepts = c.accepts;
    p.session.settings.enc_type = c.type;
    p.open();
    EXPECT_EQ(p.at<QCheckBox>(601)->text().toStdString(), c.lameText);
    EXPECT_EQ(p.at<QCheckBox>(602)->text().toStdString(), c.systemText);
    EXPECT_EQ(p.session.settings.enc_type, c.expectType);
    EXPECT_EQ(p.at<QCheckBox>(601)->isEnabled(), c.lame);
    EXPECT_EQ(p.at<QCheckBox>(602)->isEnabled(), std::string(c.system) != "");
    EXPECT_EQ(p.at<QCheckBox>(601)->isChecked(), c.expectType == 2);
    EXPECT_EQ(p.at<QCheckBox>(602)->isChecked(), c.expectType == 1);
  }
}

TEST(EncoderPage, TheSwitchesChooseTheEncoderAndItsControls) {
  Page p;
  p.session.settings.enc_type = 0;
  p.open();
  for (const int id : {603, 621, 651, 652, 653, 654, 655, 656, 657, 681})
    EXPECT_FALSE(p.at<QWidget>(id)->isEnabled()) << id;
  p.at<QCheckBox>(601)->click();
  EXPECT_EQ(p.session.settings.enc_type, 2);
  EXPECT_TRUE(p.at<QCheckBox>(601)->isChecked());
  for (const int id : {651, 652, 653, 654, 656}) EXPECT_TRUE(p.at<QWidget>(id)->isEnabled()) << id;
  for (const int id : {603, 621, 655, 657, 681}) EXPECT_FALSE(p.at<QWidget>(id)->isEnabled()) << id;
  // A second click leaves LAME chosen: the two switches choose, they do not turn off.
  p.at<QCheckBox>(601)->click();
  EXPECT_EQ(p.session.settings.enc_type, 2);
  EXPECT_TRUE(p.at<QCheckBox>(601)->isChecked());

  p.at<QCheckBox>(602)->click();
  EXPECT_EQ(p.session.settings.enc_type, 1);
  EXPECT_FALSE(p.at<QCheckBox>(601)->isChecked());
  for (const int id : {603, 621}) EXPECT_TRUE(p.at<QWidget>(id)->isEnabled()) << id;
  for (const int id : {651, 652, 653, 654, 655, 656, 657, 681}) EXPECT_FALSE(p.at<QWidget>(id)->isEnabled()) << id;
  p.at<QCheckBox>(621)->click();
  EXPECT_EQ(p.session.settings.enc_acm_highquality, 1);
  p.at<QCheckBox>(621)->click();
  EXPECT_EQ(p.session.settings.enc_acm_highquality, 0);
}

TEST(EncoderPage, ANewSampleRateRefillsTheBitrates) {
  Page p;
  p.session.settings.enc_type = 2;
  p.open();
  auto* bitrates = p.at<QComboBox>(651);
  auto* rates = p.at<QComboBox>(652);
  EXPECT_EQ(shown(bitrates), "128 kbit/s");
  EXPECT_EQ(shown(rates), "44100 Hz");
  EXPECT_EQ(entries(bitrates).front(), "32 kbit/s");

  rates->setCurrentIndex(4);
  emit rates->activated(4);
  EXPECT_EQ(p.session.settings.enc_lam_samplerate, 22050);
  ASSERT_EQ(bitrates->count(), 14);
  EXPECT_EQ(entries(bitrates).front(), "8 kbit/s");
  EXPECT_EQ(entries(bitrates).back(), "160 kbit/s");
  EXPECT_EQ(shown(bitrates), "128 kbit/s");  // there at both rates
  EXPECT_EQ(entries(p.at<QComboBox>(655)).back(), "Max 160 kbit/s");

  bitrates->setCurrentIndex(12);
  emit bitrates->activated(12);
  EXPECT_EQ(p.session.settings.enc_lam_bitrate, 144);
  rates->setCurrentIndex(1);
  emit rates->activated(1);
  EXPECT_EQ(entries(bitrates).front(), "32 kbit/s");
  EXPECT_EQ(entries(bitrates).back(), "320 kbit/s");
  EXPECT_EQ(bitrates->currentIndex(), -1);  // 144 kbit/s has no entry at 44100 Hz
  EXPECT_EQ(p.session.settings.enc_lam_bitrate, 144);
}

TEST(EncoderPage, R3mixSwitchesToTheNewVbrMethod) {
  Page p;
  p.session.settings.enc_type = 2;
  p.open();
  auto* quality = p.at<QComboBox>(654);
  auto* method = p.at<QComboBox>(656);
  EXPECT_EQ(shown(method), "CBR - Constant bitrate");
  quality->setCurrentIndex(5);
  emit quality->activated(5);
  EXPECT_EQ(shown(quality), "'R3Mix' quality (VBR)");
  EXPECT_EQ(p.session.settings.enc_lam_quality, 4);
  EXPECT_EQ(p.session.settings.enc_lam_vbr_method, 2);
  EXPECT_EQ(shown(method), "VBR 'new' method");
  EXPECT_EQ(shown(p.at<QComboBox>(651)), "128 kbit/s (min)");
  for (const int id : {655, 657}) EXPECT_TRUE(p.at<QWidget>(id)->isEnabled()) << id;

  // Back to CBR: the suffix goes, and the VBR lists are disabled.
  quality->setCurrentIndex(0);
  emit quality->activated(0);
  method->setCurrentIndex(0);
  emit method->activated(0);
  EXPECT_EQ(p.session.settings.enc_lam_vbr_method, -1);
  EXPECT_EQ(shown(p.at<QComboBox>(651)), "128 kbit/s");
  for (const int id : {655, 657}) EXPECT_FALSE(p.at<QWidget>(id)->isEnabled()) << id;
}

TEST(EncoderPage, ListsStoreTheirValues) {
  Page p;
  p.session.settings.enc_type = 2;
  p.session.settings.enc_lam_mode = 2;  // dual channel: shown and stored as joint stereo
  p.open();
  EXPECT_EQ(shown(p.at<QComboBox>(653)), "Joint Stereo");
  EXPECT_EQ(p.session.settings.enc_lam_mode, 1);
  struct Case {
    int id, index;
    const char* text;
  };
  for (const Case c : {Case{653, 2, "Mono"}, Case{654, 3, "Very high quality"}, Case{656, 5, "ABR - Average bitrate"},
                       Case{655, 9, "Max 160 kbit/s"}, Case{656, 1, "VBR 'default' method"},
                       Case{657, 9, "VBR quality 9 (smallest)"}}) {
    auto* list = p.at<QComboBox>(c.id);
    list->setCurrentIndex(c.index);
    emit list->activated(c.index);
    EXPECT_EQ(shown(list), c.text) << c.id;
  }
  const Settings& s = p.session.settings;
  EXPECT_EQ(s.enc_lam_mode, 3);
  EXPECT_EQ(s.enc_lam_quality, 5);
  EXPECT_EQ(s.enc_lam_bitrate_max, 160);
  EXPECT_EQ(s.enc_lam_vbr_method, 0);
  EXPECT_EQ(s.enc_lam_vbr_quality, 9);
}

TEST(EncoderPage, TypedAbrIsStoredWithinItsLimitsAndTheBoxKeepsTheTyping) {
  Page p;
  p.session.settings.enc_type = 2;
  p.session.settings.enc_lam_vbr_method = 4;
  p.open();
  auto* abr = p.at<QLineEdit>(681);
  ASSERT_TRUE(abr->isEnabled());
  EXPECT_EQ(abr->text(), "100");
  struct Case {
    const char* typed;
    uint16_t expect;
  };
  for (const Case c : {Case{"400", 320}, Case{"3", 8}, Case{"192", 192}, Case{"", 8}}) {
    abr->selectAll();
    QTest::keyClick(abr, Qt::Key_Delete);
    QTest::keyClicks(abr, c.typed);
    EXPECT_EQ(p.session.settings.enc_lam_abr_bitrate, c.expect) << c.typed;
    EXPECT_EQ(abr->text(), c.typed);
  }
  // The next refresh shows what is stored.
  p.at<QCheckBox>(623)->click();
  EXPECT_EQ(abr->text(), "8");
}

TEST(EncoderPage, AddDateAndAppendExcludeEachOther) {
  Page p;
  p.open();
  auto* date = p.at<QCheckBox>(623);
  auto* append = p.at<QCheckBox>(624);
  const Settings& s = p.session.settings;
  date->click();
  EXPECT_EQ(s.rec_adddate, 1);
  append->click();
  EXPECT_EQ(s.rec_appenddata, 1);
  EXPECT_EQ(s.rec_adddate, 0);
  EXPECT_FALSE(date->isChecked());
  date->click();
  EXPECT_EQ(s.rec_adddate, 1);
  EXPECT_EQ(s.rec_appenddata, 0);
  EXPECT_FALSE(append->isChecked());
  date->click();
  EXPECT_EQ(s.rec_adddate, 0);
  EXPECT_EQ(s.rec_appenddata, 0);
}

TEST(EncoderPage, NothingCanBeChangedWhileRecording) {
  Page p;
  p.session.settings.enc_type = 2;
  p.session.settings.enc_lam_vbr_method = 4;
  p.session.recordInitialised = true;
  p.open();
  for (const int id : {601, 602, 603, 604, 621, 623, 624, 651, 652, 653, 654, 655, 656, 657, 681})
    EXPECT_FALSE(p.at<QWidget>(id)->isEnabled()) << id;
  p.session.recordInitialised = false;
  p.page->refresh();
  for (const int id : {601, 602, 604, 623, 624, 651, 656, 681}) EXPECT_TRUE(p.at<QWidget>(id)->isEnabled()) << id;
}

TEST(EncoderPage, TheBaseNameComesFromTheFileDialogWithoutItsExtension) {
  Page p;
  p.open();
  auto* button = p.at<QPushButton>(604);
  EXPECT_EQ(button->toolTip(), "Recording");
  p.host.saveAnswers = {std::nullopt, std::string("/music/takes/session one.mp3")};
  button->click();  // cancelled
  EXPECT_EQ(p.session.settings.file_savepath, "Recording");
  button->click();
  EXPECT_EQ(p.session.settings.file_savepath, "/music/takes/session one");
  EXPECT_EQ(button->toolTip(), "/music/takes/session one");
  ASSERT_EQ(p.host.dialogs.size(), 2u);
  const FileDialogRequest& request = p.host.dialogs[0].request;
  EXPECT_EQ(p.host.dialogs[0].kind, test::ScriptedHost::DialogKind::Save);
  EXPECT_EQ(request.title, "Record base filename");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].description, "MP3 files (*.mp3)");
  EXPECT_EQ(request.filters[0].pattern, "*.mp3");
  EXPECT_TRUE(request.extensionFromType);
  EXPECT_FALSE(request.overwritePrompt);
  EXPECT_EQ(request.initialPath, "Recording.mp3");
  button->click();  // cancelled: the dialog proposed the name chosen before
  ASSERT_EQ(p.host.dialogs.size(), 3u);
  EXPECT_EQ(p.host.dialogs[2].request.initialPath, "/music/takes/session one.mp3");
  EXPECT_EQ(p.session.settings.file_savepath, "/music/takes/session one");
}

TEST(EncoderPage, ALongBaseNameIsShortenedOnItsButtonNotTheButtonWidened) {
  Page plain;
  plain.open();
  Page p;
  p.session.settings.file_savepath = "/" + std::string(40, 'a') + "/" + std::string(40, 'b') + "/" +
                                     std::string(40, 'c') + "/recording";
  p.open();
  EXPECT_EQ(p.page->sizeHint().width(), plain.page->sizeHint().width());
  p.page->show();
  QApplication::processEvents();
  auto* button = p.at<QPushButton>(604);
  EXPECT_LE(button->sizeHint().width(), button->width());
  EXPECT_TRUE(button->text().contains(QChar(0x2026))) << button->text().toStdString();
  EXPECT_TRUE(button->text().endsWith("recording")) << button->text().toStdString();
  EXPECT_EQ(button->toolTip().toStdString(), p.session.settings.file_savepath);
}

TEST(EncoderPage, TheCompressionDialogStoresTheChosenFormatAndCancelKeepsIt) {
  Page p;
  p.session.settings.enc_type = 1;
  p.open();
  auto* format = p.at<QPushButton>(603);
  EXPECT_EQ(format->text(), " 128 kbps, 44 kHz, Stereo");

  // Cancel keeps the format; the list showed every format, the current one selected.
  std::vector<std::string> listed;
  std::string selected;
  test::ModalScript cancel([&](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Select MP3 compression");
    auto* list = control<QListWidget>(dialog, 651);
    for (int i = 0; i < list->count(); ++i) listed.push_back(list->item(i)->text().toStdString());
    if (list->currentItem()) selected = list->currentItem()->text().toStdString();
    EXPECT_EQ(control<QPushButton>(dialog, 612)->text(), "&Cancel");
    control<QPushButton>(dialog, 612)->click();
  });
  format->click();
  ASSERT_TRUE(cancel.ran());
  EXPECT_EQ(listed, (std::vector<std::string>{" 64 kbps, 22 kHz, Mono", " 64 kbps, 22 kHz, Stereo",
                                              " 128 kbps, 22 kHz, Mono", " 128 kbps, 22 kHz, Stereo",
                                              " 64 kbps, 44 kHz, Mono", " 64 kbps, 44 kHz, Stereo",
                                              " 128 kbps, 44 kHz, Mono", " 128 kbps, 44 kHz, Stereo"}));
  EXPECT_EQ(selected, " 128 kbps, 44 kHz, Stereo");
  EXPECT_EQ(p.session.settings.enc_acm_bitrate, 128000);

  test::ModalScript choose([&](QDialog& dialog) {
    control<QListWidget>(dialog, 651)->setCurrentRow(1);
    control<QPushButton>(dialog, 611)->click();
  });
  format->click();
  ASSERT_TRUE(choose.ran());
  const Settings& s = p.session.settings;
  EXPECT_EQ(s.enc_acm_samplerate, 22050);
  EXPECT_EQ(s.enc_acm_bitrate, 64000);
  EXPECT_EQ(s.enc_acm_channels, 2);
  EXPECT_EQ(s.enc_acm_blocksize, 144 * 64000 / 22050);
  EXPECT_EQ(format->text(), " 64 kbps, 22 kHz, Stereo");

  // An encoder without formats: a beep, nothing else.
  p.formats.clear();
  format->click();
  EXPECT_EQ(p.host.beeps, 1);
  EXPECT_EQ(s.enc_acm_samplerate, 22050);
}

TEST(EncoderPage, GermanLabelsFromTheTextTable) {
  Page p;
  UiText& t = p.session.text;
  t.text[209] = "Hohe Qualität";
  t.text[212] = "Aufnahmepfad und Basis-Dateiname";
  t.text[213] = "Datum+Uhrzeit anfügen";
  t.text[214] = "An Datei anhängen";
  t.text[215] = "Verwende";
  t.text[216] = "nicht gefunden";
  p.systemName.clear();
  p.open();
  EXPECT_EQ(p.at<QCheckBox>(621)->text(), "Hohe Qualität");
  EXPECT_EQ(p.at<QWidget>(643)->property("title").toString(), "Aufnahmepfad und Basis-Dateiname");
  EXPECT_EQ(p.at<QCheckBox>(623)->text(), "Datum+Uhrzeit anfügen");
  EXPECT_EQ(p.at<QCheckBox>(624)->text(), "An Datei anhängen");
  EXPECT_EQ(p.at<QCheckBox>(601)->text(), "Verwende libmp3lame: Version 3.100, Engine 1.0");
  EXPECT_EQ(p.at<QCheckBox>(602)->text(), "FFmpeg nicht gefunden");
}

TEST(EncoderPage, IsTheConfigurationDialogsSecondTabAndProbesOnce) {
  Page p;
  test::ScriptedShellHost host{p.session};
  p.session.configTab = 1;
  ConfigurationDialog dialog(p.session, host, {}, nullptr, nullptr, p.services());
  auto* tabs = control<QTabWidget>(dialog, 301);
  EXPECT_EQ(tabs->currentWidget()->objectName(), "page312");
  EXPECT_EQ(p.probes, 1);
  EXPECT_TRUE(tabs->currentWidget()->findChild<QCheckBox*>("control601"));
}

// Pictures of the page with LAME's VBR choices and of the compression dialog,
// when pictures are asked for (scripts/screenshot, QUILLANE_DIALOG_PICTURES).
TEST(EncoderPage, PicturesOfTheChoices) {
  const QString folder = qEnvironmentVariable("QUILLANE_DIALOG_PICTURES");
  if (folder.isEmpty()) GTEST_SKIP() << "QUILLANE_DIALOG_PICTURES is not set";
  Page p;
  p.session.settings.enc_type = 2;
  p.session.settings.enc_lam_vbr_method = 4;
  p.open();
  p.page->show();
  QApplication::processEvents();
  p.page->grab().save(folder + "/en-312-encoder-lame-abr.png");
  p.session.settings.enc_type = 1;
  p.page->refresh();
  test::ModalScript picture([&](QDialog& dialog) {
    dialog.grab().save(folder + "/en-312-mp3-compression.png");
    dialog.reject();
  });
  p.at<QPushButton>(603)->click();
  EXPECT_TRUE(picture.ran());
}

// An input that only has names.
class NamedInputs : public InputDevice {
 public:
  explicit NamedInputs(std::vector<std::string> names) : names_(std::move(names)) {}
  std::vector<std::string> inputNames() const override { return names_; }
  bool open(const PcmFormat&, int, FilledHandler) override { return false; }
  bool addBuffer(int, uint8_t*, uint32_t) override { return false; }
  bool start() override { return false; }
  int waitingNotices() const override { return 0; }
  void close() override {}
  bool isOpen() const override { return false; }

 private:
  std::vector<std::string> names_;
};

// The input list of page 311: the system default first, then the device's
// inputs in their order, so that entry n is input n - 1; without inputs, one
// entry that says so.
TEST(DevicesPageInputs, ListTheSystemDefaultAndEveryInputAndStoreTheChoice) {
  Session session;
  setBuiltInTexts(session.text);
  session.settings.device_in = 0;
  NamedInputs device({"Microphone", "Line in"});
  session.recording.input = &device;
  DevicesPage page(session, nullptr);
  auto* inputs = control<QComboBox>(page, 652);
  EXPECT_EQ(entries(inputs), (std::vector<std::string>{"System default", "Microphone", "Line in"}));
  EXPECT_EQ(inputs->currentIndex(), 0);
  inputs->setCurrentIndex(2);
  emit inputs->activated(2);
  EXPECT_EQ(session.settings.device_in, 2);
  EXPECT_TRUE(inputs->isEnabled());
  session.recordInitialised = true;
  page.refresh();
  EXPECT_FALSE(inputs->isEnabled());
  session.recordInitialised = false;

  NamedInputs none({});
  session.recording.input = &none;
  DevicesPage empty(session, nullptr);
  EXPECT_EQ(entries(control<QComboBox>(empty, 652)), (std::vector<std::string>{"No input devices!"}));
}

}  // namespace
}  // namespace quillane
