#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edit/edit_session.h"
#include "edit/frame_reader.h"
#include "save/gapless_tag.h"
#include "save/reservoir_repair.h"
#include "session/host.h"
#include "settings/safe_writer.h"
#include "stream/binary_file.h"

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
// appendMode appends to the existing destination, replaceExisting lets a save
// replace a file of that name. A savePath of the source's path followed by ".~~~"
// asks for a save over the source: when the new file is complete it replaces the
// source with one rename, and the source is closed.
//
// Everything is written through a SafeWriter: the destination's name holds the
// old file until the new one is complete (an append builds the new file from a
// copy of the old), so a failed, cancelled or interrupted save leaves it as it was.
class SaveJob {
 public:
  enum class Result { Running, Finished, Cancelled, Failed };

  SaveJob(EditSession& session, Host& host);
  ~SaveJob();
  SaveJob(const SaveJob&) = delete;
  SaveJob& operator=(const SaveJob&) = delete;

  // Creates the temporary file for session.save.savePath and writes the leading data
  // and the placeholder of the tag frame (LAME/Info/Xing). false: "Could not create/write to file" with the path and
  // the reason shown (or a refusal: an append to a file that holds no MPEG audio),
  // result() is Failed.
  bool open();
  // Copies one slice; true when the save has finished (or failed) and result() says how.
  // A failed write stops the save with "Could not create/write to file".
  bool step();
  // Stops between slices; the part written is removed, the destination stays as it was.
  void cancel();

  Result result() const { return result_; }
  int progress() const;  // 0..100: 100 * readPos / audioEnd
  const std::string& report() const { return report_; }
  // Something worth reading was reported (re-syncs, a VBR header error, a source that
  // could not be replaced). The dialog then stays open with "&Close" when holdOnWarnings.
  bool warning() const { return warning_; }
  bool holdOpen() const { return warning_ && session_.save.holdOnWarnings && result_ == Result::Finished; }
  int64_t framesWritten() const { return framesWritten_; }
  // Frames behind a cut rewritten to decode as silence (their main data was cut away).
  int framesSilenced() const { return reservoir_.silencedFrames(); }
  int64_t readPos() const { return readPos_; }

 private:
  bool overSource() const;
  WriteTarget target() const;
  bool openAppend(const WriteTarget& target);
  bool completeVbrHeader();
  bool writeLeadingData();
  bool writeTagFrame();
  bool completeGaplessTag();
  bool patchWritten(const std::vector<WrittenPatch>& patches);
  void prepareSampleAccurate();
  void finish();
  void finishOverSource();
  // The message ("Could not create/write to file" and the reason), the temporary
  // file removed, result Failed.
  void fail(const std::string& reason);
  void failWriting();  // fail() with the reason of the write that just failed (errno)
  bool refuse(const std::string& text);  // a "Not possible" message, result Failed; false
  void buildReport();

  EditSession& session_;
  Host& host_;
  std::unique_ptr<SafeWriter> writer_ = std::make_unique<SafeWriter>();
  BinaryFile destination_;  // the writer's temporary file
  FrameBuffer buffer_;  // the save's own buffer: playback keeps its own
  int64_t readPos_ = 0;
  int64_t framesWritten_ = 0;
  uint8_t lastRange_ = kNoRange;
  int64_t tagFrameOffset_ = 0;
  int64_t audioOffset_ = 0;  // the destination's first audio byte
  int64_t stopAfter_ = 0;    // no frame that starts after this offset is written
  // The source's LAME tag rebuilt for this file's audio; none when the source has none.
  std::optional<GaplessTagBuilder> gapless_;
  ReservoirRepair reservoir_;
  std::string report_;
  bool warning_ = false;
  bool opened_ = false;
  Result result_ = Result::Running;
};

}  // namespace quillane
