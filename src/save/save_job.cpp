#include "save/save_job.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "settings/recent_files.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"
#include "stream/vbr_tag.h"

namespace quillane {
namespace {

constexpr int64_t kId3v1Size = 128;
constexpr int64_t kLeadingDataLimit = 62000;  // leading data is copied only when shorter

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec) && !ec;
}

// True when the destination's last 128 bytes are an ID3v1 tag.
bool endsWithId3v1(const std::string& path, int64_t size) {
  if (size < kId3v1Size) return false;
  BinaryFile file;
  if (!file.open(path, "rb")) return false;
  char tag[3] = {};
  return file.readAt(size - kId3v1Size, tag, 3) == 3 && std::memcmp(tag, "TAG", 3) == 0;
}

}  // namespace

SaveJob::SaveJob(Session& session, Host& host) : session_(session), host_(host) {}

SaveJob::~SaveJob() { destination_.close(); }

void SaveJob::fail() {
  destination_.close();
  result_ = Result::Failed;
  // A temporary file of a save over the source that could not be completed is of
  // no use and may be what filled the disk: it goes; the source was never touched.
  const std::string& source = session_.stream.sourcePath;
  if (!source.empty() && session_.save.savePath == source + kReplaceSuffix) {
    std::error_code ec;
    std::filesystem::remove(session_.save.savePath, ec);
  }
  host_.messageBox(uiText(session_.text, ui::kMsgCouldNotWrite), uiText(session_.text, ui::kMsgError),
                   MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
}

bool SaveJob::open() {
  Session& s = session_;
  AudioStream& stream = s.stream;
  const std::string& path = s.save.savePath;
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

  // Writing into the file being read would destroy it: a save over the source goes
  // through the temporary file instead.
  if (path.empty() || !stream.isOpen() || sameFile(path, stream.sourcePath)) {
    fail();
    return false;
  }

  if (!append) {
    BinaryFile create;
    if (!create.open(path, "wb") || !create.close()) {
      fail();
      return false;
    }
  } else {
    // An old ID3v1 tag at the end of the destination is replaced by the appended audio.
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && endsWithId3v1(path, static_cast<int64_t>(size))) {
      std::filesystem::resize_file(path, size - kId3v1Size, ec);
      if (ec) {
        fail();
        return false;
      }
    }
  }
  if (!destination_.open(path, "rb+") || !destination_.seekEnd()) {
    fail();
    return false;
  }
  // The frames go out in blocks of about 62 KB: each one a single write.
  destination_.setUnbuffered();

  // Leading data: the ID3v2 tag and whatever else lies before the first audio frame.
  if (s.settings.keep_id3v2 && stream.hasId3v2 && stream.audioStart < kLeadingDataLimit && !append &&
      stream.audioStart > 0) {
    std::vector<uint8_t> leading(static_cast<size_t>(stream.audioStart));
    if (stream.sourceFile.readAt(0, leading.data(), leading.size()) != leading.size() ||
        !destination_.write(leading.data(), leading.size())) {
      fail();
      return false;
    }
  }

  // The Xing placeholder, completed when the audio is written.
  if (s.settings.write_xing && !append && stream.vbrMode > 0) {
    findFrame(stream, stream.audioStart);  // loads the first audio frame's header
    tagFrameOffset_ = destination_.tell();
    if (tagFrameOffset_ < 0 || !writeVbrPlaceholder(destination_, stream.currentHeader)) {
      fail();
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
  for (int call = 0; call < kSaveReadsPerStep && readPos_ < audioEnd; ++call) {
    const int n = readEditedFrames(session_, buffer_, 0, readPos_, &lastRange_, &framesWritten_);
    if (n > 0 && !destination_.write(buffer_.bytes.data(), static_cast<size_t>(n))) {
      fail();
      return true;
    }
  }
  buildReport();
  if (readPos_ < audioEnd) return false;
  finish();
  return true;
}

void SaveJob::finish() {
  Session& s = session_;
  AudioStream& stream = s.stream;

  if (s.settings.write_xing && stream.vbrMode > 0) {
    report_ += "\nVBR Header... ";
    if (!destination_.flush()) {
      fail();
      return;
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
  }

  if (stream.hasId3v1 &&
      (!destination_.seekEnd() || !destination_.write(stream.id3v1Tag.data(), stream.id3v1Tag.size()))) {
    fail();
    return;
  }
  // A full disk often shows only here, when the last buffered bytes are written.
  if (!destination_.flush() || !destination_.close()) {
    fail();
    return;
  }

  const std::string temporary = s.save.savePath;
  const std::string source = stream.sourcePath;
  if (!source.empty() && temporary == source + kReplaceSuffix) {
    // Saving over the source: the complete temporary file takes the source's place
    // in one rename, so that at every moment one whole file carries the name.
    closeStream(s);
    s.edits.modified = false;
    std::error_code ec;
    // The replaced file keeps the source's permissions.
    const auto mode = std::filesystem::status(source, ec).permissions();
    if (!ec) std::filesystem::permissions(temporary, mode, ec);
    ec.clear();
    std::filesystem::rename(temporary, source, ec);
    if (ec) {
      report_ += "\n" + uiText(s.text, ui::kMsgError) + ". " + uiText(s.text, ui::kMsgCouldNotReplaceSource) +
                 " \"" + std::filesystem::path(temporary).filename().string() + "\"";
      s.save.savePath.clear();
      warning_ = true;
    }
  } else if (!s.save.saveSelection && !s.save.appendMode) {
    addRecent(s.settings, s.save.savePath);
    s.edits.modified = false;
  }
  s.save.saveSelection = false;
  result_ = Result::Finished;
}

void SaveJob::cancel() {
  if (result_ != Result::Running) return;
  destination_.close();
  result_ = Result::Cancelled;
}

int SaveJob::progress() const {
  if (result_ == Result::Finished) return 100;
  const int64_t audioEnd = session_.stream.audioEnd;
  if (audioEnd <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(100 * readPos_ / audioEnd, 0, 100));
}

}  // namespace quillane
