// The level meter at the right of the view: a frame, the optional dB scale, one
// bar per channel and the held peaks. A mono stream shows channel 1 only, one bar
// step further right, so that the single bar sits where the right bar would be.
#include <algorithm>

#include "view/view_painter.h"

namespace quillane {

namespace {

struct MeterLayout {
  int x0;  // left edge of the first shown bar
  int frameWidth;
  int top;
  int height;

  // The y of meter value v (0..127): the bar's bottom for 0, its top for 127.
  int y(int v) const { return top + height - v * height / 127; }
  int bottom() const { return top + height + 1; }
};

void paintFrame(Canvas& canvas, const MeterLayout& m, bool dbScale, Rgb pen) {
  const int left = m.x0 - 1;
  const int right = m.x0 + m.frameWidth;
  const int top = m.top - 1;
  canvas.line(left, top, left, m.bottom(), pen);
  canvas.line(left, m.bottom(), right, m.bottom(), pen);
  canvas.line(right, m.bottom(), right, top, pen);
  // With the dB scale the top edge runs on into a tick beside the "0" label.
  canvas.line(right, top, dbScale ? m.x0 - 5 : left, top, pen);
}

void paintDbScale(Canvas& canvas, const GraphGeometry& geometry, const MeterLayout& m, Rgb pen) {
  const int y6 = m.y(kMeterMark6) - 1;
  const int y12 = m.y(kMeterMark12) - 1;
  // The labels hang below the top, the -6 and the -12 line and stand on the
  // bottom: 5 / 3 of a bar width high, at most 30, and no higher than the room
  // between two of them: 5 / 3 of a bar width is 0.28 of the meter's height, more
  // than the room above the -6 line or below the -12 line, so the labels of a
  // meter lower than about 127 pixels overlapped.
  const int f = std::min({5 * geometry.meterBarWidth / 3, 30, y6 - m.top, y12 - y6, (m.bottom() - y12) / 2});
  const int boxLeft = 3 * geometry.width / 4;
  const int boxRight = m.x0 - 10;
  canvas.textRightAligned(boxLeft, m.top, boxRight, m.top + f, "[dB]   0", f, pen);
  const struct {
    int y;
    const char* label;
  } marks[] = {{y6, "-6"}, {y12, "-12"}};
  for (const auto& mark : marks) {
    canvas.line(m.x0 + m.frameWidth, mark.y, m.x0 - 5, mark.y, pen);
    canvas.textRightAligned(boxLeft, mark.y, boxRight, mark.y + f, mark.label, f, pen);
  }
  canvas.line(m.x0, m.bottom(), m.x0 - 5, m.bottom(), pen);
  canvas.textRightAligned(boxLeft, m.bottom() - f, boxRight, m.bottom(), "-48", f, pen);
}

}  // namespace

void paintLevelMeter(const Session& session, const GraphGeometry& geometry, Canvas& canvas) {
  const Settings& settings = session.settings;
  const LevelMeter& meter = session.meter;
  const bool mono = meterIsMono(session.stream.currentHeader);
  const int barWidth = geometry.meterBarWidth;
  const int step = geometry.meterBarStep;
  const MeterLayout m{geometry.meterLeft + (mono ? step : 0), mono ? barWidth : barWidth + step, geometry.meterTop,
                      geometry.meterHeight};
  const Rgb vumeter = rgbFromSetting(settings.rgb_vumeter);
  const bool dbScale = settings.db_scale != 0;

  paintFrame(canvas, m, dbScale, vumeter);
  if (dbScale) paintDbScale(canvas, geometry, m, vumeter);
  const int firstChannel = mono ? 1 : 0;
  for (int n = firstChannel; n < 2; ++n) {
    const int left = geometry.meterLeft + n * step;
    canvas.rectangle(left, m.y(std::min<int>(meter.meterLevel[n], 127)), left + barWidth, m.bottom(), vumeter,
                     vumeter);
  }
  // A held peak at full scale while recording is the clip indication.
  const Rgb clip = rgbFromSetting(settings.rgb_cursor);
  for (int n = firstChannel; n < 2; ++n) {
    const int left = geometry.meterLeft + n * step;
    const int peak = std::min<int>(meter.meterPeakHold[n], 127);
    const Rgb outline = peak > 126 && session.recordInitialised ? clip : vumeter;
    canvas.rectangle(left, m.y(peak), left + barWidth, m.y(peak) + 2, outline, std::nullopt);
  }
}

}  // namespace quillane
