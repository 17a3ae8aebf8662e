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

#include "bench_support.h"
#include "save/split_save.h"
#include "stream/open_stream.h"

namespace fs = std::filesystem;
using namespace quillane;
namespace bench = quillane::bench;

namespace {

constexpr int kPieces = 20;
constexpr int kRounds = 3;

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
  if (!openStream(session.stream)) return run;
  AudioStream& stream = session.stream;
  const int64_t length = stream.audioEnd - stream.audioStart;
  EditRangeTable& edits = session.edits;
  for (int i = 1; i < kPieces; ++i) {
    const int64_t at = findFrame(stream, stream.audioStart + length * i / kPieces).offset;
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
  const bench::HourFile hour(argc, argv, "split-bench");
  if (!hour.ok()) return 1;
  const fs::path& dir = hour.dir();
  const fs::path& source = hour.path();
  const double megabytes = hour.megabytes();
  const fs::path copy = dir / "copy.mp3";
  const fs::path pieces = dir / "pieces";

  bench::copyFile(source, dir / "warm.mp3");  // warm the cache
  fs::remove(dir / "warm.mp3");
  double bestCopy = 1e9, bestSplit = 1e9;
  SplitRun last;
  for (int round = 0; round < kRounds; ++round) {
    fs::remove(copy);
    auto t = std::chrono::steady_clock::now();
    if (!bench::copyFile(source, copy)) return 1;
    bestCopy = std::min(bestCopy, bench::seconds(t));

    emptyFolder(pieces);
    t = std::chrono::steady_clock::now();
    last = split(source, pieces);
    const double took = bench::seconds(t);
    if (!last.ok || last.pieces != kPieces) {
      std::fprintf(stderr, "split failed: ok %d, %d pieces\n", last.ok ? 1 : 0, last.pieces);
      return 1;
    }
    bestSplit = std::min(bestSplit, took);
  }

  std::printf("source: %.1f MB (%s)\n", megabytes, source.c_str());
  std::printf("plain copy (1 MiB buffer): %.3f s, %.0f MB/s\n", bestCopy, megabytes / bestCopy);
  std::printf("split at 19 cues into %d pieces (%.1f MB written): %.3f s, %.0f MB/s (%.0f %% of the copy)\n",
              last.pieces, static_cast<double>(last.bytes) / 1e6, bestSplit, megabytes / bestSplit,
              100.0 * bestCopy / bestSplit);
  std::printf("best of %d, warm cache\n", kRounds);
  std::printf("peak resident size: %.1f MB\n", bench::peakRssMb(RUSAGE_SELF));
  return 0;
}
