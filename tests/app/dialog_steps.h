#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <utility>

namespace quillane::test {

// The modal dialog that has the input now, when its object name is `name`.
inline QWidget* activeModal(const char* name) {
  QWidget* modal = QApplication::activeModalWidget();
  return modal && modal->isVisible() && modal->objectName() == QLatin1String(name) ? modal : nullptr;
}

// Control `id` ("control<id>") of a dialog; nullptr when there is none.
template <class Widget>
Widget* controlIn(QWidget* dialog, int id) {
  return dialog ? dialog->findChild<Widget*>(QStringLiteral("control%1").arg(id)) : nullptr;
}

// Control `id` of a window or page; a test failure when there is none.
template <class Widget>
Widget* control(QWidget& parent, int id) {
  auto* found = parent.findChild<Widget*>(QStringLiteral("control%1").arg(id));
  if (!found) ADD_FAILURE() << "no control " << id;
  return found;
}

// Steps that a test plays into modal dialogs while they run, in order: each waits
// until its condition holds (polled every millisecond from whatever event loop
// runs), then acts. An action that opens another modal dialog queues that with
// later(), since the poll is not fired again while one of its actions runs.
class DialogSteps {
 public:
  DialogSteps() {
    poll_.setInterval(1);
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      if (steps_.empty() || !steps_.front().ready()) return;
      const Step step = std::move(steps_.front());
      steps_.pop_front();
      step.act();
    });
    poll_.start();
  }
  DialogSteps(const DialogSteps&) = delete;
  DialogSteps& operator=(const DialogSteps&) = delete;

  DialogSteps& then(std::function<bool()> ready, std::function<void()> act) {
    steps_.push_back({std::move(ready), std::move(act)});
    return *this;
  }
  // Every step has been played.
  bool done() const { return steps_.empty(); }

  // Runs act from the event loop once the current action has returned.
  static void later(QObject* context, std::function<void()> act) { QTimer::singleShot(0, context, std::move(act)); }

 private:
  struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
  };
  QTimer poll_;
  std::deque<Step> steps_;
};

}  // namespace quillane::test
