#pragma once

#include <filesystem>

#include "session/session.h"
#include "support/test_files.h"

namespace quillane::test {

// The audio frames of tone_silence_tone.mp3 (tone, pause, tone) `times` over, as
// long.mp3 in dir: a file whose scan or save takes many slices.
inline std::filesystem::path repeatedTones(const TempDir& dir, int times) {
  Session s;
  const auto source = dataPath("tone_silence_tone.mp3");
  if (!openInSession(s, source)) return {};
  const Bytes all = readBytes(source);
  Bytes audio;
  for (int i = 0; i < times; ++i)
    audio.insert(audio.end(), all.begin() + s.stream.audioStart, all.begin() + s.stream.audioEnd);
  const auto path = dir / "long.mp3";
  writeBytes(path, audio);
  return path;
}

}  // namespace quillane::test
