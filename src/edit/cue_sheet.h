#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "edit/edit_session.h"
#include "session/host.h"
#include "stream/audio_stream.h"

namespace quillane {

// Cue sheets (".cue"): the cues of the range table as tracks of one audio file.
//   PERFORMER "<sheet artist>"        when set
//   TITLE "<sheet title>"             "(Title N.N.)" when not set
//   FILE "<audio path>" MP2|MP3|WAVE
//     TRACK nn AUDIO                  one per cue, two blanks in front
//       TITLE "<title>"               "(Track nn)" when not set
//       PERFORMER "<artist>"          when set
//       INDEX 01 mm:ss:ff             a frame is 1/75 second
// CR LF written, CR LF or LF read.

// Limits of the reader, in characters: a line without its line end (the rest is
// ignored), a title or performer, the time of an INDEX line.
constexpr std::size_t kCueLineChars = 399;
constexpr std::size_t kCueNameChars = 199;
constexpr std::size_t kCueTimeChars = 15;

// The offset of a time "mm:ss:ff" in the open file, from audioStart and the
// average bitrate, before it is moved to a frame. The text is split at its last
// ':' (frames) and then at the last ':' left (seconds), the rest is the minutes;
// each part may have a fraction. Without any ':' the whole text is the frames.
// An empty text gives audioEnd.
int64_t cueTimeToOffset(const AudioStream& stream, std::string_view text);

// The time of an offset as the sheet writes it: "%.2d:%.2d:%.2d" minutes,
// seconds and frames, each truncated. An offset outside the audio (when the stream
// has audio bounds) gives the time of the nearer end.
std::string cueTimeText(const AudioStream& stream, int64_t offset);

// Writes the sheet to session.projectPath. On success `modified` is cleared and
// the path goes to the recent list.
bool writeCueSheet(EditSession& session);

// Reads the sheet at session.projectPath: resets the model (level 2), opens the
// audio file of its FILE line (a relative name below the sheet's folder) and adds
// each track as a cue with its names at the first frame at or after its time. A
// track without a time, or with no frame found at or after it before the end of
// the audio, is dropped. A track whose time lies before or past the audio is
// dropped too, and one warning through `host` says how many were; when every
// track with a time was such a one, reading fails with a message through `host`.
// A malformed line, a second FILE line, an audio file that can't be opened or a
// cue the table refuses stops reading and fails (the cues added so far stay); so
// does a sheet that names no audio file. `modified` ends clear either way; on
// success the path goes to the recent list.
bool readCueSheet(EditSession& session, Host& host);
// The same for a caller that shows no messages (a tool reading many files).
bool readCueSheet(EditSession& session);

}  // namespace quillane
