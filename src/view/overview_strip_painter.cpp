// The overview strip below the level graph: the whole file across the width, with
// the edit ranges, the current range, the selection and the cursor.
#include <cmath>

#include "view/view_painter.h"

namespace quillane {

namespace {

// The pixel columns of the strip from offset `from` to offset `to` plus two
// pixels (added before truncation), so that a cue still shows as a 2-pixel mark.
struct StripScale {
  double width;
  int64_t audioStart;
  double length;

  int at(int64_t offset, double extra = 0.0) const {
    return static_cast<int>(std::trunc(width * static_cast<double>(offset - audioStart) / length + extra));
  }
};

void paintSpan(Canvas& canvas, const StripScale& scale, int top, int bottom, int64_t beg, int64_t end, Rgb colour) {
  canvas.rectangle(scale.at(beg), top, scale.at(end, 2.0), bottom, colour, colour);
}

}  // namespace

void paintOverviewStrip(const Session& session, const GraphGeometry& geometry, Canvas& canvas) {
  const AudioStream& stream = session.stream;
  const EditRangeTable& edits = session.edits;
  const Settings& settings = session.settings;
  const int64_t length = stream.audioEnd - stream.audioStart;
  if (length <= 0) return;  // nothing to scale the strip to
  const StripScale scale{static_cast<double>(geometry.width), stream.audioStart, static_cast<double>(length)};
  const int top = geometry.graphBottom;
  const int bottom = geometry.height;

  const Rgb cuts = rgbFromSetting(settings.rgb_cuts);
  for (int i = 0; i < edits.count; ++i) {
    paintSpan(canvas, scale, top, bottom, edits.ranges[i].beg, edits.ranges[i].end, cuts);
  }
  if (edits.currentRange >= 0 && edits.currentRange < edits.count) {
    const EditRange& range = edits.ranges[edits.currentRange];
    paintSpan(canvas, scale, top, bottom, range.beg, range.end, rgbFromSetting(settings.rgb_actual));
  }
  if (edits.selection.beg >= stream.audioStart && edits.selection.end >= edits.selection.beg) {
    paintSpan(canvas, scale, top, bottom, edits.selection.beg, edits.selection.end,
              rgbFromSetting(settings.rgb_selection));
  }
  const int cursor = scale.at(currentPosition(session));
  const Rgb cursorColour = rgbFromSetting(settings.rgb_cursor);
  canvas.rectangle(cursor, top, cursor + 2, bottom, cursorColour, cursorColour);
}

}  // namespace quillane
