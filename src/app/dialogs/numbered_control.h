#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <functional>

#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

// The text-table entry of the "&OK" buttons (no built-in text: a language file's
// entry replaces the dialog's own "&OK").
constexpr int kOkButtonEntry = 240;

// Gives a dialog's control its number: the object name "control<id>" and the
// property "controlId", by which tests and the screenshot script find it.
template <class Widget>
Widget* numbered(Widget* widget, int controlId) {
  widget->setObjectName(QStringLiteral("control%1").arg(controlId));
  widget->setProperty("controlId", controlId);
  return widget;
}

// A label of a dialog: the text table's entry when a language file set it,
// otherwise the dialog's own text.
inline QString tableLabel(const UiText& table, int entry, const char* ownText) {
  const std::string& text = uiText(table, entry);
  return text.empty() ? QString::fromUtf8(ownText) : QString::fromStdString(text);
}

// An entry of the text table that always has a text (a built-in one at least).
inline QString tableText(const UiText& table, int entry) { return QString::fromStdString(uiText(table, entry)); }

// The "&OK" (611, the default button) and "&Cancel" (612) row at the foot of a
// dialog, right-aligned; `finish` gets true for OK and false for Cancel.
inline QHBoxLayout* okCancelRow(const UiText& table, QDialog* dialog, std::function<void(bool accepted)> finish) {
  auto* ok = numbered(new QPushButton(tableLabel(table, kOkButtonEntry, "&OK"), dialog), 611);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, [finish] { finish(true); });
  auto* cancel = numbered(new QPushButton(tableText(table, ui::kDlgCancel), dialog), 612);
  cancel->setAutoDefault(false);
  QObject::connect(cancel, &QPushButton::clicked, dialog, [finish] { finish(false); });
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

}  // namespace quillane
