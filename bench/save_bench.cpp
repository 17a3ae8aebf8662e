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

#include "save/save_job.h"
#include "stream/open_stream.h"

namespace fs = std::filesystem;
using namespace quillane;

namespace {

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
  if (!in || !out) return false;
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;)
    ok = ok && std::fwrite(buffer.data(), 1, n, out) == n;
  std::fclose(in);
  return std::fclose(out) == 0 && ok;
}

bool save(const fs::path& source, const fs::path& out, int64_t& frames) {
  Session session;
  resetStreamState(session.stream);
  session.stream.sourcePath = source.string();
  if (!openStream(session)) return false;
  AudioStream& stream = session.stream;
  const int64_t length = stream.audioEnd - stream.audioStart;
  auto frameAt = [&](double fraction) { return findFrame(stream, stream.audioStart + static_cast<int64_t>(length * fraction)); };
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
  const fs::path dataDir = argc > 1 ? fs::path(argv[1]) : fs::path(__FILE__).parent_path().parent_path() / "tests" / "data";
  const fs::path dir = fs::temp_directory_path() / ("quillane-save-bench-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path source = dir / "hour.mp3";
  // One hour of 128 kbit/s: 3600 s * 16000 bytes/s.
  if (!generate(dataDir / "cbr128_notag.mp3", source, int64_t{3600} * 16000)) {
    std::fprintf(stderr, "cannot generate %s from %s\n", source.c_str(), dataDir.c_str());
    return 1;
  }
  const double megabytes = static_cast<double>(fs::file_size(source)) / 1e6;

  double bestCopy = 1e9, bestSave = 1e9;
  int64_t frames = 0;
  copyFile(source, dir / "warm.mp3");  // warm the cache
  for (int round = 0; round < 5; ++round) {
    auto t = std::chrono::steady_clock::now();
    if (!copyFile(source, dir / "copy.mp3")) return 1;
    bestCopy = std::min(bestCopy, seconds(t));
    t = std::chrono::steady_clock::now();
    if (!save(source, dir / "saved.mp3", frames)) {
      std::fprintf(stderr, "save failed\n");
      return 1;
    }
    bestSave = std::min(bestSave, seconds(t));
  }

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("source: %.1f MB (%s)\n", megabytes, source.c_str());
  std::printf("plain copy (1 MiB buffer): %.3f s, %.0f MB/s\n", bestCopy, megabytes / bestCopy);
  std::printf("save, 3 cuts + 1 faded gain range: %.3f s, %.0f MB/s (%.0f %% of the copy), %lld frames written\n",
              bestSave, megabytes / bestSave, 100.0 * bestCopy / bestSave, static_cast<long long>(frames));
  std::printf("peak resident size: %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
