#include "app/dialogs/file_info_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <string>

#include "save/file_facts.h"
#include "save/id3v2_tag.h"
#include "save/save_job.h"
#include "settings/ui_text.h"
#include "support/scripted_host.h"
#include "support/scripted_shell_host.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

template <class Widget>
Widget* control(QWidget& dialog, int id) {
  auto* found = dialog.findChild<Widget*>(QStringLiteral("control%1").arg(id));
  if (!found) ADD_FAILURE() << "no control " << id;
  return found;
}

struct OpenFile {
  Session session;
  test::ScriptedShellHost host{session};

  explicit OpenFile(const std::string& name) {
    setBuiltInTexts(session.text);
    if (!test::openInSession(session, test::dataPath(name))) ADD_FAILURE() << "could not open " << name;
  }
};

// Saves the whole open file to `out` as "Save" would.
void saveTo(Session& session, const fs::path& out) {
  test::ScriptedHost host;
  session.save.savePath = out.string();
  session.edits.modified = true;
  SaveJob job(session, host);
  ASSERT_TRUE(job.open());
  for (int slices = 0; !job.step() && slices < 100000; ++slices) {
  }
  ASSERT_EQ(job.result(), SaveJob::Result::Finished);
}

TEST(FileInfoDialog, ATagTypedIntoTheDialogIsWrittenAndReadBackByFfprobe) {
  OpenFile f("cbr128_notag.mp3");
  FileInfoDialog dialog(f.session, f.host, nullptr);
  auto* useTag = control<QCheckBox>(dialog, 621);
  auto* title = control<QLineEdit>(dialog, 681);
  EXPECT_FALSE(useTag->isChecked());
  EXPECT_TRUE(title->text().isEmpty());
  EXPECT_FALSE(title->isEnabled());

  useTag->click();
  EXPECT_TRUE(title->isEnabled());
  // 31 characters, the last ones outside Latin-1: the box holds 30.
  title->setText(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln am Rhein \xE2\x82\xAC und mehr!"));
  control<QLineEdit>(dialog, 682)->setText(QString::fromUtf8("Ren\xC3\xA9 Tester"));
  control<QLineEdit>(dialog, 683)->setText("Album of tests");
  control<QLineEdit>(dialog, 684)->setText("2026");
  control<QLineEdit>(dialog, 685)->setText("5");
  control<QLineEdit>(dialog, 674)->setText("17");
  control<QLineEdit>(dialog, 686)->setText("a comment of exactly thirty ch");
  control<QPushButton>(dialog, 611)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(f.session.stream.hasId3v1);

  test::TempDir dir;
  const fs::path out = dir / "tagged.mp3";
  saveTo(f.session, out);
  const test::Bytes bytes = test::readBytes(out);
  ASSERT_GT(bytes.size(), 128u);
  EXPECT_EQ(std::string(bytes.end() - 128, bytes.end() - 125), "TAG");
  EXPECT_EQ(bytes[bytes.size() - 3], 0);  // ID3v1.1: the comment took 28 characters
  EXPECT_EQ(bytes[bytes.size() - 2], 5);
  // Written Latin-1; the title cut at 30 characters, its euro sign written as "?".
  const std::string tag(bytes.end() - 128, bytes.end());
  EXPECT_EQ(tag.substr(kId3v1TitleAt, kId3v1TextWidth), "Gr\xFC\xDF" "e aus K\xF6ln am Rhein ? und ");
  EXPECT_EQ(tag.substr(kId3v1ArtistAt, 12), std::string("Ren\xE9 Tester") + '\0');

  const test::CommandOutput probe =
      test::runCommand("ffprobe -v error -show_format " + test::shellQuote(out.string()));
  ASSERT_EQ(probe.status, 0) << probe.err;
  // FFmpeg reads the tag's fields; it prints the Latin-1 letters as U+FFFD, so
  // those are checked in the bytes above. The comment took 28 characters
  // beside the track.
  for (const char* line : {"ln am Rhein ? und\n", "TAG:album=Album of tests\n", "TAG:date=2026\n", "TAG:track=5\n",
                           "TAG:genre=Rock\n", "TAG:comment=a comment of exactly thirty"})
    EXPECT_NE(probe.out.find(line), std::string::npos) << line << "\n" << probe.out;
}

TEST(FileInfoDialog, CancelKeepsTheTagButTheXingBoxActsAtOnce) {
  OpenFile f("id3v1.mp3");
  Id3v1Bytes before = f.session.stream.id3v1Tag;
  // Opening shows a genre byte of 0 as 255 and keeps that.
  if (before[kId3v1GenreAt] == 0) before[kId3v1GenreAt] = kId3v1NoGenre;
  const int32_t writeXing = f.session.settings.write_xing;
  FileInfoDialog dialog(f.session, f.host, nullptr);
  EXPECT_TRUE(control<QCheckBox>(dialog, 621)->isChecked());
  EXPECT_FALSE(control<QLineEdit>(dialog, 681)->text().isEmpty());
  control<QLineEdit>(dialog, 681)->setText("changed");
  control<QCheckBox>(dialog, 621)->click();
  control<QCheckBox>(dialog, 622)->click();
  control<QPushButton>(dialog, 612)->click();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(f.session.stream.id3v1Tag, before);
  EXPECT_TRUE(f.session.stream.hasId3v1);
  EXPECT_EQ(f.session.settings.write_xing, writeXing ? 0 : 1);
}

TEST(FileInfoDialog, KeepId3v2IsOnByDefaultAndDecidesWhetherASaveKeepsTheTag) {
  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "kept" : "dropped");
    OpenFile f("id3v2.mp3");
    ASSERT_GT(f.session.stream.audioStart, 0);
    FileInfoDialog dialog(f.session, f.host, nullptr);
    auto* keepBox = control<QCheckBox>(dialog, 623);
    EXPECT_EQ(keepBox->text(), "Keep ID3v2 tag");
    EXPECT_TRUE(keepBox->isChecked());
    if (!keep) keepBox->click();
    // The box of leading data explains and shows the bytes before the first frame.
    EXPECT_TRUE(control<QPlainTextEdit>(dialog, 673)->toPlainText().startsWith("The following data was found"));
    control<QPushButton>(dialog, 611)->click();
    EXPECT_EQ(f.session.settings.keep_id3v2, keep ? 1 : 0);

    test::TempDir dir;
    saveTo(f.session, dir / "out.mp3");
    const test::Bytes source = test::readBytes(test::dataPath("id3v2.mp3"));
    const test::Bytes out = test::readBytes(dir / "out.mp3");
    // The tag: the bytes before the first frame (the source's Info frame is not kept).
    const auto leading = static_cast<size_t>(f.session.stream.firstFrameStart);
    ASSERT_GT(leading, 0u);
    ASSERT_GT(out.size(), leading);
    EXPECT_EQ(std::equal(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(leading), out.begin()), keep);
  }
}

// The ID3v2 edits: title, artist, album, year, track, genre, comment.
QLineEdit* id3v2Edit(QWidget& dialog, int field) { return control<QLineEdit>(dialog, 701 + field); }

Id3v2MainFields savedId3v2Fields(const fs::path& path) {
  BinaryFile file;
  EXPECT_TRUE(file.open(path.string(), "rb"));
  return id3v2MainFields(readId3v2Tag(file)).fields;
}

TEST(FileInfoDialog, OkStoresTheEditedId3v2FieldsCancelLeavesThemAndTheSaveWritesThem) {
  OpenFile f("id3v1v2.mp3");
  {
    FileInfoDialog dialog(f.session, f.host, nullptr);
    EXPECT_EQ(id3v2Edit(dialog, 0)->text(), "Test Tone Three");
    EXPECT_EQ(id3v2Edit(dialog, 3)->text(), "2024");
    EXPECT_EQ(id3v2Edit(dialog, 5)->text(), "Jazz");
    EXPECT_TRUE(id3v2Edit(dialog, 0)->isEnabled());
    EXPECT_FALSE(control<QLabel>(dialog, 699)->isVisibleTo(&dialog));
    id3v2Edit(dialog, 0)->setText("Not kept");
    control<QPushButton>(dialog, 612)->click();
    EXPECT_FALSE(f.session.save.id3v2Edits.has_value());
  }
  {
    FileInfoDialog dialog(f.session, f.host, nullptr);
    EXPECT_EQ(id3v2Edit(dialog, 0)->text(), "Test Tone Three");
    id3v2Edit(dialog, 0)->setText(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e"));
    id3v2Edit(dialog, 6)->setText("typed in the dialog");
    control<QPushButton>(dialog, 611)->click();
    ASSERT_TRUE(f.session.save.id3v2Edits.has_value());
    EXPECT_EQ(f.session.save.id3v2Edits->title, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(f.session.save.id3v2Edits->album, "Quillane Test Data");  // untouched fields as they were
  }
  test::TempDir dir;
  saveTo(f.session, dir / "out.mp3");
  const Id3v2MainFields saved = savedId3v2Fields(dir / "out.mp3");
  EXPECT_EQ(saved, *f.session.save.id3v2Edits);
  {
    // The dialog opens with the stored fields; put back as they were, they are no change.
    FileInfoDialog dialog(f.session, f.host, nullptr);
    EXPECT_EQ(id3v2Edit(dialog, 6)->text(), "typed in the dialog");
    id3v2Edit(dialog, 0)->setText("Test Tone Three");
    id3v2Edit(dialog, 6)->setText("both tags");
    control<QPushButton>(dialog, 611)->click();
    EXPECT_FALSE(f.session.save.id3v2Edits.has_value());
  }
}

TEST(FileInfoDialog, Id3v2FieldsAreEditableOnlyWhenTheSaveKeepsTheTagAndTagLibCanReadIt) {
  {
    OpenFile f("cbr128_notag.mp3");  // no tag: the fields start empty and make a new one
    FileInfoDialog dialog(f.session, f.host, nullptr);
    EXPECT_TRUE(id3v2Edit(dialog, 0)->text().isEmpty());
    EXPECT_TRUE(id3v2Edit(dialog, 0)->isEnabled());
    control<QCheckBox>(dialog, 623)->click();
    EXPECT_FALSE(id3v2Edit(dialog, 0)->isEnabled());
    control<QCheckBox>(dialog, 623)->click();
    id3v2Edit(dialog, 0)->setText("A new tag");
    control<QPushButton>(dialog, 611)->click();
    test::TempDir dir;
    saveTo(f.session, dir / "out.mp3");
    EXPECT_EQ(savedId3v2Fields(dir / "out.mp3").title, "A new tag");
  }
  test::TempDir dir;
  test::Bytes damaged = test::readBytes(test::dataPath("id3v1v2.mp3"));
  damaged[10 + 10 + 4 + 44] = 0x01;  // the second frame's ID
  test::writeBytes(dir / "damaged.mp3", damaged);
  Session session;
  setBuiltInTexts(session.text);
  ASSERT_TRUE(test::openInSession(session, dir / "damaged.mp3"));
  test::ScriptedShellHost host{session};
  FileInfoDialog dialog(session, host, nullptr);
  auto* problem = control<QLabel>(dialog, 699);
  EXPECT_TRUE(problem->isVisibleTo(&dialog));
  EXPECT_TRUE(problem->text().contains("damaged")) << problem->text().toStdString();
  for (int field = 0; field < 7; ++field) EXPECT_FALSE(id3v2Edit(dialog, field)->isEnabled()) << field;
  control<QPushButton>(dialog, 611)->click();
  EXPECT_FALSE(session.save.id3v2Edits.has_value());
}

TEST(FileInfoDialog, FactsAndAnEmptyHeaderBoxForAFileThatStartsWithAFrame) {
  OpenFile f("cbr128_notag.mp3");
  FileInfoDialog dialog(f.session, f.host, nullptr);
  EXPECT_TRUE(control<QPlainTextEdit>(dialog, 673)->toPlainText().isEmpty());
  EXPECT_EQ(control<QLabel>(dialog, 671)->text().count('\n'), 7);
  const QString facts = control<QLabel>(dialog, 672)->text();
  EXPECT_TRUE(facts.startsWith(QString::fromStdString(groupThousands(f.session.stream.fileSize)) + " bytes\n"))
      << facts.toStdString();
  EXPECT_TRUE(facts.endsWith("No")) << facts.toStdString();
}

}  // namespace
}  // namespace quillane
