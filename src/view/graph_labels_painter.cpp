// The texts over the level graph: the big timer, the names of the current range
// and of the cue sheet, and one label at the top left.
#include <algorithm>
#include <cstdio>
#include <string>

#include "edit/edit_model.h"
#include "settings/ui_text_ids.h"
#include "view/time_format.h"
#include "view/view_painter.h"

namespace quillane {

namespace {

constexpr std::size_t kShownNameChars = 50;

// At most `chars` characters of UTF-8 text, never cutting a character in two.
std::string leadingChars(const std::string& text, std::size_t chars) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (!continuation && count++ == chars) return text.substr(0, i);
  }
  return text;
}

// "artist - title", either part alone when the other is empty.
std::string namesText(const std::string& artist, const std::string& title) {
  std::string text = leadingChars(artist, kShownNameChars);
  if (!artist.empty() && !title.empty()) text += " - ";
  return text + leadingChars(title, kShownNameChars);
}

// Text unit of the file view: 6 / 10 of the window height, at most 130.
int textUnit(const GraphGeometry& geometry) { return std::min(6 * geometry.height / 10, 130); }

// Where the big timer goes: at H / 8, but below the largest top-left label (s / 4
// high from y 2). Its size is the one asked for, held so that its box ends above
// the middle of the level graph, where the lower half of every bar stays in
// sight, and left of the dB scale (3 / 4 of the width): in a small window the
// timer shrinks instead of covering the graph.
struct TimerPlace {
  int x = 8;
  int y = 0;
  int size = 0;  // 0: no room for it
};

TimerPlace placeBigTimer(const GraphGeometry& geometry, int s, const std::string& text, int wanted) {
  TimerPlace place;
  place.y = std::max(geometry.height / 8, 2 + s / 4 + 2);
  const int byHeight = geometry.levelBottom / 2 - place.y;
  // No character of a time text is wider than about half its cell height: Arial's
  // digits are 0.556 em wide, its cell (ascent and descent) 1.117 em high.
  const int chars = std::max(static_cast<int>(text.size()), 1);
  const int byWidth = 2 * (3 * geometry.width / 4 - place.x) / chars;
  place.size = std::max(std::min({wanted, byHeight, byWidth}), 0);
  return place;
}

void paintBigTimer(const Session& session, const GraphGeometry& geometry, int s, Canvas& canvas) {
  const AudioStream& stream = session.stream;
  const int64_t position = currentPosition(session);
  int64_t t = position - stream.audioStart;
  int size = s;
  std::string prefix;
  if (session.settings.big_relative) {
    const int i = rangeAtOrBefore(session.edits, position);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d > ", i + 1);
    prefix = buffer;
    if (i >= 0) t = position - session.edits.ranges[i].beg;
    size = 2 * s / 3;
  }
  const std::string text = prefix + formatTime(t, stream.avgBitrate, session.settings.show_milisec != 0);
  const TimerPlace place = placeBigTimer(geometry, s, text, size);
  if (place.size > 0) canvas.text(place.x, place.y, text, place.size, rgbFromSetting(session.settings.rgb_cursor));
}

void paintTopLeftLabel(const Session& session, int s, Canvas& canvas) {
  const Settings& settings = session.settings;
  const EditRange& selection = session.edits.selection;
  if (session.playing && session.fastPlayLevel > 0) {
    canvas.text(10, 2, uiText(session.text, ui::kStatusFastPlay), s / 4, rgbFromSetting(settings.rgb_cursor));
  } else if (selection.beg < 0) {
    if (session.stream.currentHeader.layer == 2) {
      canvas.text(6, 2, uiText(session.text, ui::kStatusLayer2GraphNote), s / 5, rgbFromSetting(settings.rgb_mpeg));
    }
  } else {
    // The type of range the selection would become: " (Gain) " for gain, a blank
    // for a cut; then its names. A cut without names has nothing to say: its label
    // would be a bare square of the selection colour.
    const bool gain = selection.type == kRangeGain;
    const std::string names = namesText(selection.artist, selection.title);
    if (!gain && names.empty()) return;
    const std::string type = gain ? " (" + uiText(session.text, ui::kListGain) + ") " : std::string(" ");
    canvas.text(6, 2, type + names + " ", s / 5, rgbFromSetting(settings.rgb_mpeg),
                rgbFromSetting(settings.rgb_selection));
  }
}

}  // namespace

void paintGraphLabels(const Session& session, const GraphGeometry& geometry, Canvas& canvas) {
  const Settings& settings = session.settings;
  const EditRangeTable& edits = session.edits;
  const int s = textUnit(geometry);
  const Rgb actual = rgbFromSetting(settings.rgb_actual);
  if (settings.big_timer) paintBigTimer(session, geometry, s, canvas);
  if (edits.currentRange >= 0 && edits.currentRange < edits.count) {
    const EditRange& range = edits.ranges[edits.currentRange];
    if (!range.artist.empty() || !range.title.empty()) {
      canvas.text(6, geometry.levelBottom - s / 5, namesText(range.artist, range.title), s / 5, actual);
    }
  }
  if (!edits.sheetArtist.empty() || !edits.sheetTitle.empty()) {
    canvas.text(6, geometry.levelBottom - 2 * s / 5, namesText(edits.sheetArtist, edits.sheetTitle), s / 5, actual);
  }
  paintTopLeftLabel(session, s, canvas);
}

}  // namespace quillane
