#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "session/session.h"

namespace quillane::test {

using Bytes = std::vector<uint8_t>;

std::filesystem::path dataPath(const std::string& name);
Bytes readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);
// The same for text, byte for byte (no line end conversion).
std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Opens path into the session as the program does (state reset first).
bool openInSession(Session& session, const std::filesystem::path& path);

// A fresh folder holding a copy of the test file `name` (in its sub-folder `sub`,
// when given), opened in a session: where project files and cue sheets go.
struct CopiedAudio {
  TempDir dir;
  Session session;
  std::filesystem::path audio;

  CopiedAudio(const std::string& name, const std::string& sub);
};

// A frame as FFmpeg's demuxer sees it: byte offset and length.
struct DemuxedFrame {
  int64_t pos;
  int64_t size;
};
// The audio frames of a file according to ffprobe (tag frames are not listed).
std::vector<DemuxedFrame> demuxedFrames(const std::filesystem::path& path);

// Runs a command line and returns its exit status; stdout and stderr are captured.
struct CommandOutput {
  int status = -1;
  std::string out;
  std::string err;
};
CommandOutput runCommand(const std::string& commandLine);
std::string shellQuote(const std::string& text);

}  // namespace quillane::test
