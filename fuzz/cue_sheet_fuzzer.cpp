// A cue sheet naming a real audio file (see document_input.h).
#include <string>

#include "edit/cue_sheet.h"
#include "document_input.h"
#include "fuzz_targets.h"

namespace quillane::fuzz {

void cueSheetInput(const uint8_t* data, size_t size) {
  documentInput(
      data, size, "fuzzed.cue", [](const std::string& audio) { return "FILE \"" + audio + "\" MP3\r\n"; },
      readCueSheet);
}

}  // namespace quillane::fuzz
