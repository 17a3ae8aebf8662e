#pragma once

#include "session/session.h"

namespace quillane {

// Opens session.stream.sourcePath, scans it for its first audio frame, VBR tag and
// averages and detects its ID3 tags. On success the path goes to the recent list
// and the save path is cleared; on failure no file is left open. Expects a stream state
// freshly reset (resetStreamState) before.
int openStream(Session& session);

// Closes the source file; sourcePath, audioStart and the averages stay.
void closeStream(Session& session);

// The scan alone, on an open stream whose audioEnd is the file's length.
int scanStream(AudioStream& stream);

}  // namespace quillane
