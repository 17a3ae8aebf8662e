#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "edit/edit_session.h"

namespace quillane {

// Characters the Auto Cue dialog's interval field takes.
constexpr std::size_t kAutoCueFieldChars = 19;

// The interval as the dialog shows it, "%d:%.2d" (120 seconds: "2:00").
std::string autoCueIntervalText(uint16_t seconds);

// "m:ss" to seconds: the numbers before and after the first ':' read as decimal
// numbers (leading blanks and a sign allowed, reading stops at the first other
// character), minutes * 60 + seconds kept in 16 bits. Nothing when the text holds no
// ':'. Only the first 19 characters count.
std::optional<uint16_t> parseAutoCueInterval(std::string_view text);

// Sets a cue every `seconds` over the open file: the n-th at the first frame at or
// after audioStart + n intervals (accumulated in bytes at avgBitrate, truncated each
// step), none at the start itself; an interval of 0 sets one cue at the start. Each
// cue replaces the selection and is added without names; the first cue the table
// refuses ends the run. Returns the number of cues added.
int placeAutoCues(EditSession& session, uint16_t seconds);

// The dialog's OK with the field's text: false, and nothing changed, when the text
// holds no ':' (the dialog stays open). Otherwise the setting autocue takes the
// interval, even when no cue results, and the cues are placed.
bool acceptAutoCueDialog(EditSession& session, std::string_view fieldText);

// The dialog's own labels, each replaced by its entry when a language file sets it.
struct AutoCueDialogLabels {
  std::string caption;  // "Auto Cue"
  std::string every;    // 661 "Set a Cue every (min:sec)"
  std::string ok;       // 611 "&OK"
  std::string cancel;   // 612 "&Cancel"
};
AutoCueDialogLabels autoCueDialogLabels(const UiText& table);

}  // namespace quillane
