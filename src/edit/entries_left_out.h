#pragma once

#include <cstdint>

#include "session/host.h"
#include "settings/ui_text.h"

namespace quillane {

// What a project file or cue sheet reader says about the entries it left out as
// out of range, through `host`: nothing when it left out none; one warning (the
// text `leftOutText` of the text table with the number left out, caption
// "Warning") when it left out some; and when it left out every one of `entries`, a
// refusal (the text `nothingLeftText`, caption "Not possible"). False for the
// refusal: the reader then fails, since nothing usable is left.
bool reportEntriesLeftOut(const UiText& texts, Host& host, int64_t leftOut, int64_t entries, int leftOutText,
                          int nothingLeftText);

}  // namespace quillane
