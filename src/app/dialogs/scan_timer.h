#pragma once

#include <QTimer>
#include <functional>

namespace quillane {

// The window timer of the analysis dialogs (normalize and pause detection).
constexpr int kScanTimerId = 4889;

// A single-shot zero-time timer for a dialog's scan slices: the dialog runs one
// slice per timeout and starts it again while work remains, so that the window
// takes its input between two slices and the scan is never slowed by a fixed wait.
inline QTimer* makeScanTimer(QObject* parent, std::function<void()> slice) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(QStringLiteral("timer%1").arg(kScanTimerId));
  timer->setProperty("timerId", kScanTimerId);
  timer->setInterval(0);
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, parent, std::move(slice));
  return timer;
}

}  // namespace quillane
