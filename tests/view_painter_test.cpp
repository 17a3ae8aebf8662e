#include "view/view_painter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "settings/ui_text_ids.h"
#include "support/recording_canvas.h"
#include "support/test_files.h"
#include "view/time_format.h"

namespace quillane {
namespace {

using test::RecordingCanvas;
using test::TextCall;

constexpr int kWidth = 400;
constexpr int kHeight = 200;  // graphBottom 180, levelBottom 179, meter bars 26 wide from x 338

// One painted view of a test file, 400 x 200 pixels unless told.
struct View {
  Session session;
  GraphGeometry geometry;
  LevelGraph graph;
  RecordingCanvas canvas;

  explicit View(const std::string& name = "", int zoom = 4, int width = kWidth, int height = kHeight)
      : canvas(width, height) {
    session.settings.zoomlevel = static_cast<uint8_t>(zoom);
    geometry = computeGraphGeometry(width, height, zoom);
    if (!name.empty()) {
      EXPECT_TRUE(test::openInSession(session, test::dataPath(name)));
    }
  }
  int64_t frame(int64_t number) { return offsetOfFrame(session.stream, number); }
  void cursorAtFrame(int64_t number) { session.stream.cursor = frame(number); }
  EditRange& addRange(uint8_t type, int64_t begFrame, int64_t endFrame) {
    EditRange& range = session.edits.ranges[session.edits.count++];
    range.type = type;
    range.beg = frame(begFrame);
    range.end = frame(endFrame);
    return range;
  }
  void paint() {
    canvas.texts.clear();
    paintView(session, geometry, graph, canvas);
  }
  Rgb colour(int32_t setting) const { return rgbFromSetting(setting); }
  const Settings& settings() const { return session.settings; }
};

TEST(ViewPainterTest, WithoutFileTheViewIsThePlainBackground) {
  View view;
  view.paint();
  const Rgb background = view.colour(view.settings().rgb_background);
  EXPECT_EQ(background, (Rgb{133, 185, 216}));
  for (int y = 0; y < kHeight; ++y) ASSERT_EQ(view.canvas.countInRow(y, background), kWidth) << "row " << y;
  EXPECT_TRUE(view.canvas.texts.empty());
}

TEST(ViewPainterTest, CursorIsOneDottedLineAtTheCentreColumn) {
  View view("cbr128_notag.mp3");
  view.cursorAtFrame(58);
  view.paint();
  const Rgb cursor = view.colour(view.settings().rgb_cursor);
  const std::vector<int> xs = view.canvas.columnsInRow(2, cursor);
  ASSERT_EQ(xs.size(), 1u);
  const int x = xs[0];
  EXPECT_NEAR(x, kWidth / 2, 2);
  const int levelBottom = view.geometry.levelBottom;
  for (int y = 0; y < kHeight; ++y) {
    const bool dot = y >= 2 && y < levelBottom - 2 && (y - 2) % 2 == 0;
    if (y >= view.geometry.graphBottom) break;
    EXPECT_EQ(view.canvas.at(x, y) == cursor, dot) << "y " << y;
  }
}

TEST(ViewPainterTest, OneFrameSelectionAtZoom8IsOnePixelWideWithTheCursorInside) {
  View view("cbr128_notag.mp3", 8);
  view.cursorAtFrame(58);
  view.session.edits.selection.beg = view.session.stream.cursor;
  view.session.edits.selection.end = view.session.stream.cursor;
  view.paint();
  const std::vector<int> band = view.canvas.columnsInRow(0, view.colour(view.settings().rgb_selection));
  ASSERT_EQ(band.size(), 1u);
  EXPECT_EQ(view.canvas.at(band[0], 2), view.colour(view.settings().rgb_cursor));
}

TEST(ViewPainterTest, RangesAreMarkedUpToTheFirstPixelOfTheirLastFrame) {
  View view("cbr128_notag.mp3", 8);  // 4 pixels a frame, frames 8..108 shown
  view.cursorAtFrame(58);
  view.addRange(kRangeCut, 20, 30);  // frames 20..30 carry the flag: 10 of 4 pixels, then 1
  view.addRange(kRangeCut, 70, 75);
  view.session.edits.currentRange = 1;
  view.paint();
  EXPECT_EQ(view.canvas.countInRow(0, view.colour(view.settings().rgb_cuts)), 41);
  EXPECT_EQ(view.canvas.countInRow(0, view.colour(view.settings().rgb_actual)), 21);
}

TEST(ViewPainterTest, GainRangesDrawTheirBarsInTheCutColour) {
  View view("cbr128_notag.mp3", 8);
  view.session.settings.level_height = 200;  // the quiet test tone then shows bars
  view.cursorAtFrame(58);
  EditRange& gain = view.addRange(kRangeGain, 40, 50);
  gain.gainbeg = gain.gainend = 10;
  view.paint();
  for (int c = 0; c <= view.geometry.graphColumns; ++c) {
    if (view.graph.columns[c].flags & kColumnGain) {
      ASSERT_GT(view.graph.columns[c].level, 0) << "column " << c;
    }
  }
  const int bottomRow = view.geometry.levelBottom - 1;
  // Every gain frame but the last is a gain bar; the last one is an ordinary bar.
  EXPECT_EQ(view.canvas.countInRow(bottomRow, view.colour(view.settings().rgb_cuts)), 40);
  EXPECT_GT(view.canvas.countInRow(bottomRow, view.colour(view.settings().rgb_mpeg)), 100);
}

TEST(ViewPainterTest, BitRateTraceOnlyForVariableRateFiles) {
  const int graphRight = 330;  // left of the level meter
  for (const char* name : {"cbr128_notag.mp3", "vbr_xing.mp3"}) {
    View view(name);
    view.cursorAtFrame(60);
    view.session.settings.bitrate_graph = 1;
    view.paint();
    const Rgb trace = view.colour(view.settings().rgb_vumeter);
    int pixels = 0;
    for (int y = 0; y < view.geometry.graphBottom; ++y) pixels += view.canvas.countInRow(y, trace, 0, graphRight);
    if (view.session.stream.vbrMode == kVbrConstant) {
      EXPECT_EQ(pixels, 0) << name;
    } else {
      EXPECT_GT(pixels, kWidth) << name;
    }
  }
}

TEST(ViewPainterTest, BigTimerCountsFromTheRangeAtOrBeforeTheCursor) {
  View view("cbr128_notag.mp3", 4, 1200, 600);  // room enough: the timer as large as it asks
  view.session.settings.big_timer = 1;
  view.cursorAtFrame(30);
  view.paint();
  const AudioStream& stream = view.session.stream;
  const TextCall* absolute =
      view.canvas.findText(formatTime(stream.cursor - stream.audioStart, stream.avgBitrate, false));
  ASSERT_NE(absolute, nullptr);
  EXPECT_EQ(absolute->x, 8);
  EXPECT_EQ(absolute->y, 600 / 8);
  EXPECT_EQ(absolute->size, 130);  // 6 / 10 of the height, at most 130
  EXPECT_EQ(absolute->colour, view.colour(view.settings().rgb_cursor));

  view.session.settings.big_relative = 1;
  view.addRange(kRangeCut, 40, 45);
  const EditRange& second = view.addRange(kRangeCut, 60, 60);
  view.paint();
  const std::string before = "0 > " + formatTime(stream.cursor - stream.audioStart, stream.avgBitrate, false);
  ASSERT_NE(view.canvas.findText(before), nullptr);
  EXPECT_EQ(view.canvas.findText(before)->size, 86);  // two thirds

  view.cursorAtFrame(90);
  view.paint();
  EXPECT_NE(view.canvas.findText("2 > " + formatTime(stream.cursor - second.beg, stream.avgBitrate, false)), nullptr);
}

// In a smaller view the big timer shrinks rather than cover the graph: it stays
// below the top-left label, above the middle of the level graph (the lower half of
// every bar stays in sight) and left of the dB scale; the dB labels shrink to the
// room between their lines. Sizes from a wide low window to a narrow tall one.
TEST(ViewPainterTest, LabelsOfSmallViewsKeepOffTheGraphAndEachOther) {
  const struct {
    int width;
    int height;
  } sizes[] = {{680, 40}, {680, 70}, {680, 100}, {680, 150}, {660, 235}, {400, 200}, {300, 400}, {1270, 560}};
  for (const auto& size : sizes) {
    for (int relative : {0, 1}) {
      SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) + (relative ? " relative" : ""));
      View view("cbr128_notag.mp3", 4, size.width, size.height);
      Settings& settings = view.session.settings;
      settings.big_timer = 1;
      settings.big_relative = relative;
      settings.show_milisec = 1;
      settings.db_scale = 1;
      view.cursorAtFrame(60);
      EditRange& selection = view.session.edits.selection;
      selection.beg = view.frame(55);
      selection.end = view.frame(65);
      selection.title = "Selected";
      view.paint();
      const GraphGeometry& g = view.geometry;
      const Rgb timerColour = view.colour(settings.rgb_cursor);
      const Rgb meterColour = view.colour(settings.rgb_vumeter);
      const TextCall* timer = nullptr;
      const TextCall* topLeft = view.canvas.findText(" Selected ");
      std::vector<const TextCall*> dbLabels;
      for (const TextCall& call : view.canvas.texts) {
        if (call.colour == timerColour) timer = &call;
        if (call.colour == meterColour) dbLabels.push_back(&call);
      }
      ASSERT_NE(topLeft, nullptr);
      if (timer == nullptr) {
        EXPECT_LT(size.height, 60) << "only a very low view has no room for the timer";
      } else {
        const int s = std::min(6 * size.height / 10, 130);
        EXPECT_GE(timer->y, 2 + s / 4) << "below the top-left label, even at the size of Fast Play";
        EXPECT_GE(timer->y, topLeft->y + topLeft->size);
        EXPECT_LE(timer->y + timer->size, g.levelBottom / 2) << "the lower half of the graph stays free";
        EXPECT_GE(timer->size, std::min(s / 4, g.levelBottom / 4)) << "still a big timer";
        // A time text's characters are at most half the cell height wide.
        const int width = static_cast<int>(timer->text.size()) * timer->size / 2;
        EXPECT_LE(timer->x + width, 3 * size.width / 4) << "left of the dB scale";
      }
      ASSERT_EQ(dbLabels.size(), 4u);
      for (size_t a = 0; a < dbLabels.size(); ++a) {
        EXPECT_GT(dbLabels[a]->size, 0);
        EXPECT_EQ(*dbLabels[a]->bottom - dbLabels[a]->y, dbLabels[a]->size) << dbLabels[a]->text;
        for (size_t b = a + 1; b < dbLabels.size(); ++b) {
          const bool apart = dbLabels[a]->y + dbLabels[a]->size <= dbLabels[b]->y ||
                             dbLabels[b]->y + dbLabels[b]->size <= dbLabels[a]->y;
          EXPECT_TRUE(apart) << '"' << dbLabels[a]->text << "\" at " << dbLabels[a]->y << " and \"" << dbLabels[b]->text
                             << "\" at " << dbLabels[b]->y << ", " << dbLabels[a]->size << " high";
        }
      }
    }
  }
}

TEST(ViewPainterTest, TopLeftLabelLayer2NoticeSelectionLabelAndFastPlay) {
  View view("layer2_mpeg1.mp2");
  view.cursorAtFrame(50);
  view.paint();
  const std::string notice = "(Layer 2 graph shows limited audio information)";
  const TextCall* call = view.canvas.findText(notice);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->size, 24);
  EXPECT_EQ(call->colour, view.colour(view.settings().rgb_mpeg));
  EXPECT_FALSE(call->background.has_value());

  EditRange& selection = view.session.edits.selection;
  selection.beg = view.frame(45);
  selection.end = view.frame(55);
  view.paint();
  EXPECT_EQ(view.canvas.findText(notice), nullptr);
  // A selection that would become a cut without names has no label: it would be
  // a bare square of the selection colour at the top left.
  for (const TextCall& text : view.canvas.texts) EXPECT_FALSE(text.background.has_value()) << '"' << text.text << '"';

  selection.title = "Title";
  view.paint();
  call = view.canvas.findText(" Title ");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->background, view.colour(view.settings().rgb_selection));
  EXPECT_EQ(call->size, 24);

  selection.title.clear();
  selection.type = kRangeGain;
  view.paint();
  EXPECT_NE(view.canvas.findText(" (Gain)  "), nullptr);

  selection.artist = "Artist";
  selection.title = "Title";
  view.paint();
  EXPECT_NE(view.canvas.findText(" (Gain) Artist - Title "), nullptr);

  view.session.playing = true;
  view.session.playPosition = view.session.stream.cursor;
  view.session.fastPlayLevel = 3;
  view.paint();
  EXPECT_EQ(view.canvas.findText(" (Gain) Artist - Title "), nullptr);
  call = view.canvas.findText("Fast Play");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->x, 10);
  EXPECT_EQ(call->size, 30);
}

TEST(ViewPainterTest, NamesOfTheCurrentRangeAndTheSheet) {
  View view("cbr128_notag.mp3");
  view.cursorAtFrame(58);
  EditRange& range = view.addRange(kRangeCut, 20, 20);
  range.title = std::string(60, 't');
  view.session.edits.sheetArtist = "Sheet Artist";
  view.paint();
  EXPECT_EQ(view.canvas.findText(std::string(50, 't')), nullptr);  // no current range yet
  ASSERT_NE(view.canvas.findText("Sheet Artist"), nullptr);
  EXPECT_EQ(view.canvas.findText("Sheet Artist")->y, view.geometry.levelBottom - 2 * 24);

  view.session.edits.currentRange = 0;
  view.paint();
  const TextCall* call = view.canvas.findText(std::string(50, 't'));
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->y, view.geometry.levelBottom - 24);
  EXPECT_EQ(call->colour, view.colour(view.settings().rgb_actual));
}

TEST(ViewPainterTest, OverviewStripShowsCuesAsTwoPixelMarks) {
  View view("cbr128_notag.mp3");
  view.cursorAtFrame(20);
  const EditRange& cue = view.addRange(kRangeCut, 90, 90);
  view.paint();
  const AudioStream& stream = view.session.stream;
  const double length = static_cast<double>(stream.audioEnd - stream.audioStart);
  const auto xOf = [&](int64_t offset) {
    return static_cast<int>(std::trunc(kWidth * static_cast<double>(offset - stream.audioStart) / length));
  };
  const int row = kHeight - 1;
  EXPECT_EQ(view.canvas.columnsInRow(row, view.colour(view.settings().rgb_cuts)),
            (std::vector<int>{xOf(cue.beg), xOf(cue.beg) + 1}));
  EXPECT_EQ(view.canvas.columnsInRow(row, view.colour(view.settings().rgb_cursor)),
            (std::vector<int>{xOf(stream.cursor), xOf(stream.cursor) + 1}));
  EXPECT_EQ(view.canvas.countInRow(view.geometry.graphBottom - 1, view.colour(view.settings().rgb_cursor)), 0);
}

TEST(ViewPainterTest, MonoFilesShowOneMeterBar) {
  for (const char* name : {"mono.mp3", "cbr128_notag.mp3"}) {
    View view(name);
    view.session.meter.meterLevel = {127, 127};
    view.paint();
    const GraphGeometry& g = view.geometry;
    const Rgb meter = view.colour(view.settings().rgb_vumeter);
    const int row = g.meterTop + g.meterHeight / 2;
    const bool mono = view.session.stream.currentHeader.channelMode == ChannelMode::Mono;
    // The bars plus the frame's two sides.
    const int bars = mono ? 1 : 2;
    EXPECT_EQ(view.canvas.countInRow(row, meter, g.meterLeft - 1), bars * g.meterBarWidth + 2) << name;
    const int firstBar = g.meterLeft + (mono ? g.meterBarStep : 0);
    EXPECT_EQ(view.canvas.at(firstBar - 1, row), meter) << name;  // the frame's left side
    EXPECT_NE(view.canvas.at(firstBar - 2, row), meter) << name;
  }
}

TEST(ViewPainterTest, DbScaleLabelsStandBesideTheMeterFrame) {
  for (const char* name : {"cbr128_notag.mp3", "mono.mp3"}) {
    View view(name);
    view.session.settings.db_scale = 1;
    view.paint();
    const GraphGeometry& g = view.geometry;
    const bool mono = view.session.stream.currentHeader.channelMode == ChannelMode::Mono;
    const int x0 = g.meterLeft + (mono ? g.meterBarStep : 0);
    const int f = 5 * g.meterBarWidth / 3;  // 43, held at 30
    const auto yOf = [&](int v) { return g.meterTop + g.meterHeight - v * g.meterHeight / 127; };
    struct Expected {
      const char* text;
      int top;
    } marks[] = {{"[dB]   0", g.meterTop},
                 {"-6", yOf(93) - 1},
                 {"-12", yOf(58) - 1},
                 {"-48", g.meterTop + g.meterHeight + 1 - 30}};
    for (const Expected& mark : marks) {
      const TextCall* call = view.canvas.findText(mark.text);
      ASSERT_NE(call, nullptr) << mark.text;
      EXPECT_EQ(call->size, std::min(f, 30));
      EXPECT_EQ(call->y, mark.top) << mark.text;
      EXPECT_EQ(call->x, 3 * kWidth / 4);
      EXPECT_EQ(call->right, x0 - 10) << name;
      EXPECT_EQ(call->bottom, mark.top + 30);
    }
    // The top edge of the frame runs on into the tick at the "0" label (its end point not drawn).
    EXPECT_EQ(view.canvas.at(x0 - 4, g.meterTop - 1), view.colour(view.settings().rgb_vumeter));
    EXPECT_NE(view.canvas.at(x0 - 5, g.meterTop - 1), view.colour(view.settings().rgb_vumeter));
  }
}

}  // namespace
}  // namespace quillane
