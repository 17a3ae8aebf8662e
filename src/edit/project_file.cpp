#include "edit/project_file.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "edit/edit_model.h"
#include "edit/edit_session.h"
#include "edit/entries_left_out.h"
#include "edit/gain_dialog_model.h"
#include "edit/path_text.h"
#include "settings/recent_files.h"
#include "settings/ui_text_ids.h"
#include "stream/open_stream.h"

namespace quillane {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

void putLine(std::string& out, std::string_view key, std::string_view value) {
  out.append(key);
  out.push_back('=');
  out.append(value);
  out.append(kLineEnd);
}

void putNumber(std::string& out, std::string_view key, int64_t value) {
  putLine(out, key, std::to_string(value));
}

// A range as the reader collects it: every value 0 until a line sets it.
EditRange emptyGroup() {
  EditRange r;
  r.beg = 0;
  r.end = 0;
  return r;
}

// What the program itself can have written: a range within the audio, its end not
// before its begin, gains within what the gain dialog allows. Anything else came
// from damage or a hand and must not reach the arithmetic of the readers.
bool usableRange(const EditRange& r, const AudioStream& stream) {
  const auto gainUsable = [](int32_t steps) { return steps >= -kGainStepsMax && steps <= kGainStepsMax; };
  return stream.isOpen() && stream.audioStart <= r.beg && r.beg <= r.end && r.end <= stream.audioEnd &&
         gainUsable(r.gainbeg) && gainUsable(r.gainend);
}

// Keeps the ranges of the table that fit the audio opened last (a second filename
// line may have replaced the first file); returns how many were left out.
int64_t keepUsableRanges(EditRangeTable& t, const AudioStream& stream) {
  int kept = 0;
  for (int i = 0; i < t.count; ++i) {
    if (!usableRange(t.ranges[i], stream)) continue;
    if (kept != i) t.ranges[kept] = std::move(t.ranges[i]);
    ++kept;
  }
  const int64_t dropped = t.count - kept;
  for (int i = kept; i < t.count; ++i) t.ranges[i] = EditRange{};
  t.count = static_cast<uint16_t>(kept);
  return dropped;
}

}  // namespace

bool writeProjectFile(EditSession& session) {
  const EditRangeTable& t = session.edits;
  std::string out;
  putLine(out, "filename", withForwardSlashes(session.stream.sourcePath));
  putNumber(out, "position", currentPosition(session));
  if (!t.sheetArtist.empty()) putLine(out, "sheet_artist", t.sheetArtist);
  if (!t.sheetTitle.empty()) putLine(out, "sheet_title", t.sheetTitle);
  for (int i = 0; i < t.count && i < kMaxRanges; ++i) {
    const EditRange& r = t.ranges[i];
    putNumber(out, "cut_beg", r.beg);
    putNumber(out, "cut_end", r.end);
    putNumber(out, "cut_gainbeg", r.gainbeg);
    putNumber(out, "cut_gainend", r.gainend);
    if (!r.artist.empty()) putLine(out, "cut_artist", r.artist);
    if (!r.title.empty()) putLine(out, "cut_title", r.title);
    putNumber(out, "cut_type", r.type);
  }
  if (!writeDocumentText(session, out)) return false;
  addRecent(session.settings, session.projectPath);
  session.edits.modified = false;
  return true;
}

bool readProjectFile(EditSession& session, Host& host) {
  closeStream(session.stream);
  resetEditModel(session, ResetLevel::FileStateAndSource);
  std::string text;
  if (!readDocumentText(session.projectPath, text)) return false;

  EditRangeTable& t = session.edits;
  AudioStream& stream = session.stream;
  EditRange group = emptyGroup();  // the range being collected
  bool audioOpened = false;
  int64_t completed = 0;  // groups ended by a cut_type line
  int64_t dropped = 0;    // ... of them left out as out of range
  LineReader lines(text, kProjectLineChars);
  std::string line;
  while (lines.next(line)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string_view key = std::string_view(line).substr(0, eq);
    const std::string_view value = std::string_view(line).substr(eq + 1);
    if (key == "filename") {
      // A second filename line replaces the file opened by the first.
      closeStream(session.stream);
      resetStreamState(stream);
      stream.sourcePath = resolveDocumentPath(value, session.projectPath);
      if (!openDocumentAudio(stream, session.settings)) return false;
      audioOpened = true;
    } else if (key == "position") {
      stream.cursor = parseDecimalInteger(value);
    } else if (key == "sheet_artist") {
      t.sheetArtist = value;
    } else if (key == "sheet_title") {
      t.sheetTitle = value;
    } else if (key == "cut_beg") {
      group.beg = parseDecimalInteger(value);
    } else if (key == "cut_end") {
      group.end = parseDecimalInteger(value);
    } else if (key == "cut_gainbeg") {
      group.gainbeg = parseDecimalInteger32(value);
    } else if (key == "cut_gainend") {
      group.gainend = parseDecimalInteger32(value);
    } else if (key == "cut_artist") {
      group.artist = value;
    } else if (key == "cut_title") {
      group.title = value;
    } else if (key == "cut_type") {
      // Only two kinds exist; any other number is taken for a cut.
      group.type = parseDecimalInteger(value) == kRangeGain ? kRangeGain : kRangeCut;
      ++completed;
      // Ranges out of range take no place in the table; with no audio file open yet
      // they are judged at the end. The table holds 200 ranges; later ones are ignored.
      if (stream.isOpen() && !usableRange(group, stream))
        ++dropped;
      else if (t.count < kMaxRanges)
        t.ranges[t.count++] = std::move(group);
      group = emptyGroup();
    }
  }
  if (!audioOpened) return false;
  dropped += keepUsableRanges(t, stream);
  stream.cursor = std::clamp(stream.cursor, stream.audioStart, stream.audioEnd);
  if (!reportEntriesLeftOut(session.text, host, dropped, completed, ui::kMsgProjectEntriesLeftOut,
                            ui::kMsgProjectNothingLeft))
    return false;
  addRecent(session.settings, session.projectPath);
  return true;
}

bool readProjectFile(EditSession& session) {
  SilentHost quiet;
  return readProjectFile(session, quiet);
}

}  // namespace quillane
