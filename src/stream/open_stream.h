#pragma once

#include <string>

#include "stream/audio_stream.h"

namespace quillane {

// Why a file does not open as MPEG audio.
enum class OpenFailure {
  None,
  System,        // the file can't be opened: systemError (errno) says why
  Folder,        // a folder, not a file
  NotRegular,    // a pipe, a device or a socket
  NotMpegAudio,  // opened, but no audio frame found
};

struct OpenProblem {
  OpenFailure kind = OpenFailure::None;
  int systemError = 0;
  explicit operator bool() const { return kind != OpenFailure::None; }
};

// What keeps the file at path from opening as audio, found by opening and
// scanning it as openStream would, without touching any open file.
OpenProblem audioFileProblem(const std::string& path);

// What keeps the file at path from being read at all (System, Folder or
// NotRegular), or None.
OpenProblem readProblem(const std::string& path);

// Opens stream.sourcePath into a freshly reset stream and scans it (below). On
// failure no file is left open and the problem says why.
OpenProblem openAudioStream(AudioStream& stream);

// Opens stream.sourcePath, scans it for its first audio frame, VBR tag and
// averages and detects its ID3 tags; false, with no file left open, when it does
// not open as audio (openAudioStream says why). Expects a stream state freshly
// reset (resetStreamState) before. The recent list and the save path are the
// caller's.
bool openStream(AudioStream& stream);

// Closes the source file; sourcePath, audioStart and the averages stay.
void closeStream(AudioStream& stream);

// The scan alone, on an open stream whose audioEnd is the file's length.
bool scanStream(AudioStream& stream);

}  // namespace quillane
