#pragma once

#include <cstdint>
#include <string>

#include "session/host.h"
#include "session/session.h"
#include "stream/binary_file.h"
#include "stream/frame_reader.h"

namespace quillane {

// One save, as the "Saving data..." dialog runs it: open() prepares the
// destination, step() copies one bounded slice (call it until it returns true),
// and the last step finishes the file. The dialog drives it from a zero-time
// timer, the command line in a loop. Uses session.save for its flags.
class SaveJob {
 public:
  enum class Result { Running, Finished, Cancelled, Failed };

  SaveJob(Session& session, Host& host);
  ~SaveJob();

  // Opens (creates/truncates unless appending) session.save.savePath and writes the
  // leading data and Xing placeholder. false: "Could not create/write to file" shown.
  bool open();
  // Copies one slice; true when the save has finished (or failed) and result() says how.
  bool step();
  // Stops between slices; the part written stays on disk.
  void cancel();

  Result result() const { return result_; }
  int progress() const;  // 0..100
  const std::string& report() const { return report_; }
  bool warning() const { return warning_; }
  int64_t framesWritten() const { return framesWritten_; }

 private:
  void finish();

  Session& session_;
  Host& host_;
  BinaryFile destination_;
  FrameBuffer buffer_;
  int64_t readPos_ = 0;
  int64_t framesWritten_ = 0;
  uint8_t lastRange_ = kNoRange;
  int64_t tagFrameOffset_ = 0;
  std::string report_;
  bool warning_ = false;
  Result result_ = Result::Running;
};

}  // namespace quillane
