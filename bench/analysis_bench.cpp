// The analysis scans against the decoders' own command-line tools, on a generated
// one-hour 128 kbit/s CBR file (the frames of tests/data/cbr128_notag.mp3
// repeated, about 58 MB, peak -12.4 dBFS, so normalize reads the whole file).
// Normalize and pause detection run with libmpg123 (use_mpglib = 1) and with
// FFmpeg (0); `mpg123 -q -t` and `ffmpeg -f null` decode the same file.
// Usage: analysis_bench [DATA_DIR]. Prints CPU and wall time of each, the ratios
// and the peak resident sizes.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_support.h"
#include "audio/normalize_scan.h"
#include "audio/pause_detection.h"
#include "stream/open_stream.h"

namespace fs = std::filesystem;
using namespace quillane;
namespace bench = quillane::bench;

namespace {

struct Timing {
  double cpu = 0.0;   // seconds of CPU, user + system
  double wall = 0.0;  // seconds
  bool ok = false;
  std::string detail;
};

double processCpu() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double childrenCpu() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto secs = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6; };
  return secs(usage.ru_utime) + secs(usage.ru_stime);
}

double wallNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Reads the file once so that every run below finds it in the cache.
void warm(const fs::path& path) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return;
  std::vector<char> buffer(1 << 20);
  while (std::fread(buffer.data(), 1, buffer.size(), in) > 0) {
  }
  std::fclose(in);
}

bool openSession(Session& session, const fs::path& source, int useMpglib) {
  resetStreamState(session.stream);
  session.stream.sourcePath = source.string();
  session.settings.use_mpglib = useMpglib;
  return openStream(session.stream);
}

Timing normalize(const fs::path& source, int useMpglib) {
  Timing timing;
  Session session;
  if (!openSession(session, source, useMpglib)) return timing;
  SilentHost host;
  const double cpu = processCpu(), wall = wallNow();
  NormalizeScan scan(session, host);
  if (!scan.open()) return timing;
  while (scan.step()) {
  }
  timing.cpu = processCpu() - cpu;
  timing.wall = wallNow() - wall;
  timing.ok = scan.progress() == 100;
  timing.detail = "peak " + scan.peakText() + ", progress " + std::to_string(scan.progress()) + " %";
  return timing;
}

// silenceLevel 30 (the default) finds the file loud, so only every sixth frame is
// decoded; 100 (threshold -10.3 dB) finds it all quiet, so every frame is.
Timing pauses(const fs::path& source, int useMpglib, int silenceLevel) {
  Timing timing;
  Session session;
  if (!openSession(session, source, useMpglib)) return timing;
  session.settings.silence_level = static_cast<uint8_t>(silenceLevel);
  SilentHost host;
  const double cpu = processCpu(), wall = wallNow();
  PauseDetection detection(session, host);
  detection.open();
  if (!detection.start()) return timing;
  while (detection.step()) {
  }
  timing.cpu = processCpu() - cpu;
  timing.wall = wallNow() - wall;
  timing.ok = detection.progress() == 100 && !detection.tableFull();
  timing.detail = "found " + std::to_string(detection.foundCount()) + ", progress " +
                  std::to_string(detection.progress()) + " %";
  return timing;
}

Timing external(const std::string& command) {
  Timing timing;
  const double cpu = childrenCpu(), wall = wallNow();
  const int status = std::system(command.c_str());
  timing.cpu = childrenCpu() - cpu;
  timing.wall = wallNow() - wall;
  timing.ok = status == 0;
  timing.detail = "exit status " + std::to_string(status);
  return timing;
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

void print(const char* name, const Timing& t) {
  std::printf("%-38s cpu %7.3f s  wall %7.3f s  %s%s\n", name, t.cpu, t.wall, t.detail.c_str(), t.ok ? "" : "  FAILED");
}

// Speed of ours relative to theirs: their time over ours (1.0 = as fast).
void ratio(const char* name, const Timing& ours, const Timing& theirs) {
  std::printf("%-38s cpu %5.2f  wall %5.2f\n", name, theirs.cpu / ours.cpu, theirs.wall / ours.wall);
}

}  // namespace

int main(int argc, char** argv) {
  const bench::HourFile hour(argc, argv, "analysis-bench");
  if (!hour.ok()) return 1;
  const fs::path& source = hour.path();
  std::printf("source: %.1f MB (%s), warm cache, one run each\n", static_cast<double>(fs::file_size(source)) / 1e6,
              source.c_str());
  warm(source);
  const double baseRss = bench::peakRssMb(RUSAGE_SELF);

  const Timing normMpg = normalize(source, 1);
  print("normalize, libmpg123", normMpg);
  const Timing normFf = normalize(source, 0);
  print("normalize, FFmpeg", normFf);
  const Timing pauseMpg = pauses(source, 1, 30);
  print("pause detection (loud), libmpg123", pauseMpg);
  const Timing pauseFf = pauses(source, 0, 30);
  print("pause detection (loud), FFmpeg", pauseFf);
  const Timing quietMpg = pauses(source, 1, 100);
  print("pause detection (all quiet), libmpg123", quietMpg);
  const Timing quietFf = pauses(source, 0, 100);
  print("pause detection (all quiet), FFmpeg", quietFf);
  const double ourRss = bench::peakRssMb(RUSAGE_SELF);

  const Timing mpg123 = external("mpg123 -q -t " + shellQuote(source.string()));
  print("mpg123 -q -t", mpg123);
  const Timing ffmpeg = external("ffmpeg -nostdin -v error -i " + shellQuote(source.string()) + " -f null -");
  print("ffmpeg -v error -f null", ffmpeg);

  std::printf("\nspeed ratios (theirs / ours; 1.00 = as fast, above is faster):\n");
  ratio("normalize libmpg123 vs mpg123 -t", normMpg, mpg123);
  ratio("normalize FFmpeg vs ffmpeg -f null", normFf, ffmpeg);
  ratio("pause (loud) libmpg123 vs normalize", pauseMpg, normMpg);
  ratio("pause (loud) FFmpeg vs normalize", pauseFf, normFf);
  ratio("pause (quiet) libmpg123 vs normalize", quietMpg, normMpg);
  ratio("pause (quiet) FFmpeg vs normalize", quietFf, normFf);

  std::printf("\npeak resident size: %.1f MB before the scans, %.1f MB after them; largest child %.1f MB\n", baseRss,
              ourRss, bench::peakRssMb(RUSAGE_CHILDREN));
  const bool ok = normMpg.ok && normFf.ok && pauseMpg.ok && pauseFf.ok && quietMpg.ok && quietFf.ok && mpg123.ok &&
                  ffmpeg.ok;
  return ok ? 0 : 1;
}
