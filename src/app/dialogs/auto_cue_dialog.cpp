#include "app/dialogs/auto_cue_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

#include "app/dialogs/ok_cancel_dialog.h"
#include "edit/auto_cue.h"
#include "session/command_ids.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

constexpr int kEveryLabel = 661;
constexpr int kIntervalField = 681;

// Room beside a window title for the icon and the buttons that title bars carry.
constexpr int kTitleBarButtons = 140;


}  // namespace

int runAutoCueDialog(Session& session, ShellHost& host, QWidget* parent) {
  AutoCueDialog dialog(session, host, parent);
  return dialog.exec() == QDialog::Accepted ? 0 : 1;
}

AutoCueDialog::AutoCueDialog(Session& session, ShellHost& host, QWidget* parent)
    : QDialog(parent), session_(session), host_(host) {
  setObjectName(QStringLiteral("dialog%1").arg(dlg::kAutoCue));
  setModal(true);
  const AutoCueDialogLabels labels = autoCueDialogLabels(session.text);
  setWindowTitle(qtLabel(labels.caption));

  interval_ = numberedControl(new QLineEdit(qtLabel(autoCueIntervalText(session.settings.autocue)), this), kIntervalField);
  interval_->setMaxLength(static_cast<int>(kAutoCueFieldChars));
  // Room for "999:59" and a little more, not for all 19 characters.
  interval_->setFixedWidth(interval_->fontMetrics().horizontalAdvance(QStringLiteral("0000:00")) + 16);
  auto* every = numberedControl(new QLabel(qtLabel(labels.every), this), kEveryLabel);
  every->setBuddy(interval_);

  auto* row = new QHBoxLayout;
  row->addWidget(every);
  row->addWidget(interval_);
  row->addStretch(1);

  QDialogButtonBox* buttons = okCancelButtons(this, labels.ok, labels.cancel);

  auto* column = new QVBoxLayout(this);
  column->addLayout(row);
  column->addWidget(buttons);
  // Wide enough that the window manager shows the whole title (a language file's may be long).
  const int titleWidth = fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarButtons;
  column->addSpacerItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));
  column->setSizeConstraint(QLayout::SetFixedSize);

  interval_->setFocus();
  interval_->selectAll();
}

void AutoCueDialog::accept() {
  if (!acceptAutoCueDialog(session_, interval_->text().toStdString())) {
    interval_->setFocus();
    interval_->selectAll();
    return;  // no ':' in the text: the dialog stays open
  }
  host_.refreshView(kRefreshSelection);
  QDialog::accept();
}

}  // namespace quillane
