#pragma once

#include <cstdint>
#include <string>

#include "session/host.h"
#include "session/session.h"
#include "stream/binary_file.h"
#include "stream/frame_reader.h"

namespace quillane {

// Reads of the frame reader per slice: 20 blocks of at most 62000 bytes, so that
// one slice stays short and the window that drives the job stays responsive.
constexpr int kSaveReadsPerStep = 20;

// One save, as the "Saving data..." dialog runs it: open() prepares the
// destination, step() copies one bounded slice (call it until it returns true),
// and the last step finishes the file. The dialog drives it from a zero-time
// timer, the command line in a loop. Uses session.save for its flags:
// savePath is the destination, saveSelection saves the frames of the selection
// (the one starting at its end included) and is cleared when the save finishes,
// appendMode appends to the existing destination. A savePath ending in ".~~~" is
// the temporary file of a save over the source: when it is complete it replaces
// the source with one rename, and the source stays closed.
class SaveJob {
 public:
  enum class Result { Running, Finished, Cancelled, Failed };

  SaveJob(Session& session, Host& host);
  ~SaveJob();
  SaveJob(const SaveJob&) = delete;
  SaveJob& operator=(const SaveJob&) = delete;

  // Opens (creates/truncates unless appending) session.save.savePath and writes the
  // leading data and Xing placeholder. false: "Could not create/write to file" shown,
  // result() is Failed.
  bool open();
  // Copies one slice; true when the save has finished (or failed) and result() says how.
  // A failed write stops the save with "Could not create/write to file".
  bool step();
  // Stops between slices; the part written stays on disk.
  void cancel();

  Result result() const { return result_; }
  int progress() const;  // 0..100: 100 * readPos / audioEnd
  const std::string& report() const { return report_; }
  // Something worth reading was reported (re-syncs, a VBR header error, a source that
  // could not be replaced). The dialog then stays open with "&Close" when holdOnWarnings.
  bool warning() const { return warning_; }
  bool holdOpen() const { return warning_ && session_.save.holdOnWarnings && result_ == Result::Finished; }
  int64_t framesWritten() const { return framesWritten_; }
  int64_t readPos() const { return readPos_; }

 private:
  void finish();
  void fail();  // the message, the destination closed, result Failed
  void buildReport();

  Session& session_;
  Host& host_;
  BinaryFile destination_;
  FrameBuffer buffer_;  // the save's own buffer: playback keeps its own
  int64_t readPos_ = 0;
  int64_t framesWritten_ = 0;
  uint8_t lastRange_ = kNoRange;
  int64_t tagFrameOffset_ = 0;
  std::string report_;
  bool warning_ = false;
  bool opened_ = false;
  Result result_ = Result::Running;
};

}  // namespace quillane
