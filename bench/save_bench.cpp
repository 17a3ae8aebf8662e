// Save throughput against a plain file copy, on a generated one-hour 128 kbit/s
// CBR file (the frames of tests/data/cbr128_notag.mp3 repeated, about 58 MB).
// Usage: save_bench [DATA_DIR]. Prints MB/s of both and the peak resident size.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.h"
#include "save/save_job.h"
#include "stream/open_stream.h"

namespace fs = std::filesystem;
using namespace quillane;
namespace bench = quillane::bench;

namespace {

bool save(const fs::path& source, const fs::path& out, int64_t& frames) {
  Session session;
  resetStreamState(session.stream);
  session.stream.sourcePath = source.string();
  if (!openStream(session.stream)) return false;
  AudioStream& stream = session.stream;
  const int64_t length = stream.audioEnd - stream.audioStart;
  auto frameAt = [&](double fraction) { return findFrame(stream, stream.audioStart + static_cast<int64_t>(length * fraction)).offset; };
  auto add = [&](uint8_t type, double from, double to, int gainbeg, int gainend) {
    EditRange& r = session.edits.ranges[session.edits.count++];
    r.type = type;
    r.beg = frameAt(from);
    r.end = frameAt(to);
    r.gainbeg = gainbeg;
    r.gainend = gainend;
  };
  add(kRangeCut, 0.05, 0.06, 0, 0);
  add(kRangeGain, 0.20, 0.35, 0, -8);
  add(kRangeCut, 0.50, 0.52, 0, 0);
  add(kRangeCut, 0.80, 0.8001, 0, 0);
  session.save.savePath = out.string();
  SilentHost host;
  SaveJob job(session, host);
  if (!job.open()) return false;
  while (!job.step()) {
  }
  frames = job.framesWritten();
  return job.result() == SaveJob::Result::Finished;
}

}  // namespace

int main(int argc, char** argv) {
  const bench::HourFile hour(argc, argv, "save-bench");
  if (!hour.ok()) return 1;
  const fs::path& dir = hour.dir();
  const fs::path& source = hour.path();
  const double megabytes = hour.megabytes();

  double bestCopy = 1e9, bestSave = 1e9;
  int64_t frames = 0;
  bench::copyFile(source, dir / "warm.mp3");  // warm the cache
  for (int round = 0; round < 5; ++round) {
    auto t = std::chrono::steady_clock::now();
    if (!bench::copyFile(source, dir / "copy.mp3")) return 1;
    bestCopy = std::min(bestCopy, bench::seconds(t));
    t = std::chrono::steady_clock::now();
    if (!save(source, dir / "saved.mp3", frames)) {
      std::fprintf(stderr, "save failed\n");
      return 1;
    }
    bestSave = std::min(bestSave, bench::seconds(t));
  }

  std::printf("source: %.1f MB (%s)\n", megabytes, source.c_str());
  std::printf("plain copy (1 MiB buffer): %.3f s, %.0f MB/s\n", bestCopy, megabytes / bestCopy);
  std::printf("save, 3 cuts + 1 faded gain range: %.3f s, %.0f MB/s (%.0f %% of the copy), %lld frames written\n",
              bestSave, megabytes / bestSave, 100.0 * bestCopy / bestSave, static_cast<long long>(frames));
  std::printf("peak resident size: %.1f MB\n", bench::peakRssMb(RUSAGE_SELF));
  return 0;
}
