#include "save/save_job.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "edit/edit_session.h"
#include "save/lead_in.h"
#include "save/source_id3v2.h"
#include "settings/commit_batch.h"
#include "settings/recent_files.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"
#include "stream/reservoir_bytes.h"
#include "stream/sample_position.h"
#include "stream/vbr_tag.h"

namespace quillane {
namespace {

constexpr int64_t kId3v1Size = 128;

// True when the file's last 128 bytes are an ID3v1 tag.
bool endsWithId3v1(BinaryFile& file, int64_t size) {
  if (size < kId3v1Size) return false;
  char tag[3] = {};
  return file.readAt(size - kId3v1Size, tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0;
}

// True when a cut (not a cue, not a gain range) covers part of [from, to).
bool cutBetween(const EditRangeTable& edits, int64_t from, int64_t to) {
  for (int i = 0; i < std::min<int>(edits.count, kMaxRanges); ++i) {
    const EditRange& range = edits.ranges[static_cast<size_t>(i)];
    if (!range.isGain() && range.beg < range.end && range.beg < to && from < range.end) return true;
  }
  return false;
}

// The tag a save writes in place of the source's leading data: a split piece's,
// or the source's with the fields the file info dialog changed (a new tag for a
// source without one). Empty: the leading data as it is, a tag TagLib cannot
// read included.
std::vector<uint8_t> ownId3v2Tag(EditSession& session) {
  if (!session.save.pieceId3v2.empty()) return session.save.pieceId3v2;
  if (!session.save.id3v2Edits) return {};
  Id3v2Rewrite edited = sourceId3v2ForSave(session);
  if (!edited.problem.empty()) return {};
  return std::move(edited.bytes);
}

// True when the file holds MPEG audio frames, as opening it would find them.
bool holdsMpegAudio(const std::string& path) {
  AudioStream probe;
  probe.sourcePath = path;
  if (!probe.sourceFile.open(path, "rb")) return false;
  probe.fileSize = probe.audioEnd = probe.sourceFile.size();
  return probe.fileSize > 0 && scanStream(probe);
}

}  // namespace

SaveJob::SaveJob(EditSession& session, Host& host) : session_(session), host_(host) {}

SaveJob::~SaveJob() {
  destination_.close();
  writer_->abandon();
}

void SaveJob::fail(const std::string& reason) {
  destination_.close();
  writer_->abandon();  // the destination stays exactly as it was
  result_ = Result::Failed;
  std::string text = uiText(session_.text, ui::kMsgCouldNotWrite);
  if (!reason.empty()) text += "\n" + reason;
  host_.messageBox(text, uiText(session_.text, ui::kMsgError), MessageIcon::Error, MessageButtons::Ok,
                   MessageAnswer::Ok);
}

void SaveJob::failWriting() {
  writer_->failWith(WriteError::System, errno);
  fail(writer_->errorText());
}

bool SaveJob::refuse(const std::string& text) {
  destination_.close();
  writer_->abandon();
  result_ = Result::Failed;
  host_.messageBox(text, uiText(session_.text, ui::kMsgNotPossible), MessageIcon::Error, MessageButtons::Ok,
                   MessageAnswer::Ok);
  return false;
}

bool SaveJob::overSource() const {
  const std::string& source = session_.stream.sourcePath;
  return !source.empty() && session_.save.savePath == source + kReplaceSuffix;
}

WriteTarget SaveJob::target() const {
  const EditSession& s = session_;
  WriteTarget target;
  target.source = identityOf(s.stream.sourceFile.descriptor());
  target.path = overSource() ? s.stream.sourcePath : s.save.savePath;
  if (overSource()) {
    target.replaces = target.source;
  } else if (s.save.appendMode) {
    // An append builds the whole new file beside the old one, which must still be
    // there, unchanged, when the new one takes its place.
    target.replaces = identityOf(target.path);
  }
  target.existing = s.save.replaceExisting || target.replaces ? ExistingFile::Replace : ExistingFile::Refuse;
  return target;
}

bool SaveJob::openAppend(const WriteTarget& target) {
  const std::string& path = target.path;
  if (!target.replaces) {
    fail(path + ": " + std::strerror(ENOENT));
    return false;
  }
  if (target.source && *target.replaces == *target.source) {
    fail(path + ": is the source itself");
    return false;
  }
  if (!holdsMpegAudio(path)) return refuse(path + ": " + uiText(session_.text, ui::kMsgNotMpegAudio));
  BinaryFile old;
  if (!old.open(path, "rb")) {
    fail(path + ": " + std::strerror(errno));
    return false;
  }
  // An old ID3v1 tag at the end of the destination is replaced by the appended audio.
  int64_t keep = old.size();
  if (endsWithId3v1(old, keep)) keep -= kId3v1Size;
  if (!writer_->create(target) || !writer_->copyFrom(old.descriptor(), keep)) {
    fail(writer_->errorText());
    return false;
  }
  return true;
}

bool SaveJob::open() {
  EditSession& s = session_;
  AudioStream& stream = s.stream;
  const bool append = s.save.appendMode;
  readPos_ = 0;
  framesWritten_ = 0;
  lastRange_ = kNoRange;
  tagFrameOffset_ = 0;
  audioOffset_ = 0;
  gapless_.reset();
  reservoir_ = ReservoirRepair([&stream](int64_t frameStart, int maxBytes) {
    return reservoirBefore(stream.sourceFile, stream.audioStart, frameStart, maxBytes);
  });
  report_.clear();
  warning_ = false;
  opened_ = false;
  result_ = Result::Running;
  destination_.close();
  writer_->abandon();

  if (s.save.savePath.empty() || !stream.isOpen()) {
    fail("");
    return false;
  }
  const WriteTarget where = target();
  if (append) {
    if (!openAppend(where)) return false;
  } else if (!writer_->create(where)) {
    fail(writer_->errorText());
    return false;
  }
  if (!destination_.openDescriptor(writer_->descriptor()) || !destination_.seekEnd()) {
    failWriting();
    return false;
  }
  // The frames go out in blocks of about 62 KB: each one a single write.
  destination_.setUnbuffered();

  if (!writeLeadingData()) return false;
  if (!writeTagFrame()) return false;

  audioOffset_ = destination_.tell();
  readPos_ = stream.audioStart;
  stopAfter_ = std::numeric_limits<int64_t>::max();
  if (s.save.saveSelection && s.edits.hasSelection()) {
    readPos_ = std::max(s.edits.selection.beg, stream.audioStart);
    stopAfter_ = s.edits.selection.end;  // the frame at the selection's end is saved too
    if (s.save.sampleAccurate && gapless_) {
      prepareSampleAccurate();
    } else if (s.save.sampleAccurate && stopAfter_ < stream.audioEnd) {
      // No delay and padding to tell a decoder what to drop: the piece ends with
      // the frame before its end, so that pieces split at the same point join
      // without a frame twice.
      stopAfter_ = stopAfter_ - 1;
    }
  }
  stream.resyncCount = 0;
  opened_ = true;
  buildReport();
  return true;
}

// Leading data: the ID3v2 tag and whatever else lies before the first frame,
// whatever its size, or in its place the save's own tag (ownId3v2Tag). A Xing/Info
// tag frame of the source is not part of it: the save writes its own, and a stale
// one ahead of it would give players the old frame count.
bool SaveJob::writeLeadingData() {
  EditSession& s = session_;
  AudioStream& stream = s.stream;
  if (!s.settings.keep_id3v2 || s.save.appendMode) return true;
  std::vector<uint8_t> leading = ownId3v2Tag(s);
  const int64_t leadingEnd = std::min(stream.firstFrameStart, stream.audioStart);
  if (leading.empty()) {
    if (!stream.hasId3v2 || leadingEnd <= 0) return true;
    leading.resize(static_cast<size_t>(leadingEnd));
    if (stream.sourceFile.readAt(0, leading.data(), leading.size()) != leading.size()) {
      fail(stream.sourcePath + ": " + std::strerror(errno ? errno : EIO));
      return false;
    }
  }
  if (!destination_.write(leading.data(), leading.size())) {
    failWriting();
    return false;
  }
  return true;
}

// The tag frame ahead of the audio, completed when the audio is written: the
// source's LAME tag (gapless playback) when it has one, else a Xing tag for a
// variable bit rate. An append keeps the destination's own.
bool SaveJob::writeTagFrame() {
  EditSession& s = session_;
  AudioStream& stream = s.stream;
  if (!s.settings.write_xing || s.save.appendMode) return true;
  if (auto tag = sourceLameTag(stream)) {
    gapless_.emplace(std::move(*tag), stream.audioStart, stream.audioEnd);
    const std::vector<uint8_t> placeholder = gapless_->placeholder();
    tagFrameOffset_ = destination_.tell();
    if (tagFrameOffset_ < 0 || !destination_.write(placeholder.data(), placeholder.size())) {
      failWriting();
      return false;
    }
    return true;
  }
  if (stream.vbrMode > 0) {
    tagFrameOffset_ = destination_.tell();
    if (tagFrameOffset_ < 0 || !writeVbrPlaceholder(destination_, headerAt(stream, stream.audioStart))) {
      failWriting();
      return false;
    }
  }
  return true;
}

void SaveJob::buildReport() {
  report_ = "Frames: " + std::to_string(framesWritten_);
  if (session_.stream.resyncCount > 0) {
    report_ += "\nRe-syncs: " + std::to_string(session_.stream.resyncCount);
    warning_ = true;
  }
  if (reservoir_.silencedFrames() > 0)
    report_ += "\nFrames silenced at cuts: " + std::to_string(reservoir_.silencedFrames());
}

// A sample-accurate selection: its samples are those the source's frames decode
// to from its begin to its end, each a frame's first sample or a sample inside it
// (the selection's sample offsets), up to the end of the audio when it reaches
// there. A piece that ends inside a frame keeps that frame, and the padding makes
// a gapless decoder keep only the samples before the boundary (a padding of 529
// keeps the last frame whole). One that begins inside a frame starts with that
// frame, and in front of it go the frames it needs (leadInBefore); the delay makes
// a gapless decoder drop them and the samples before the boundary with its own 529
// samples of delay. The source's delay and padding stay where the selection
// reaches its ends.
void SaveJob::prepareSampleAccurate() {
  AudioStream& stream = session_.stream;
  const EditRange& selection = session_.edits.selection;
  const auto boundary = [&stream](int64_t frame, int32_t sampleOffset) {
    const std::optional<SampleBoundary> found = boundaryFrom(stream, frame, sampleOffset);
    return found && found->frame >= stream.audioStart ? *found : SampleBoundary{frame, 0, 0};
  };
  int padding = -1;
  if (selection.end < stream.audioEnd) {
    const SampleBoundary last = boundary(selection.end, selection.endSampleOffset);
    stopAfter_ = last.samplesBefore > 0 ? last.frame : last.frame - 1;
    padding = kLayer3DecoderDelay + (last.samplesBefore > 0 ? last.samplesPerFrame - last.samplesBefore : 0);
  }
  const SampleBoundary first = boundary(readPos_, selection.beg == readPos_ ? selection.sampleOffset : 0);
  const int inside = first.samplesBefore;
  int delay = -1;
  if (first.frame > stream.audioStart) {
    readPos_ = first.frame;
    // Behind a cut there is nothing to carry: the cut frames are never read.
    const LeadIn lead = leadInBefore(stream, first.frame, inside);
    if (!cutBetween(session_.edits, lead.from, first.frame)) {
      readPos_ = lead.from;
      delay = std::max(0, lead.frames * lead.samplesPerFrame + inside - kLayer3DecoderDelay);
    } else {
      delay = std::max(0, inside - kLayer3DecoderDelay);
    }
  } else if (inside > 0) {
    readPos_ = first.frame;
    delay = std::max(0, inside - kLayer3DecoderDelay);
  }
  gapless_->setDelayAndPadding(delay, padding);
}

// The reservoir carried over a cut goes into the frames written before it.
bool SaveJob::patchWritten(const std::vector<WrittenPatch>& patches) {
  if (patches.empty()) return true;
  for (const WrittenPatch& patch : patches) {
    if (!destination_.seek(audioOffset_ + patch.at) || !destination_.write(patch.bytes.data(), patch.bytes.size())) {
      failWriting();
      return false;
    }
  }
  if (!destination_.seekEnd()) {
    failWriting();
    return false;
  }
  if (gapless_) gapless_->audioRewritten();
  return true;
}

bool SaveJob::step() {
  if (result_ != Result::Running) return true;
  if (!opened_) {
    result_ = Result::Failed;
    return true;
  }
  const int64_t audioEnd = session_.stream.audioEnd;
  // Every call of the reader counts as one read, also one that only stepped over a
  // cut or damaged data, so that a slice stays bounded whatever the source holds.
  EditedReading reading{session_.edits};
  reading.stopAfter = stopAfter_;
  for (int call = 0; call < kSaveReadsPerStep && readPos_ < audioEnd; ++call) {
    const int64_t from = readPos_;
    const int n = readEditedFrames(session_.stream, reading, buffer_, 0, readPos_, &lastRange_, &framesWritten_);
    if (n <= 0) continue;
    uint8_t* frames = buffer_.bytes.data();
    if (!patchWritten(reservoir_.repairBlock(frames, static_cast<size_t>(n), from))) return true;
    if (gapless_) gapless_->addBlock(frames, static_cast<size_t>(n), from);
    if (!destination_.write(frames, static_cast<size_t>(n))) {
      failWriting();
      return true;
    }
  }
  buildReport();
  if (readPos_ < audioEnd) return false;
  finish();
  return true;
}

bool SaveJob::completeVbrHeader() {
  EditSession& s = session_;
  report_ += "\nVBR Header... ";
  if (!destination_.flush()) {
    failWriting();
    return false;
  }
  uint32_t frames = 0;
  uint32_t bytes = 0;
  bool ok = false;
  if (readVbrTag(destination_, tagFrameOffset_, frames, bytes) > 0)
    ok = completeVbrTag(destination_, tagFrameOffset_, static_cast<uint32_t>(framesWritten_ + frames)) == 1;
  if (ok) {
    report_ += "ok";
  } else {
    report_ += uiText(s.text, ui::kMsgError);
    warning_ = true;
  }
  return true;
}

// The LAME tag written over its placeholder. The report shows it as it shows the
// Xing tag of a variable bit rate.
bool SaveJob::completeGaplessTag() {
  if (gapless_->musicCrcStale()) {
    // Bytes were written over: the CRC of the music is taken from the file.
    uint16_t crc = 0;
    if (!destination_.flush() || !musicCrcOfFile(destination_, audioOffset_, crc)) {
      failWriting();
      return false;
    }
    gapless_->setMusicCrc(crc);
  }
  const std::vector<uint8_t> tag = gapless_->finalFrame();
  if (!destination_.seek(tagFrameOffset_) || !destination_.write(tag.data(), tag.size()) || !destination_.seekEnd()) {
    failWriting();
    return false;
  }
  if (session_.stream.vbrMode > 0) report_ += "\nVBR Header... ok";
  return true;
}

void SaveJob::finish() {
  EditSession& s = session_;
  AudioStream& stream = s.stream;

  // A file of nothing but tags is no save: the user cut everything away.
  if (framesWritten_ == 0) {
    refuse(uiText(s.text, ui::kMsgNothingToSave));
    return;
  }
  if (gapless_) {
    if (!completeGaplessTag()) return;
  } else if (s.settings.write_xing && stream.vbrMode > 0 && !completeVbrHeader()) {
    return;
  }
  if (stream.hasId3v1 &&
      (!destination_.seekEnd() || !destination_.write(stream.id3v1Tag.data(), stream.id3v1Tag.size()))) {
    failWriting();
    return;
  }
  // A full disk often shows only here, when the last buffered bytes are written.
  if (!destination_.flush() || !destination_.close()) {
    failWriting();
    return;
  }

  if (overSource()) {
    finishOverSource();
    if (result_ == Result::Failed) return;
  } else if (s.save.commitBatch) {
    // Put in place with the other files of the batch (the pieces of a split).
    s.save.commitBatch->add(std::exchange(writer_, std::make_unique<SafeWriter>()));
  } else {
    if (!writer_->commit()) {
      fail(writer_->errorText());
      return;
    }
    if (!s.save.saveSelection && !s.save.appendMode) {
      addRecent(s.settings, s.save.savePath);
      s.edits.modified = false;
    }
  }
  s.save.saveSelection = false;
  result_ = Result::Finished;
}

void SaveJob::finishOverSource() {
  EditSession& s = session_;
  // The complete new file takes the source's place in one rename, so that at every
  // moment one whole file carries the name. Not replaced (another program replaced
  // or removed the source meanwhile, or the folder refused): the source stays open
  // with its edits, so that nothing is lost and the save can be tried again.
  if (!writer_->commit()) {
    fail(writer_->errorText());
    return;
  }
  closeStream(s.stream);
  s.edits.modified = false;
}

void SaveJob::cancel() {
  if (result_ != Result::Running) return;
  // A part of a file is of no use: the destination stays as it was.
  destination_.close();
  writer_->abandon();
  result_ = Result::Cancelled;
}

int SaveJob::progress() const {
  if (result_ == Result::Finished) return 100;
  const int64_t audioEnd = session_.stream.audioEnd;
  if (audioEnd <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(100 * readPos_ / audioEnd, 0, 100));
}

}  // namespace quillane
