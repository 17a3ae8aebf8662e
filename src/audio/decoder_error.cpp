#include "audio/decoder_error.h"

#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr const char* kInitErrorCaption = "Decoder init error";

// The other decoder would do where this one is missing or cannot read the layer.
bool installHintHelps(DecoderError error) {
  return error == DecoderError::LibraryMissing || error == DecoderError::SystemCodecFailed ||
         error == DecoderError::Layer2NeedsLibrary;
}

}  // namespace

const char* decoderErrorText(DecoderError error) {
  switch (error) {
    case DecoderError::None:
    case DecoderError::NoAudio: return "";
    case DecoderError::LibraryMissing: return "Could not load libmpg123 ...";
    case DecoderError::LibraryInitFailed: return "Could not initialize libmpg123";
    case DecoderError::SystemCodecFailed: return "Could not open FFmpeg Codec. Try libmpg123 ...";
    case DecoderError::Layer2NeedsLibrary: return "Layer 2 only supported with libmpg123 ...";
  }
  return "";
}

void showDecoderError(const UiText& text, Host& host, DecoderError error) {
  if (error == DecoderError::None || error == DecoderError::NoAudio) return;
  host.messageBox(decoderErrorText(error), kInitErrorCaption, MessageIcon::Error, MessageButtons::Ok,
                  MessageAnswer::Ok);
  if (installHintHelps(error)) {
    host.messageBox(uiText(text, ui::kMsgInstallDecoder), "Quillane", MessageIcon::None, MessageButtons::Ok,
                    MessageAnswer::Ok);
  }
}

}  // namespace quillane
