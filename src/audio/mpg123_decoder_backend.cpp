#include "audio/mpg123_decoder_backend.h"

#include <mpg123.h>

namespace quillane {
namespace {

bool libraryReady() {
  static const bool ready = mpg123_init() == MPG123_OK;
  return ready;
}

}  // namespace

Mpg123DecoderBackend::~Mpg123DecoderBackend() { close(); }

BackendOpenResult Mpg123DecoderBackend::open(const PcmFormat& format, int layer) {
  close();
  if (!libraryReady()) return BackendOpenResult::LoadFailed;
  if (!supportsLayer(layer) || (format.channels != 1 && format.channels != 2)) return BackendOpenResult::InitFailed;
  format_ = format;
  return startHandle();
}

BackendOpenResult Mpg123DecoderBackend::startHandle() {
  int error = MPG123_OK;
  handle_ = mpg123_new(nullptr, &error);
  if (!handle_) return BackendOpenResult::InitFailed;
  const long flags = MPG123_QUIET | MPG123_IGNORE_INFOFRAME | MPG123_NO_READAHEAD |
                     (format_.channels == 1 ? MPG123_MONO_MIX : MPG123_FORCE_STEREO);
  const bool ok = mpg123_param(handle_, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0) == MPG123_OK &&
                  mpg123_param(handle_, MPG123_ADD_FLAGS, flags, 0.0) == MPG123_OK &&
                  mpg123_format_none(handle_) == MPG123_OK &&
                  mpg123_format(handle_, static_cast<long>(format_.samplesPerSecond),
                                format_.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                                MPG123_ENC_SIGNED_16) == MPG123_OK &&
                  mpg123_open_feed(handle_) == MPG123_OK;
  if (!ok) {
    mpg123_delete(handle_);
    handle_ = nullptr;
    return BackendOpenResult::InitFailed;
  }
  return BackendOpenResult::Ok;
}

DecodeResult Mpg123DecoderBackend::decode(const uint8_t* frames, int length, uint8_t* out, int capacity) {
  DecodeResult result;
  if (!handle_ || capacity <= 0) return result;
  // The first call takes the input; then the output is drained while the library
  // has more (MPG123_OK) or has just announced the format (MPG123_NEW_FORMAT,
  // which comes with no bytes).
  size_t done = 0;
  int ret = mpg123_decode(handle_, frames, frames ? static_cast<size_t>(length) : 0, out,
                          static_cast<size_t>(capacity), &done);
  result.bytes = static_cast<int>(done);
  while ((ret == MPG123_OK || ret == MPG123_NEW_FORMAT) && result.bytes < capacity) {
    done = 0;
    ret = mpg123_decode(handle_, nullptr, 0, out + result.bytes, static_cast<size_t>(capacity - result.bytes), &done);
    result.bytes += static_cast<int>(done);
  }
  if (ret != MPG123_OK && ret != MPG123_NEW_FORMAT && ret != MPG123_NEED_MORE) result.error = true;
  return result;
}

void Mpg123DecoderBackend::reset() {
  if (!handle_) return;
  // Reopening the feed clears the parser, the bit reservoir and the synthesis
  // filter's history; the handle and its settings stay (a new handle costs ~0.1 ms).
  mpg123_close(handle_);
  if (mpg123_open_feed(handle_) != MPG123_OK) {
    mpg123_delete(handle_);
    handle_ = nullptr;
    startHandle();
  }
}

void Mpg123DecoderBackend::close() {
  if (handle_) mpg123_delete(handle_);
  handle_ = nullptr;
}

}  // namespace quillane
