#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "audio/audio_session.h"
#include "audio/input_device.h"
#include "session/host.h"
#include "settings/settings.h"

namespace quillane {

// --- The engine ----------------------------------------------------------------------

// Rec: opens the encoder and the input device and starts capturing (the meter
// moves, nothing is written). With queryOnly only asks whether the system's codec
// can produce the configured format, without side effects. False on failure,
// after the message through the host.
bool recordInit(AudioSession& session, Host& host, bool queryOnly = false);
// Play while capturing: opens the output file and starts writing. False (with a
// message) when the file cannot be created.
bool startWriting(AudioSession& session, Host& host);
// The device filled buffer `bufferIndex` with `bytes`: measure it, encode it while
// writing, give it back to the device. Does nothing when no recording runs.
void onRecordBuffer(AudioSession& session, Host& host, int bufferIndex, uint32_t bytes);
// Stops capture and encoder, writes what the encoder still holds and what waits.
// False (with "Could not create/write to file") when that write failed; what was
// written before stays.
bool stopRecording(AudioSession& session, Host& host);
// While writing: the running output length becomes a cue mark, when it lies beyond
// the last one and fewer than 40 are set.
void setRecordCueMark(AudioSession& session);

// --- Pieces -------------------------------------------------------------------------

// "<file_savepath>.mp3", or with rec_adddate "<base>-YYYY-MM-DD--hh-mm-ss.mp3" at `now`.
std::string recordFileNameBuild(const Settings& settings, const std::tm& now);
// The capture format the encoder settings ask for.
PcmFormat recordCaptureFormat(const Settings& settings);
// Bytes counted by the recording time, and that time's rate (bit/s).
int64_t recordedBytes(const AudioSession& session);
// The unencoded-buffer fill shown, in percent.
inline int unencodedPercent(int pendingRecordBuffers) { return pendingRecordBuffers * 100 / kRecordBufferCount; }

// The Turbo Grabber's filter, in place on `count` interleaved samples of
// `channels` channels.
void turboFilter(int16_t* samples, std::size_t count, int channels, TurboFilterMemory& memory);
// Stretches `count` interleaved samples by `factor` into `out` (room for
// `capacity` samples). Returns the samples written: count x factor truncated,
// rounded down to whole sample frames; 0 (nothing done) when factor > 2 or out
// is too small.
std::size_t turboStretch(const int16_t* in, std::size_t count, int channels, double factor, int16_t* out,
                         std::size_t capacity);

}  // namespace quillane
