// Painting speed of the main view on a generated one-hour 128 kbit/s CBR file
// (the frames of tests/data/cbr128_notag.mp3 repeated, about 58 MB), painted into
// the Qt back buffer on the offscreen platform:
// 1. a repaint as playback does it: buildLevelColumns and paintView of a view
//    1920 pixels wide at zoom 1 (3840 frames), cursor moving on; target < 2 ms;
// 2. a file opening as the user sees it: open the file, compute the geometry,
//    build the columns and paint; target < 50 ms.
// Usage: view_bench [DATA_DIR]. Prints both times and the peak resident size.
#include <sys/resource.h>

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/image_canvas.h"
#include "bench_support.h"
#include "stream/open_stream.h"
#include "view/view_painter.h"

using namespace quillane;
namespace bench = quillane::bench;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 300;
constexpr int kZoom = 1;
constexpr int kRepaints = 500;
constexpr int kOpenings = 10;

bool open(Session& session, const std::filesystem::path& path) {
  resetStreamState(session.stream);
  session.stream.sourcePath = path.string();
  return openStream(session.stream);
}

// What a busy view shows: the big timer, the dB scale, a selection and a few
// ranges round the middle of the file.
void dressView(Session& session) {
  Settings& settings = session.settings;
  settings.zoomlevel = kZoom;
  settings.big_timer = 1;
  settings.big_relative = 1;
  settings.db_scale = 1;
  settings.bitrate_graph = 1;
  AudioStream& stream = session.stream;
  const int64_t middle = stream.audioStart + (stream.audioEnd - stream.audioStart) / 2;
  EditRangeTable& edits = session.edits;
  for (int i = 0; i < 4; ++i) {
    EditRange& range = edits.ranges[edits.count++];
    range.type = i % 2 == 0 ? kRangeCut : kRangeGain;
    range.beg = findFrame(stream, middle + (i - 2) * 400000).offset;
    range.end = findFrame(stream, range.beg + 100000).offset;
    range.gainbeg = range.gainend = 4;
    range.title = "Piece";
  }
  edits.currentRange = 1;
  edits.selection.beg = findFrame(stream, middle + 20000).offset;
  edits.selection.end = findFrame(stream, middle + 60000).offset;
  stream.cursor = findCurrentFrame(stream, middle);
  session.meter.meterLevel = {90, 100};
  session.meter.meterPeakHold = {110, 120};
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);  // fonts for the texts
  const bench::HourFile hour(argc, argv, "view-bench");
  if (!hour.ok()) return 1;

  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  ImageCanvas canvas(image);
  const GraphGeometry geometry = computeGraphGeometry(kWidth, kHeight, kZoom);
  LevelGraph graph;

  // 1. Repaints while the cursor moves on, as during playback.
  Session session;
  if (!open(session, hour.path())) return 1;
  dressView(session);
  const int64_t step = static_cast<int64_t>(session.stream.avgFrameSize * 3);
  paintView(session, geometry, graph, canvas);  // warm the caches and the fonts
  double bestRepaint = 1e9, totalRepaint = 0, bestColumns = 1e9;
  for (int i = 0; i < kRepaints; ++i) {
    session.stream.cursor = findCurrentFrame(session.stream, session.stream.cursor + step);
    auto t = std::chrono::steady_clock::now();
    buildLevelColumns(session, geometry, graph);
    bestColumns = std::min(bestColumns, bench::seconds(t));
    t = std::chrono::steady_clock::now();
    paintView(session, geometry, graph, canvas);  // builds the columns again, then paints
    const double took = bench::seconds(t);
    bestRepaint = std::min(bestRepaint, took);
    totalRepaint += took;
  }

  // 2. Opening the file and painting its first view, each time with a new session.
  double bestOpening = 1e9, totalOpening = 0;
  for (int i = 0; i < kOpenings; ++i) {
    Session fresh;
    fresh.settings.zoomlevel = kZoom;
    const auto t = std::chrono::steady_clock::now();
    if (!open(fresh, hour.path())) return 1;
    const GraphGeometry openedGeometry = computeGraphGeometry(kWidth, kHeight, fresh.settings.zoomlevel);
    paintView(fresh, openedGeometry, graph, canvas);
    const double took = bench::seconds(t);
    bestOpening = std::min(bestOpening, took);
    totalOpening += took;
    closeStream(fresh);
  }

  std::printf("source: %.1f MB (%s)\n", hour.megabytes(), hour.path().c_str());
  std::printf("view %d x %d at zoom %d: %d frames across\n", kWidth, kHeight, kZoom, geometry.graphColumns);
  std::printf("columns alone: best %.3f ms\n", bestColumns * 1e3);
  std::printf("columns + paint: best %.3f ms, mean %.3f ms over %d repaints (target < 2 ms)\n", bestRepaint * 1e3,
              totalRepaint * 1e3 / kRepaints, kRepaints);
  std::printf("open + geometry + columns + paint: best %.1f ms, mean %.1f ms over %d openings (target < 50 ms)\n",
              bestOpening * 1e3, totalOpening * 1e3 / kOpenings, kOpenings);
  std::printf("warm cache\n");
  std::printf("peak resident size: %.1f MB\n", bench::peakRssMb(RUSAGE_SELF));
  return 0;
}
