#include "app/dialogs/names_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/ok_cancel_dialog.h"
#include "session/command_ids.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

constexpr int kArtistLabel = 661;
constexpr int kTitleLabel = 662;
constexpr int kArtistField = 681;
constexpr int kTitleField = 682;

// Wide enough for a usual album title without scrolling.
constexpr int kFieldWidth = 360;


QLineEdit* nameField(int controlId, const std::string& text, QWidget* parent) {
  auto* field = numberedControl(new QLineEdit(qtLabel(text), parent), controlId);
  field->setMaxLength(static_cast<int>(kNameFieldChars));
  field->setMinimumWidth(kFieldWidth);
  return field;
}

}  // namespace

int runNamesDialog(Session& session, ShellHost& host, QWidget* parent) {
  NamesDialogBox dialog(session, host, parent);
  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}

NamesDialogBox::NamesDialogBox(Session& session, ShellHost& host, QWidget* parent)
    : QDialog(parent), session_(session), host_(host), model_(openNamesDialog(session)) {
  setObjectName(QStringLiteral("dialog%1").arg(dlg::kNames));
  setModal(true);
  setWindowTitle(qtLabel(model_.caption));
  const NamesDialogLabels labels = namesDialogLabels(session.text);

  artist_ = nameField(kArtistField, model_.artist, this);
  title_ = nameField(kTitleField, model_.title, this);
  auto* artistLabel = numberedControl(new QLabel(qtLabel(labels.artist), this), kArtistLabel);
  auto* titleLabel = numberedControl(new QLabel(qtLabel(labels.title), this), kTitleLabel);
  artistLabel->setBuddy(artist_);
  titleLabel->setBuddy(title_);

  auto* fields = new QFormLayout;
  fields->addRow(artistLabel, artist_);
  fields->addRow(titleLabel, title_);

  QDialogButtonBox* buttons = okCancelButtons(this, labels.ok, labels.cancel);

  auto* column = new QVBoxLayout(this);
  column->addLayout(fields);
  column->addWidget(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);

  artist_->setFocus();
}

void NamesDialogBox::done(int result) {
  if (result == QDialog::Accepted) {
    model_.artist = artist_->text().toStdString();
    model_.title = title_->text().toStdString();
    acceptNamesDialog(session_, model_);
  }
  closeNamesDialog(session_, model_);
  host_.refreshView(kRefreshSelection);
  QDialog::done(result);
}

}  // namespace quillane
