#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <utility>

namespace quillane::test {

// Control `id` of a dialog ("control<id>").
template <class Widget>
Widget* control(QDialog& dialog, int id) {
  return dialog.findChild<Widget*>(QStringLiteral("control%1").arg(id));
}

// Plays `act` once into the first modal dialog that opens, from that dialog's own
// event loop; ran() says whether one opened.
class ModalScript {
 public:
  explicit ModalScript(std::function<void(QDialog&)> act) : act_(std::move(act)) {
    poll_.setInterval(1);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || !dialog->isVisible()) return;
      // Acts once the dialog is the active window (its focus set), or after a while.
      if (QApplication::activeWindow() != dialog && ++waited_ < kMaxWaits) return;
      poll_.stop();
      ran_ = true;
      act_(*dialog);
    });
    poll_.start();
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  bool ran() const { return ran_; }

 private:
  static constexpr int kMaxWaits = 250;  // half a second
  std::function<void(QDialog&)> act_;
  int waited_ = 0;
  QTimer poll_;
  bool ran_ = false;
};

}  // namespace quillane::test
