#include "app/saving_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QVBoxLayout>

#include "save/save_job.h"
#include "session/command_ids.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

QString qtText(const std::string& text) { return QString::fromStdString(text); }

QString controlName(int id) { return QStringLiteral("control%1").arg(id); }

}  // namespace

SavingDialog::SavingDialog(Session& session, Host& host, QWidget* parent)
    : QDialog(parent), session_(session), host_(host) {
  setObjectName(QStringLiteral("dialog%1").arg(dlg::kSaving));
  setWindowTitle(QStringLiteral("Saving data..."));
  setModal(true);
  // About the 159 x 102 dialog units of the template at the usual dialog font.
  setMinimumSize(240, 166);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(controlName(ctl::kSaveProgress));
  progress_->setRange(0, 100);
  progress_->setValue(0);

  report_ = new QLabel(this);
  report_->setObjectName(controlName(ctl::kSaveReport));
  report_->setTextFormat(Qt::PlainText);  // the report may quote a file name
  report_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  report_->setWordWrap(true);

  button_ = new QPushButton(qtText(uiText(session_.text, ui::kDlgCancel)), this);
  button_->setObjectName(controlName(ctl::kSaveButton));
  button_->setDefault(true);
  connect(button_, &QPushButton::clicked, this, &SavingDialog::buttonPressed);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(progress_);
  layout->addWidget(report_, 1);
  layout->addWidget(button_, 0, Qt::AlignHCenter);

  // One slice per timer event: the window handles its input between two slices.
  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("timer%1").arg(tmr::kSaveSlice));
  timer_->setProperty("timerId", tmr::kSaveSlice);
  timer_->setInterval(0);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &SavingDialog::step);
}

SavingDialog::~SavingDialog() { delete job_; }

int SavingDialog::run() {
  delete job_;
  job_ = new SaveJob(session_, host_);
  result_ = 1;
  button_->setText(qtText(uiText(session_.text, ui::kDlgCancel)));
  progress_->setValue(0);
  // A destination that can't be opened has been reported by the job already.
  if (!job_->open()) return result_;
  report_->setText(qtText(job_->report()));
  timer_->start();
  exec();
  return result_;
}

void SavingDialog::step() {
  // The timer stays stopped during the slice: a message box the job shows runs
  // its own event loop, which must not start the next slice underneath it.
  timer_->stop();
  const bool finished = job_->step();
  progress_->setValue(job_->progress());
  report_->setText(qtText(job_->report()));
  if (!finished) {
    timer_->start();
    return;
  }
  if (job_->result() != SaveJob::Result::Finished) {
    result_ = 1;  // a write failed; the job has shown why
    done(result_);
    return;
  }
  result_ = 0;
  if (job_->holdOpen()) {
    button_->setText(qtText(uiText(session_.text, ui::kDlgClose)));
    return;  // the user reads the report and closes
  }
  done(result_);
}

void SavingDialog::buttonPressed() {
  timer_->stop();
  // Decided by the job's state, not by comparing the button's caption: a language
  // file may give "&Cancel" and "&Close" the same text.
  if (job_ && job_->result() == SaveJob::Result::Running) {
    job_->cancel();  // what was written stays on disk
    result_ = 1;
  }
  done(result_);
}

void SavingDialog::reject() { buttonPressed(); }

}  // namespace quillane
