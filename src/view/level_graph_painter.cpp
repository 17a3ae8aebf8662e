// The level graph: one pass per pixel column over the column table built by
// buildLevelColumns. Every mark is a vertical line at the pixel column itself, so
// the passes can run column by column in their order (selection band, ranges
// outside the current range, the current range, level bars, bit-rate trace)
// with the same result as pass by pass over the whole width.
#include <algorithm>

#include "view/view_painter.h"

namespace quillane {

namespace {

struct GraphPens {
  Rgb selection;
  Rgb cuts;
  Rgb actual;
  Rgb mpeg;
  Rgb vumeter;
  Rgb cursor;
};

int barTop(const LevelColumn& column, int levelBottom) { return levelBottom - column.level * levelBottom / 256; }

// The cut and gain marks of passes 2 (ranges outside the current range) and 3
// (the current range) for one pixel column.
void paintRangeMarks(Canvas& canvas, int x, const LevelColumn& column, const LevelColumn& next, bool newColumn,
                     int levelBottom, Rgb pen) {
  if (column.flags & kColumnCut) {
    if ((next.flags & kColumnCut) || newColumn) canvas.verticalLine(x, 0, levelBottom, pen);
  } else if ((column.flags & kColumnGain) && column.level > 0 && (next.flags & kColumnGain)) {
    canvas.verticalLine(x, barTop(column, levelBottom), levelBottom, pen);
  }
}

}  // namespace

void paintLevelGraph(const Session& session, const GraphGeometry& geometry, const LevelGraph& graph,
                     Canvas& canvas) {
  const Settings& settings = session.settings;
  const AudioStream& stream = session.stream;
  const GraphPens pens{rgbFromSetting(settings.rgb_selection), rgbFromSetting(settings.rgb_cuts),
                       rgbFromSetting(settings.rgb_actual),    rgbFromSetting(settings.rgb_mpeg),
                       rgbFromSetting(settings.rgb_vumeter),   rgbFromSetting(settings.rgb_cursor)};
  const int width = geometry.width;
  const int levelBottom = geometry.levelBottom;
  // The table holds entries 0..kLevelColumnCount - 1 and the next column of the
  // last drawn one must exist.
  const int64_t columns = std::min<int>(geometry.graphColumns, kLevelColumnCount - 1);
  if (width <= 0 || columns <= 0) return;
  // Two frames per pixel (zoom 1): buildLevelColumns folded each odd column into
  // the even one before it, so only even columns are drawn.
  const bool paired = geometry.graphColumns > geometry.width;
  const bool selectionShown = session.edits.selection.beg >= stream.audioStart;
  const bool rateShown = settings.bitrate_graph != 0 && stream.vbrMode != kVbrConstant;
  bool cursorDrawn = false;
  int64_t previousK = -1;

  for (int x = 0; x < width; ++x) {
    int64_t k = std::min<int64_t>(static_cast<int64_t>(x) * columns / width, columns - 1);
    if (paired) k &= ~int64_t{1};
    const LevelColumn& column = graph.columns[k];
    const LevelColumn& next = graph.columns[k + 1];
    const bool newColumn = k != previousK;
    previousK = k;

    if (selectionShown && (column.flags & kColumnSelected) && ((next.flags & kColumnSelected) || newColumn)) {
      canvas.verticalLine(x, 0, levelBottom, pens.selection);
    }
    const bool current = (column.flags & kColumnCurrent) != 0;
    if (!current) paintRangeMarks(canvas, x, column, next, newColumn, levelBottom, pens.cuts);
    if (current) paintRangeMarks(canvas, x, column, next, newColumn, levelBottom, pens.actual);
    const bool gainBar = (column.flags & kColumnGain) && (next.flags & kColumnGain);
    if (column.level > 0 && !gainBar) canvas.verticalLine(x, barTop(column, levelBottom), levelBottom, pens.mpeg);
    if (rateShown && column.rate > 0) {
      const int h = column.rate * levelBottom / 192;  // the full height stands for 384 kbit/s
      canvas.verticalLine(x, levelBottom - h, levelBottom - h + 4, pens.vumeter);
    }
    if (!cursorDrawn && (column.flags & kColumnCursor)) {
      canvas.dottedVerticalLine(x, 2, levelBottom - 2, pens.cursor);
      cursorDrawn = true;
    }
  }
}

}  // namespace quillane
