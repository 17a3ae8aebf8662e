#include "app/dialogs/split_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/dialogs/numbered_control.h"
#include "save/split_names.h"
#include "save/split_save.h"
#include "session/command_ids.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

// Controls of the "Split file" dialog.
// 611 "&OK" and 612 "&Cancel" come with okCancelButtons.
constexpr int kFolderButton = 601;
constexpr int kId3v11Box = 621;
constexpr int kSampleAccurateBox = 622;
constexpr int kDestinationGroup = 641;
constexpr int kNamingGroup = 642;
constexpr int kIntroText = 661;
constexpr int kPatternHelpText = 662;
constexpr int kPatternWarningText = 663;
constexpr int kFirstNumberLabel = 664;
constexpr int kPatternField = 681;
constexpr int kFirstNumberField = 682;

constexpr int kPatternMaxLength = 199;  // split_name holds at most 199 characters
constexpr int64_t kDefaultFirstNumber = 1;
// The folder button shows a long path shortened in its middle to this width.
constexpr int kFolderButtonWidth = 440;

constexpr const char* kIntro =
    "Split saving creates multiple files. Every region between two cuts will be saved to a seperate file. This "
    "function is designed for separating different audio tracks. It's not recommended to use it for split+join "
    "purposes.";

QLabel* wrappedText(const QString& text, int controlId, QWidget* parent) {
  auto* label = numberedControl(new QLabel(text, parent), controlId);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// The folder the split writes to: savePath (or, before the first save, the
// source's path) without its file name.
std::string startFolder(const Session& session) {
  const std::string& path = session.save.savePath.empty() ? session.stream.sourcePath : session.save.savePath;
  return savePathFolder(path);
}

class SplitDialog : public QDialog {
 public:
  SplitDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    const UiText& text = session.text;
    setObjectName(QStringLiteral("dialog%1").arg(dlg::kSplit));
    setWindowTitle(tableLabel(text, ui::kSplitCaption, "Split file"));
    setModal(true);
    session_.save.savePath = startFolder(session_);

    auto* intro = wrappedText(tableLabel(text, ui::kSplitIntro, kIntro), kIntroText, this);
    intro->setMinimumWidth(kFolderButtonWidth + 40);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(destinationGroup());
    layout->addWidget(namingGroup());

    QDialogButtonBox* buttons =
        okCancelButtons(this, dialogLabel(text, ui::kLabelOk, "&OK"), uiText(text, ui::kDlgCancel));
    layout->addWidget(buttons);
  }

  void accept() override { finish(true); }
  void reject() override { finish(false); }  // Escape and the close box

  int64_t firstNumber() const {
    bool read = false;
    const qlonglong number = firstNumber_->text().toLongLong(&read);
    return read ? number : kDefaultFirstNumber;
  }

 private:
  QGroupBox* destinationGroup() {
    // Entry 254, built in, titles both the group (its own "Destination directory"
    // never shows) and the folder chooser.
    auto* group =
        numberedControl(new QGroupBox(tableText(session_.text, ui::kSplitSelectFolder), this), kDestinationGroup);
    folder_ = numberedControl(new QPushButton(group), kFolderButton);
    folder_->setAutoDefault(false);
    folder_->setMinimumWidth(kFolderButtonWidth);
    connect(folder_, &QPushButton::clicked, this, [this] { chooseFolder(); });
    auto* box = new QVBoxLayout(group);
    box->addWidget(folder_);
    showFolder();
    return group;
  }

  QGroupBox* namingGroup() {
    const UiText& text = session_.text;
    auto* group = numberedControl(new QGroupBox(tableLabel(text, ui::kSplitNaming, "Filename creation"), this), kNamingGroup);
    pattern_ = numberedControl(new QLineEdit(QString::fromStdString(session_.settings.split_name), group), kPatternField);
    pattern_->setMaxLength(kPatternMaxLength);

    auto* numberLabel =
        numberedControl(new QLabel(tableLabel(text, ui::kSplitFirstNumber, "%N begins with"), group), kFirstNumberLabel);
    firstNumber_ = numberedControl(new QLineEdit(QString::number(kDefaultFirstNumber), group), kFirstNumberField);
    // Digits only, as many as a track number can use.
    firstNumber_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")),
                                                               firstNumber_));
    firstNumber_->setMaximumWidth(firstNumber_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);
    numberLabel->setBuddy(firstNumber_);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(numberLabel);
    numberRow->addWidget(firstNumber_);
    numberRow->addStretch(1);

    id3v11_ = numberedControl(
        new QCheckBox(tableLabel(text, ui::kSplitId3v11, "Create ID3v1.1 tags (using %T, %A (or %D), %C, %N)"), group),
        kId3v11Box);
    id3v11_->setChecked(session_.settings.split_id3v11 != 0);
    // Gapless pieces that start and end at their exact samples (sources with a LAME tag).
    sampleAccurate_ = numberedControl(
        new QCheckBox(tableLabel(text, ui::kSplitSampleAccurate, "Sample-accurate split pieces"), group),
        kSampleAccurateBox);
    sampleAccurate_->setChecked(session_.settings.split_sample_accurate != 0);

    auto* codes = new QHBoxLayout;
    codes->addWidget(wrappedText(tableText(text, ui::kSplitPatternHelp), kPatternHelpText, group), 1);
    codes->addSpacing(12);
    codes->addWidget(wrappedText(tableText(text, ui::kSplitPatternWarning), kPatternWarningText, group), 1);

    auto* box = new QVBoxLayout(group);
    box->addWidget(pattern_);
    box->addLayout(codes);
    box->addLayout(numberRow);
    box->addWidget(id3v11_);
    box->addWidget(sampleAccurate_);
    return group;
  }

  // The folder's path, shortened in the middle when it is too long for the button.
  void showFolder() {
    const QString folder = QString::fromStdString(session_.save.savePath);
    const int room = kFolderButtonWidth - 24;
    folder_->setText(folder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, room));
    folder_->setToolTip(folder);
  }

  void chooseFolder() {
    QFileDialog chooser(this, tableText(session_.text, ui::kSplitSelectFolder),
                        QString::fromStdString(session_.save.savePath));
    chooser.setObjectName(QStringLiteral("folderChooser"));
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    std::string folder = chooser.selectedFiles().first().toStdString();
    if (folder.empty()) return;
    if (!isSavePathSeparator(folder.back())) folder += savePathSeparator();
    session_.save.savePath = folder;
    showFolder();
  }

  void finish(bool accepted) {
    session_.settings.split_name = pattern_->text().toStdString();
    if (accepted) {
      session_.settings.split_id3v11 = id3v11_->isChecked() ? 1 : 0;
      session_.settings.split_sample_accurate = sampleAccurate_->isChecked() ? 1 : 0;
    }
    done(accepted ? QDialog::Accepted : QDialog::Rejected);
  }

  Session& session_;
  QPushButton* folder_ = nullptr;
  QLineEdit* pattern_ = nullptr;
  QLineEdit* firstNumber_ = nullptr;
  QCheckBox* id3v11_ = nullptr;
  QCheckBox* sampleAccurate_ = nullptr;
};

}  // namespace

int runSplitDialog(Session& session, ShellHost& host, QWidget* parent) {
  int64_t firstNumber = 0;
  {
    SplitDialog dialog(session, parent);
    if (dialog.exec() != QDialog::Accepted) return 1;
    firstNumber = dialog.firstNumber();
  }
  // The pieces one after the other, each through the "Saving data..." dialog; the
  // first that fails or is cancelled ends the split with the pieces saved so far.
  const SplitResult result =
      splitSaveThrough(session, host, firstNumber, [&host] { return host.runDialog(dlg::kSaving) == 0; });
  if (const std::string problem = id3v2ProblemText(session.stream.sourcePath, result); !problem.empty()) {
    host.messageBox(problem, uiText(session.text, ui::kMsgWarning), MessageIcon::Warning, MessageButtons::Ok,
                    MessageAnswer::Ok);
  }
  return result.ok ? 0 : 1;
}

}  // namespace quillane
