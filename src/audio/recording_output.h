#pragma once

#include <string>

#include "audio/recording_engine.h"

namespace quillane {

// The recording's file. A new recording goes to a temporary file beside its
// name and takes the name (replacing a file of that name) at its first write, so
// a recording that never got that far leaves the old file alone; an appended
// recording adds to the existing file. The file is opened for each write only.

// Play: makes sure the file can be written. False: `error` says "path: reason".
bool openRecordOutput(RecordingState& rec, bool append, std::string& error);
// Writes the encoded bytes waiting and empties the buffer; recordFileLength
// becomes the file's length.
bool flushRecordOutput(RecordingState& rec, std::string& error);
// Stop: writes what waits; a new file that never received a byte is dropped.
bool closeRecordOutput(RecordingState& rec, std::string& error);

}  // namespace quillane
