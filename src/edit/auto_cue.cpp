#include "edit/auto_cue.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "edit/dialog_label.h"
#include "edit/edit_model.h"
#include "edit/edit_session.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

// A decimal number as the C library's atoi reads it, modulo 2^32 (only its low 16
// bits matter here, so no input can overflow).
uint32_t readNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  return negative ? 0u - value : value;
}

}  // namespace

std::string autoCueIntervalText(uint16_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%.2d", seconds / 60, seconds % 60);
  return text;
}

std::optional<uint16_t> parseAutoCueInterval(std::string_view text) {
  const std::string field = firstCharacters(text, kAutoCueFieldChars);
  const std::size_t colon = field.find(':');
  if (colon == std::string::npos) return std::nullopt;
  const uint32_t minutes = readNumber(std::string_view(field).substr(0, colon));
  const uint32_t seconds = readNumber(std::string_view(field).substr(colon + 1));
  return static_cast<uint16_t>(minutes * 60u + seconds);
}

int placeAutoCues(EditSession& session, uint16_t seconds) {
  AudioStream& stream = session.stream;
  EditRangeTable& table = session.edits;
  if (!stream.isOpen()) return 0;
  // The interval in bytes, from a float product as the averages are kept.
  double step = static_cast<double>(static_cast<float>(seconds) * stream.avgBitrate) / 8.0;
  if (!std::isfinite(step) || step < 0.0) step = 0.0;
  int added = 0;
  int64_t p = stream.audioStart;
  for (;;) {
    p = static_cast<int64_t>(std::trunc(static_cast<double>(p) + step));
    if (p >= stream.audioEnd) break;
    const int64_t frame = findCurrentFrame(stream, p);
    table.selection.beg = table.selection.end = frame;
    table.selection.type = kRangeCut;
    releasePendingNames(table);
    if (!addRangeFromSelection(table, session.selectionUndo, false)) break;
    ++added;
  }
  return added;
}

bool acceptAutoCueDialog(EditSession& session, std::string_view fieldText) {
  const std::optional<uint16_t> interval = parseAutoCueInterval(fieldText);
  if (!interval) return false;
  session.settings.autocue = *interval;
  placeAutoCues(session, *interval);
  return true;
}

AutoCueDialogLabels autoCueDialogLabels(const UiText& table) {
  return {dialogLabel(table, ui::kAutoCueCaption, "Auto Cue"),
          dialogLabel(table, ui::kAutoCueEvery, "Set a Cue every (min:sec)"), dialogLabel(table, ui::kLabelOk, "&OK"),
          uiText(table, ui::kDlgCancel)};
}

}  // namespace quillane
