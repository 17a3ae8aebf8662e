// Split throughput against a plain file copy, on a generated one-hour 128 kbit/s
// CBR file (the frames of tests/data/cbr128_notag.mp3 repeated, about 58 MB) with
// 19 cue points evenly spaced, so that the split writes 20 pieces.
// Usage: split_bench [DATA_DIR]. Prints MB/s of both, their ratio and the peak
// resident size.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "save/split_save.h"
#include "stream/open_stream.h"

namespace fs = std::filesystem;
using namespace quillane;

namespace {

constexpr int kPieces = 20;
constexpr int kRounds = 3;

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool generate(const fs::path& frames, const fs::path& out, int64_t minimumBytes) {
  std::ifstream in(frames, std::ios::binary);
  const std::vector<char> one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (one.empty()) return false;
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  for (int64_t written = 0; written < minimumBytes; written += static_cast<int64_t>(one.size()))
    file.write(one.data(), static_cast<std::streamsize>(one.size()));
  return static_cast<bool>(file);
}

// read + write with a 1 MiB buffer, as cp does.
bool copyFile(const fs::path& from, const fs::path& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "wb");
  if (!in || !out) {
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;)
    ok = ok && std::fwrite(buffer.data(), 1, n, out) == n;
  std::fclose(in);
  return std::fclose(out) == 0 && ok;
}

// Empties (or creates) the folder the pieces go to, outside the timed part.
void emptyFolder(const fs::path& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder);
}

struct SplitRun {
  bool ok = false;
  int pieces = 0;
  int64_t bytes = 0;  // the pieces' sizes together
};

SplitRun split(const fs::path& source, const fs::path& folder) {
  SplitRun run;
  Session session;
  resetStreamState(session.stream);
  session.stream.sourcePath = source.string();
  if (!openStream(session)) return run;
  AudioStream& stream = session.stream;
  const int64_t length = stream.audioEnd - stream.audioStart;
  EditRangeTable& edits = session.edits;
  for (int i = 1; i < kPieces; ++i) {
    const int64_t at = findFrame(stream, stream.audioStart + length * i / kPieces);
    EditRange& cue = edits.ranges[edits.count++];
    cue.type = kRangeCut;
    cue.beg = at;
    cue.end = at;
  }
  session.save.savePath = folder.string() + "/";
  SilentHost host;
  const SplitResult result = splitSave(session, host, 1);
  run.ok = result.ok == 1;
  run.pieces = static_cast<int>(result.writtenPaths.size());
  for (const std::string& path : result.writtenPaths) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (!ec) run.bytes += static_cast<int64_t>(size);
  }
  for (const auto& message : host.messages) std::fprintf(stderr, "split message: %s\n", message.text.c_str());
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path dataDir = argc > 1 ? fs::path(argv[1]) : fs::path(__FILE__).parent_path().parent_path() / "tests" / "data";
  const fs::path dir = fs::temp_directory_path() / ("quillane-split-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path source = dir / "hour.mp3";
  // One hour of 128 kbit/s: 3600 s * 16000 bytes/s.
  if (!generate(dataDir / "cbr128_notag.mp3", source, int64_t{3600} * 16000)) {
    std::fprintf(stderr, "cannot generate %s from %s\n", source.c_str(), dataDir.c_str());
    return 1;
  }
  const double megabytes = static_cast<double>(fs::file_size(source)) / 1e6;
  const fs::path copy = dir / "copy.mp3";
  const fs::path pieces = dir / "pieces";

  copyFile(source, dir / "warm.mp3");  // warm the cache
  fs::remove(dir / "warm.mp3");
  double bestCopy = 1e9, bestSplit = 1e9;
  SplitRun last;
  for (int round = 0; round < kRounds; ++round) {
    fs::remove(copy);
    auto t = std::chrono::steady_clock::now();
    if (!copyFile(source, copy)) return 1;
    bestCopy = std::min(bestCopy, seconds(t));

    emptyFolder(pieces);
    t = std::chrono::steady_clock::now();
    last = split(source, pieces);
    const double took = seconds(t);
    if (!last.ok || last.pieces != kPieces) {
      std::fprintf(stderr, "split failed: ok %d, %d pieces\n", last.ok ? 1 : 0, last.pieces);
      return 1;
    }
    bestSplit = std::min(bestSplit, took);
  }

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("source: %.1f MB (%s)\n", megabytes, source.c_str());
  std::printf("plain copy (1 MiB buffer): %.3f s, %.0f MB/s\n", bestCopy, megabytes / bestCopy);
  std::printf("split at 19 cues into %d pieces (%.1f MB written): %.3f s, %.0f MB/s (%.0f %% of the copy)\n",
              last.pieces, static_cast<double>(last.bytes) / 1e6, bestSplit, megabytes / bestSplit,
              100.0 * bestCopy / bestSplit);
  std::printf("best of %d, warm cache\n", kRounds);
  std::printf("peak resident size: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
