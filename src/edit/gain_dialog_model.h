#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "edit/edit_range.h"
#include "edit/edit_session.h"
#include "session/host.h"

namespace quillane {

// Gains are counted in Layer III global_gain steps of 1.5 dB, kept within +-32 steps.
constexpr int32_t kGainStepsMax = 32;
constexpr int kGainSliderMax = 64;  // slider positions 0..64, the top is +48 dB
constexpr std::size_t kGainLabelMax = 99;

double gainStepsToDb(int32_t steps);  // steps * 1.5

// The title a gain range gets: "(%+2.1f...%+2.1f dB)", e.g. "(-48.0...+0.0 dB)".
std::string gainLabel(int32_t gainbeg, int32_t gainend);

// A slider's text, "%s %+2.1f dB" with `word` ("from" or "to"), e.g. "from +1.5 dB".
std::string gainSliderText(const std::string& word, int32_t steps);
std::string gainBeginText(const EditSession& session, int32_t steps);  // with "from"
std::string gainEndText(const EditSession& session, int32_t steps);    // with "to"

// Slider position of a gain: 32 - steps (the top, 0, is the highest gain).
int gainSliderPosition(int32_t steps);

// The dialog edits the pending record's gainbeg and gainend directly.
// Opening: a pending record that is no gain range starts both at 0; one taken back
// from a gain range keeps its amounts (held within +-32).
void startGainDialog(EditRange& pending);

enum class GainSlider { Begin, End };
enum class GainSliderMove {
  LineUp, LineDown, PageUp, PageDown,  // one step towards the top or the bottom
  Drag,                                // the thumb is dragged to thumbPosition
  Release,                             // the thumb was let go: no change
};

// One notice of a slider: moves its gain, then with `locked` sets the other gain
// equal to it. thumbPosition counts only for Drag.
void moveGainSlider(EditRange& pending, GainSlider slider, GainSliderMove move, int thumbPosition, bool locked);

void fadeIn(EditRange& pending);   // -32 .. 0
void fadeOut(EditRange& pending);  // 0 .. -32
void flatGain(EditRange& pending); // 0 .. 0

// OK: the pending record becomes a gain range without artist and with the gain label
// as its title, added with its names kept. On a refusal the host shows "Selection
// range seems to be invalid" ("Not possible", error icon). Returns the add's result.
bool acceptGainDialog(EditSession& session, Host& host);

// The same OK for a dialog that worked on a copy of the pending record (so that
// Cancel leaves the model as it was): the copy's gains come over first.
bool acceptGainDialog(EditSession& session, Host& host, const EditRange& working);

// The dialog's own labels, each replaced by its entry when a language file sets it.
struct GainDialogLabels {
  std::string caption;  // "Change gain of selection relatively..."
  std::string fadeIn;   // 601 "Fade &in"
  std::string fadeOut;  // 602 "Fade o&ut"
  std::string flat;     // 603 "&Flat"
  std::string lock;     // 621 "&Lock sliders"
  std::string ok;       // 611 "&OK"
  std::string cancel;   // 612 "&Cancel"
};
GainDialogLabels gainDialogLabels(const UiText& table);

}  // namespace quillane
