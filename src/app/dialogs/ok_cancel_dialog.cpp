#include "app/dialogs/ok_cancel_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace quillane {

namespace {
constexpr int kOkButton = 611;
constexpr int kCancelButton = 612;
}  // namespace

QWidget* withControlId(QWidget* widget, int controlId) {
  widget->setObjectName(QStringLiteral("control%1").arg(controlId));
  widget->setProperty("controlId", controlId);
  return widget;
}

QDialogButtonBox* okCancelButtons(QDialog* dialog, const std::string& ok, const std::string& cancel) {
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* okButton = buttons->addButton(qtLabel(ok), QDialogButtonBox::AcceptRole);
  withControlId(okButton, kOkButton);
  withControlId(buttons->addButton(qtLabel(cancel), QDialogButtonBox::RejectRole), kCancelButton);
  okButton->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace quillane
