#include "edit/cue_sheet.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

#include "edit/edit_model.h"
#include "edit/edit_session.h"
#include "edit/entries_left_out.h"
#include "edit/path_text.h"
#include "settings/recent_files.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"
#include "stream/sample_position.h"

namespace quillane {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr double kMaxFrames = 1e17;  // of 1/75 s; far beyond any file

std::string twoDigits(int64_t n) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2" PRId64, n);
  return buffer;
}

const char* fileTypeWord(AudioStream& stream) {
  FrameHeader header = stream.currentHeader;
  // Without a current header the first frame tells.
  if (header.layer == 0 && stream.isOpen()) header = headerAt(stream, stream.audioStart);
  if (header.layer == 2) return "MP2";
  if (header.layer == 3) return "MP3";
  return "WAVE";
}

// The text between the first and the last double quote; false when there are not two.
bool quotedSpan(std::string_view line, std::string_view& text) {
  const std::size_t first = line.find('"');
  const std::size_t last = line.rfind('"');
  if (first == std::string_view::npos || last == first) return false;
  text = line.substr(first + 1, last - first - 1);
  return true;
}

// A quoted title or performer, cut to the length the reader keeps.
bool quotedName(std::string_view line, std::string& name) {
  std::string_view text;
  if (!quotedSpan(line, text)) return false;
  name = firstCharacters(text, kCueNameChars);
  return true;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// An INDEX time "mm:ss:ff" counted in frames of 1/75 s, so that whole times are
// exact. The text is split at its last ':' (frames) and the one before (seconds).
double cueTime75(std::string_view text) {
  std::string_view minutes;
  std::string_view seconds;
  std::string_view frames = text;
  std::size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    frames = text.substr(colon + 1);
    std::string_view rest = text.substr(0, colon);
    colon = rest.rfind(':');
    if (colon != std::string_view::npos) {
      seconds = rest.substr(colon + 1);
      minutes = rest.substr(0, colon);
    } else {
      seconds = rest;
    }
  }
  return parseDecimalNumber(minutes) * 4500.0 + parseDecimalNumber(seconds) * 75.0 + parseDecimalNumber(frames);
}

}  // namespace

int64_t cueTimeToOffset(const AudioStream& stream, std::string_view text) {
  if (text.empty()) return stream.audioEnd;
  // offset = avgBitrate * t / 8 + audioStart with t = frames / 75.
  const double t75 = cueTime75(text);
  const double at = static_cast<double>(stream.avgBitrate) * t75 / 600.0 + static_cast<double>(stream.audioStart);
  // Out of the range of an offset: clamped, findFrame brings it to the audio.
  if (!(at < 9.0e18)) return std::isnan(at) ? stream.audioEnd : std::numeric_limits<int64_t>::max();
  if (!(at > -9.0e18)) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(at);
}

std::string cueTimeText(const AudioStream& stream, int64_t offset) {
  // t = (offset - audioStart) / (avgBitrate / 8) seconds, taken in whole frames of
  // 1/75 s: minutes, seconds and frames are then the truncated parts of t.
  // An offset outside the audio counts as its nearer end.
  double t75 = 0.0;
  if (stream.avgBitrate > 0.0f)
    t75 = std::floor(static_cast<double>(distanceIntoAudio(stream, offset)) * 600.0 /
                     static_cast<double>(stream.avgBitrate));
  if (!(t75 > 0.0)) t75 = 0.0;
  if (t75 > kMaxFrames) t75 = kMaxFrames;
  const int64_t f = static_cast<int64_t>(t75);
  return twoDigits(f / 4500) + ":" + twoDigits(f / 75 % 60) + ":" + twoDigits(f % 75);
}

bool writeCueSheet(EditSession& session) {
  const EditRangeTable& t = session.edits;
  std::string out;
  if (!t.sheetArtist.empty()) {
    out += "PERFORMER \"" + t.sheetArtist + "\"";
    out += kLineEnd;
  }
  out += "TITLE \"" + (t.sheetTitle.empty() ? std::string("(Title N.N.)") : t.sheetTitle) + "\"";
  out += kLineEnd;
  out += "FILE \"" + pathForDocument(session.stream.sourcePath, session.projectPath) + "\" " +
         fileTypeWord(session.stream);
  out += kLineEnd;
  int64_t track = 0;
  for (int i = 0; i < t.count && i < kMaxRanges; ++i) {
    const EditRange& r = t.ranges[i];
    if (r.beg != r.end) continue;
    const std::string n = twoDigits(++track);
    out += "  TRACK " + n + " AUDIO";
    out += kLineEnd;
    out += "    TITLE \"" + (r.title.empty() ? "(Track " + n + ")" : r.title) + "\"";
    out += kLineEnd;
    if (!r.artist.empty()) {
      out += "    PERFORMER \"" + r.artist + "\"";
      out += kLineEnd;
    }
    out += "    INDEX 01 " + cueTimeText(session.stream, r.beg);
    out += kLineEnd;
  }
  if (!writeDocumentText(session, out)) return false;
  session.edits.modified = false;
  addRecent(session.settings, session.projectPath);
  return true;
}

namespace {

// Reads a cue sheet line by line: FILE opens the audio, TITLE and PERFORMER name
// the sheet (before the first TRACK) or a track, the first INDEX of a track gives
// its time, and each track becomes a cue when the next begins or the sheet ends.
class CueSheetReader {
 public:
  explicit CueSheetReader(EditSession& session) : session_(session), t_(session.edits), stream_(session.stream) {}

  // False when the sheet can't be used: a malformed line, an audio file that does
  // not open, a track before any FILE line, no FILE line at all.
  bool read(std::string_view text) {
    LineReader lines(text, kCueLineChars);
    std::string raw;
    while (lines.next(raw)) {
      std::string_view line(raw);
      while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
      if (!readLine(line)) return false;
    }
    return completeTrack() && stream_.isOpen();
  }

  int64_t timed = 0;       // tracks with a time
  int64_t outOfRange = 0;  // ... of them left out: the time lies outside the audio

 private:
  bool readLine(std::string_view line) {
    if (startsWith(line, "FILE")) return openFile(line);
    if (startsWith(line, "TITLE")) return quotedName(line, title_);
    if (startsWith(line, "PERFO")) return quotedName(line, performer_);
    if (startsWith(line, "INDEX")) return readIndex(line);
    if (startsWith(line, "TRACK")) return startTrack();
    return true;
  }

  // One FILE line only, its path relative to the sheet.
  bool openFile(std::string_view line) {
    std::string_view path;
    if (!stream_.sourcePath.empty() || !quotedSpan(line, path)) return false;
    stream_.sourcePath = resolveDocumentPath(path, session_.projectPath);
    return openDocumentAudio(stream_, session_.settings);
  }

  // "INDEX nn mm:ss:ff": the track has its time; later INDEX lines are ignored.
  bool readIndex(std::string_view line) {
    if (indexSeen_) return true;
    const std::size_t blank1 = line.find(' ');
    const std::size_t blank2 = blank1 == std::string_view::npos ? blank1 : line.find(' ', blank1 + 1);
    if (blank2 == std::string_view::npos) return false;
    time_ = firstCharacters(line.substr(blank2 + 1), kCueTimeChars);
    indexSeen_ = true;
    return true;
  }

  bool startTrack() {
    const bool completed = completeTrack();
    title_.clear();
    performer_.clear();
    time_.clear();
    trackSeen_ = true;
    indexSeen_ = false;
    return completed;
  }

  // Turns what was collected into the sheet's names or into a cue. False stops reading.
  bool completeTrack() {
    if (!title_.empty() && title_ == performer_) performer_.clear();
    if (!trackSeen_) {
      if (!title_.empty()) t_.sheetTitle = title_;
      if (!performer_.empty()) t_.sheetArtist = performer_;
      return true;
    }
    if (!stream_.isOpen()) return false;  // a track before any FILE line
    if (time_.empty()) return true;       // no INDEX line: the track is dropped
    ++timed;
    const int64_t at = cueTimeToOffset(stream_, time_);
    if (at < stream_.audioStart || at >= stream_.audioEnd) {  // before or past the audio
      ++outOfRange;
      return true;
    }
    // Within the last frame's length of the end no frame is found: dropped too.
    const int64_t offset = findCurrentFrame(stream_, at);
    if (offset < 0 || offset >= stream_.audioEnd) return true;
    releasePendingNames(t_);
    t_.selection.beg = offset;
    t_.selection.end = offset;
    t_.selection.type = kRangeCut;
    t_.selection.title = title_;
    t_.selection.artist = performer_;
    // The time's own sample, for a sample-accurate split at the cue.
    t_.selection.sampleOffset = sampleOffsetFrom(stream_, offset, decodedSampleAt(stream_, cueTime75(time_) / 75.0));
    return addRangeFromSelection(t_, session_.selectionUndo, true);
  }

  EditSession& session_;
  EditRangeTable& t_;
  AudioStream& stream_;
  std::string title_;
  std::string performer_;
  std::string time_;
  bool trackSeen_ = false;
  bool indexSeen_ = false;
};

}  // namespace

bool readCueSheet(EditSession& session, Host& host) {
  closeStream(session.stream);
  resetEditModel(session, ResetLevel::FileStateAndSource);
  std::string text;
  if (!readDocumentText(session.projectPath, text)) return false;

  CueSheetReader reader(session);
  const bool read = reader.read(text);
  session.edits.modified = false;
  releasePendingNames(session.edits);
  if (!read) return false;
  if (!reportEntriesLeftOut(session.text, host, reader.outOfRange, reader.timed, ui::kMsgCueTracksLeftOut,
                            ui::kMsgCueNothingLeft))
    return false;
  addRecent(session.settings, session.projectPath);
  return true;
}

bool readCueSheet(EditSession& session) {
  SilentHost quiet;
  return readCueSheet(session, quiet);
}

}  // namespace quillane
