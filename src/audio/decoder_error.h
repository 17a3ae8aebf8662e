#pragma once

#include "session/host.h"
#include "settings/ui_text.h"

namespace quillane {

// Why a decoder did not open.
enum class DecoderError {
  None,                // it opened
  NoAudio,             // no valid frame header, or a layer no decoder reads: nothing to say
  LibraryMissing,      // libmpg123 could not be loaded
  LibraryInitFailed,   // libmpg123 is there but refused to start a decoder
  SystemCodecFailed,   // FFmpeg's codec for the format did not open
  Layer2NeedsLibrary,  // the system codec reads Layer III only
};

// The error box's text for `error`; empty for None and NoAudio.
const char* decoderErrorText(DecoderError error);

// Shows what a failed open shows: the error box and, where the other decoder
// would help, a second box on how to get it. Nothing for None and NoAudio.
void showDecoderError(const UiText& text, Host& host, DecoderError error);

}  // namespace quillane
