#include "loopback_recorder.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QThread>

namespace quillane::test {

namespace {

constexpr const char* kAdvice =
    "the sound tests need the headless test server: run `scripts/sound-server start` and "
    "`eval \"$(scripts/sound-server env)\"` (scripts/test does both)";

// Runs a pactl command; its output, or nothing when it failed.
bool pactl(const QStringList& arguments, QString* output) {
  QProcess process;
  process.start("pactl", arguments);
  if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    process.kill();
    process.waitForFinished(1000);
    return false;
  }
  if (output != nullptr) *output = QString::fromUtf8(process.readAllStandardOutput());
  return true;
}

}  // namespace

std::string soundServerProblem() {
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return std::string("XDG_RUNTIME_DIR is not set; ") + kAdvice;
  QString sinks;
  if (!pactl({"list", "short", "sinks"}, &sinks)) return std::string("no sound server answers; ") + kAdvice;
  if (!sinks.contains("q_sink")) return std::string("the sound server has no sink q_sink; ") + kAdvice;
  if (QMediaDevices::audioOutputs().isEmpty()) return std::string("Qt lists no audio output; ") + kAdvice;
  return {};
}

bool pumpEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() >= timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

void pumpEvents(int ms) {
  pumpEventsUntil([] { return false; }, ms);
}

LoopbackRecorder::LoopbackRecorder(std::string source) : source_(std::move(source)) {
  path_ = dir_.filePath("recording.raw");
}

LoopbackRecorder::~LoopbackRecorder() { stop(); }

bool LoopbackRecorder::start(std::string* error) {
  if (!dir_.isValid()) {
    *error = "no temporary folder for the recording";
    return false;
  }
  process_.setStandardOutputFile(path_);
  process_.setStandardErrorFile(QProcess::nullDevice());
  process_.start("parec", {"-d", QString::fromStdString(source_), "--raw", "--format=s16le",
                           "--rate=" + QString::number(kRate), "--channels=" + QString::number(kChannels),
                           "--latency-msec=10"});
  if (!process_.waitForStarted(5000)) {
    *error = "parec did not start: " + process_.errorString().toStdString();
    return false;
  }
  // The source sends silence while nothing plays: data in the file means it records.
  if (!pumpEventsUntil([this] { return bytesRecorded() > 0 || process_.state() != QProcess::Running; }, 10000) ||
      bytesRecorded() == 0) {
    *error = "parec -d " + source_ + " recorded nothing";
    stop();
    return false;
  }
  return true;
}

void LoopbackRecorder::stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

int64_t LoopbackRecorder::bytesRecorded() const { return QFileInfo(path_).size(); }

std::vector<int16_t> LoopbackRecorder::samples() const {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  const qsizetype frameBytes = 2 * kChannels;
  std::vector<int16_t> out(static_cast<size_t>(bytes.size() / frameBytes * kChannels));
  for (size_t i = 0; i < out.size(); ++i) {
    const auto lo = static_cast<uint8_t>(bytes[static_cast<qsizetype>(2 * i)]);
    const auto hi = static_cast<uint8_t>(bytes[static_cast<qsizetype>(2 * i + 1)]);
    out[i] = static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
  }
  return out;
}

}  // namespace quillane::test
