#include "support/test_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "stream/open_stream.h"

namespace quillane::test {

std::filesystem::path dataPath(const std::string& name) {
  return std::filesystem::path(QUILLANE_TEST_DATA_DIR) / name;
}

Bytes readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readText(const std::filesystem::path& path) {
  const Bytes bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

void writeText(const std::filesystem::path& path, const std::string& text) {
  writeBytes(path, Bytes(text.begin(), text.end()));
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::temp_directory_path() /
          ("quillane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

bool openInSession(Session& session, const std::filesystem::path& path) {
  closeStream(session.stream);
  resetStreamState(session.stream);
  session.stream.sourcePath = path.string();
  return openStream(session.stream);
}

CopiedAudio::CopiedAudio(const std::string& name, const std::string& sub) {
  std::filesystem::create_directories(dir.path() / sub);
  audio = dir.path() / sub / name;
  std::filesystem::copy_file(dataPath(name), audio);
  EXPECT_TRUE(openInSession(session, audio));
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

CommandOutput runCommand(const std::string& commandLine) {
  TempDir dir;
  const auto outPath = dir / "out";
  const auto errPath = dir / "err";
  const std::string full = commandLine + " >" + shellQuote(outPath.string()) + " 2>" + shellQuote(errPath.string());
  CommandOutput result;
  const int raw = std::system(full.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  auto slurp = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  result.out = slurp(outPath);
  result.err = slurp(errPath);
  return result;
}

std::vector<DemuxedFrame> demuxedFrames(const std::filesystem::path& path) {
  const CommandOutput run = runCommand("ffprobe -v error -select_streams a:0 -show_entries packet=pos,size -of compact=p=0:nk=0 " +
                                       shellQuote(path.string()));
  if (run.status != 0) throw std::runtime_error("ffprobe failed on " + path.string() + ": " + run.err);
  std::vector<DemuxedFrame> frames;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    long long pos = -1, size = -1;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '|')) {
      if (field.rfind("pos=", 0) == 0) pos = std::stoll(field.substr(4));
      if (field.rfind("size=", 0) == 0) size = std::stoll(field.substr(5));
    }
    if (pos >= 0 && size > 0) frames.push_back({pos, size});
  }
  return frames;
}

}  // namespace quillane::test
