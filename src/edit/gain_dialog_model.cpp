#include "edit/gain_dialog_model.h"

#include <algorithm>
#include <cstdio>

#include "edit/dialog_label.h"
#include "edit/edit_model.h"
#include "edit/edit_session.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

int32_t clampSteps(int32_t steps) { return std::clamp(steps, -kGainStepsMax, kGainStepsMax); }

}  // namespace

double gainStepsToDb(int32_t steps) { return steps * 15.0 / 10.0; }

std::string gainLabel(int32_t gainbeg, int32_t gainend) {
  char text[kGainLabelMax + 1];
  std::snprintf(text, sizeof text, "(%+2.1f...%+2.1f dB)", gainStepsToDb(gainbeg), gainStepsToDb(gainend));
  return text;
}

std::string gainSliderText(const std::string& word, int32_t steps) {
  char value[32];
  std::snprintf(value, sizeof value, " %+2.1f dB", gainStepsToDb(steps));
  return word + value;
}

std::string gainBeginText(const EditSession& session, int32_t steps) {
  return gainSliderText(uiText(session.text, ui::kGainFrom), steps);
}

std::string gainEndText(const EditSession& session, int32_t steps) {
  return gainSliderText(uiText(session.text, ui::kGainTo), steps);
}

int gainSliderPosition(int32_t steps) { return kGainStepsMax - clampSteps(steps); }

void startGainDialog(EditRange& pending) {
  if (pending.type != kRangeGain) {
    pending.gainbeg = pending.gainend = 0;
  } else {
    pending.gainbeg = clampSteps(pending.gainbeg);
    pending.gainend = clampSteps(pending.gainend);
  }
}

void moveGainSlider(EditRange& pending, GainSlider slider, GainSliderMove move, int thumbPosition, bool locked) {
  int32_t& g = slider == GainSlider::Begin ? pending.gainbeg : pending.gainend;
  int32_t& other = slider == GainSlider::Begin ? pending.gainend : pending.gainbeg;
  switch (move) {
    case GainSliderMove::LineUp:
    case GainSliderMove::PageUp:
      if (g < kGainStepsMax) ++g;
      break;
    case GainSliderMove::LineDown:
    case GainSliderMove::PageDown:
      if (g > -kGainStepsMax) --g;
      break;
    case GainSliderMove::Drag:
      g = kGainStepsMax - std::clamp(thumbPosition, 0, kGainSliderMax);
      break;
    case GainSliderMove::Release:
      break;
  }
  if (locked) other = g;
}

void fadeIn(EditRange& pending) {
  pending.gainbeg = -kGainStepsMax;
  pending.gainend = 0;
}

void fadeOut(EditRange& pending) {
  pending.gainbeg = 0;
  pending.gainend = -kGainStepsMax;
}

void flatGain(EditRange& pending) { pending.gainbeg = pending.gainend = 0; }

bool acceptGainDialog(EditSession& session, Host& host) {
  EditRange& pending = session.edits.selection;
  pending.type = kRangeGain;
  pending.artist.clear();
  pending.title = gainLabel(pending.gainbeg, pending.gainend);
  if (addRangeFromSelection(session.edits, session.selectionUndo, true)) return true;
  host.messageBox(uiText(session.text, ui::kMsgSelectionInvalid), uiText(session.text, ui::kMsgNotPossible),
                  MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  return false;
}

bool acceptGainDialog(EditSession& session, Host& host, const EditRange& working) {
  session.edits.selection.gainbeg = working.gainbeg;
  session.edits.selection.gainend = working.gainend;
  return acceptGainDialog(session, host);
}

GainDialogLabels gainDialogLabels(const UiText& table) {
  return {dialogLabel(table, ui::kGainCaption, "Change gain of selection relatively..."),
          dialogLabel(table, ui::kGainFadeIn, "Fade &in"),
          dialogLabel(table, ui::kGainFadeOut, "Fade o&ut"),
          dialogLabel(table, ui::kGainFlat, "&Flat"),
          dialogLabel(table, ui::kGainLockSliders, "&Lock sliders"),
          dialogLabel(table, ui::kLabelOk, "&OK"),
          uiText(table, ui::kDlgCancel)};
}

}  // namespace quillane
