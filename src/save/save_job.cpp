#include "save/save_job.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "edit/edit_session.h"
#include "settings/recent_files.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"
#include "stream/vbr_tag.h"

namespace quillane {
namespace {

constexpr int64_t kId3v1Size = 128;
constexpr int64_t kLeadingDataLimit = 62000;  // leading data is copied only when shorter

// True when the file's last 128 bytes are an ID3v1 tag.
bool endsWithId3v1(BinaryFile& file, int64_t size) {
  if (size < kId3v1Size) return false;
  char tag[3] = {};
  return file.readAt(size - kId3v1Size, tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0;
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
  writer_.abandon();
}

void SaveJob::fail(const std::string& reason) {
  destination_.close();
  writer_.abandon();  // the destination stays exactly as it was
  result_ = Result::Failed;
  std::string text = uiText(session_.text, ui::kMsgCouldNotWrite);
  if (!reason.empty()) text += "\n" + reason;
  host_.messageBox(text, uiText(session_.text, ui::kMsgError), MessageIcon::Error, MessageButtons::Ok,
                   MessageAnswer::Ok);
}

void SaveJob::failWriting() {
  writer_.failWith(WriteError::System, errno);
  fail(writer_.errorText());
}

bool SaveJob::refuse(const std::string& text) {
  destination_.close();
  writer_.abandon();
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
  if (!writer_.create(target) || !writer_.copyFrom(old.descriptor(), keep)) {
    fail(writer_.errorText());
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
  report_.clear();
  warning_ = false;
  opened_ = false;
  result_ = Result::Running;
  destination_.close();
  writer_.abandon();

  if (s.save.savePath.empty() || !stream.isOpen()) {
    fail("");
    return false;
  }
  const WriteTarget where = target();
  if (append) {
    if (!openAppend(where)) return false;
  } else if (!writer_.create(where)) {
    fail(writer_.errorText());
    return false;
  }
  if (!destination_.openDescriptor(writer_.descriptor()) || !destination_.seekEnd()) {
    failWriting();
    return false;
  }
  // The frames go out in blocks of about 62 KB: each one a single write.
  destination_.setUnbuffered();

  // Leading data: the ID3v2 tag and whatever else lies before the first frame. A
  // Xing/Info tag frame of the source is not part of it: the save writes its own,
  // and a stale one ahead of it would give players the old frame count.
  const int64_t leadingEnd = std::min(stream.firstFrameStart, stream.audioStart);
  if (s.settings.keep_id3v2 && stream.hasId3v2 && leadingEnd < kLeadingDataLimit && !append && leadingEnd > 0) {
    std::vector<uint8_t> leading(static_cast<size_t>(leadingEnd));
    if (stream.sourceFile.readAt(0, leading.data(), leading.size()) != leading.size()) {
      fail(stream.sourcePath + ": " + std::strerror(errno ? errno : EIO));
      return false;
    }
    if (!destination_.write(leading.data(), leading.size())) {
      failWriting();
      return false;
    }
  }

  // The Xing placeholder, completed when the audio is written.
  if (s.settings.write_xing && !append && stream.vbrMode > 0) {
    tagFrameOffset_ = destination_.tell();
    if (tagFrameOffset_ < 0 || !writeVbrPlaceholder(destination_, headerAt(stream, stream.audioStart))) {
      failWriting();
      return false;
    }
  }

  readPos_ = stream.audioStart;
  if (s.save.saveSelection && s.edits.hasSelection()) readPos_ = std::max(s.edits.selection.beg, stream.audioStart);
  stream.resyncCount = 0;
  opened_ = true;
  buildReport();
  return true;
}

void SaveJob::buildReport() {
  report_ = "Frames: " + std::to_string(framesWritten_);
  if (session_.stream.resyncCount > 0) {
    report_ += "\nRe-syncs: " + std::to_string(session_.stream.resyncCount);
    warning_ = true;
  }
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
  // A selection save ends with the frame at the selection's end.
  if (session_.save.saveSelection && session_.edits.hasSelection()) reading.stopAfter = session_.edits.selection.end;
  for (int call = 0; call < kSaveReadsPerStep && readPos_ < audioEnd; ++call) {
    const int n = readEditedFrames(session_.stream, reading, buffer_, 0, readPos_, &lastRange_, &framesWritten_);
    if (n > 0 && !destination_.write(buffer_.bytes.data(), static_cast<size_t>(n))) {
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

void SaveJob::finish() {
  EditSession& s = session_;
  AudioStream& stream = s.stream;

  // A file of nothing but tags is no save: the user cut everything away.
  if (framesWritten_ == 0) {
    refuse(uiText(s.text, ui::kMsgNothingToSave));
    return;
  }
  if (s.settings.write_xing && stream.vbrMode > 0 && !completeVbrHeader()) return;
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
  } else {
    if (!writer_.commit()) {
      fail(writer_.errorText());
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
  if (!writer_.commit()) {
    fail(writer_.errorText());
    return;
  }
  closeStream(s.stream);
  s.edits.modified = false;
}

void SaveJob::cancel() {
  if (result_ != Result::Running) return;
  // A part of a file is of no use: the destination stays as it was.
  destination_.close();
  writer_.abandon();
  result_ = Result::Cancelled;
}

int SaveJob::progress() const {
  if (result_ == Result::Finished) return 100;
  const int64_t audioEnd = session_.stream.audioEnd;
  if (audioEnd <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(100 * readPos_ / audioEnd, 0, 100));
}

}  // namespace quillane
