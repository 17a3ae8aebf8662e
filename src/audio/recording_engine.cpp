// The recording engine: captures from the input device, encodes to MP3 and writes
// the file, in two stages (Rec: capture only; Play: capture and write).
#include "audio/recording_engine.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "audio/audio_session.h"
#include "audio/level_meter.h"
#include "audio/recording_output.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

RecordingState::RecordingState() = default;
RecordingState::~RecordingState() = default;
RecordingState::RecordingState(RecordingState&&) = default;
RecordingState& RecordingState::operator=(RecordingState&&) = default;

namespace {

constexpr const char* kRecordInitError = "Record init error";

void showError(Host& host, const std::string& text, const std::string& caption) {
  host.messageBox(text, caption, MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
}

void showEncoderHint(AudioSession& session, Host& host) {
  host.messageBox(uiText(session.text, ui::kMsgInstallEncoder), "Quillane", MessageIcon::None, MessageButtons::Ok,
                  MessageAnswer::Ok);
}

void showWriteError(AudioSession& session, Host& host, const std::string& error) {
  showError(host, uiText(session.text, ui::kMsgCouldNotWrite) + "\n" + error,
            uiText(session.text, ui::kMsgError));
}

std::tm localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

// The message for an encoder that could not be opened, by encoder.
void reportEncoderFailure(AudioSession& session, Host& host, const EncoderOpening& opening) {
  if (session.settings.enc_type == 2 && opening.error != 0) {
    char text[96];
    std::snprintf(text, sizeof text, "Lame: beInitStream failed, error # %d", opening.error);
    showError(host, text, kRecordInitError);
    return;
  }
  const std::string text = session.settings.enc_type == 2
                               ? "Could not load libmp3lame ..."
                               : "Could not open FFmpeg's MP3 encoder. Try libmp3lame ...";
  showError(host, opening.problem.empty() ? text : text + "\n(" + opening.problem + ")", kRecordInitError);
  showEncoderHint(session, host);
}

// Clears what each Rec starts afresh.
void clearRecordingGroup(RecordingState& rec) {
  rec.recordFileName.clear();
  rec.pendingRecordBuffers = 0;
  rec.recordFileLength = 0;
  rec.encoded.clear();
  rec.cueMarks.clear();
  rec.recordPcmBytes = 0;
  rec.recordRate = 0;
  rec.recordTimeFromPcm = false;
  rec.replacement.reset();
}

// The rate that turns the counted bytes into the recording time.
void chooseRecordRate(const Settings& s, RecordingState& rec) {
  rec.recordRate = static_cast<double>(s.enc_acm_bitrate);
  if (s.enc_type != 2) return;
  if (s.enc_lam_vbr_method == 4) {
    rec.recordRate = s.enc_lam_abr_bitrate * 1000.0;
  } else if (s.enc_lam_vbr_method >= 0 && s.enc_lam_vbr_method <= 3) {
    // The PCM bytes counted in hundreds: 16 bits per sample at the capture rate.
    rec.recordRate = 16.0 * s.enc_lam_samplerate / 100.0;
    if (s.enc_lam_mode != 3) rec.recordRate *= 2;
    rec.recordTimeFromPcm = true;
  } else {
    rec.recordRate = s.enc_lam_bitrate * 1000.0;
  }
}

// Opens the input device and queues the capture buffers. False after its message.
bool startCapture(AudioSession& session, Host& host, uint32_t bufferBytes) {
  RecordingState& rec = session.recording;
  InputDevice::FilledHandler handler = rec.noticeHandler;
  if (!handler) handler = [&session, &host](int index, uint32_t bytes) { onRecordBuffer(session, host, index, bytes); };
  const int number = static_cast<int>(session.settings.device_in) - 1;
  if (rec.input == nullptr || !rec.input->open(rec.captureFormat, number, handler)) {
    std::string text = uiText(session.text, ui::kMsgCouldNotOpenDevice);
    if (rec.input != nullptr && !rec.input->openFailure().empty()) text += "\n" + rec.input->openFailure();
    stopRecording(session, host);
    showError(host, text, uiText(session.text, ui::kMsgError));
    return false;
  }
  session.recordInitialised = true;
  rec.buffers.assign(kRecordBufferCount, std::vector<uint8_t>(bufferBytes));
  for (int i = 0; i < kRecordBufferCount; ++i) {
    if (!rec.input->addBuffer(i, rec.buffers[i].data(), bufferBytes)) {
      stopRecording(session, host);
      showError(host, "Could not queue a capture buffer on the input device", kRecordInitError);
      return false;
    }
  }
  if (!rec.input->start()) {
    stopRecording(session, host);
    showError(host, "Could not start capturing on the input device", kRecordInitError);
    return false;
  }
  return true;
}

// Writes the waiting bytes out; on a failure says so and stops the recording
// (what was written stays).
bool flushOrStop(AudioSession& session, Host& host) {
  std::string error;
  if (flushRecordOutput(session.recording, error)) return true;
  session.recording.encoded.clear();
  session.recordWriting = false;
  stopRecording(session, host);
  showWriteError(session, host, error);
  return false;
}

// Encodes one captured buffer and keeps the bytes, writing out before the
// encoded-data buffer would overflow.
void encodeCaptured(AudioSession& session, Host& host, uint8_t* data, uint32_t length) {
  RecordingState& rec = session.recording;
  if (!rec.encoder) {
    stopRecording(session, host);
    return;
  }
  const int channels = rec.captureFormat.channels == 1 ? 1 : 2;
  const int16_t* samples = reinterpret_cast<const int16_t*>(data);
  std::size_t count = length / 2;
  std::vector<int16_t> stretched;
  if (rec.turboGrabber) {
    turboFilter(reinterpret_cast<int16_t*>(data), count, channels, rec.turboMemory);
    stretched.resize(static_cast<std::size_t>(static_cast<double>(count) * kTurboFactor) + 2);
    const std::size_t made = turboStretch(samples, count, channels, kTurboFactor, stretched.data(), stretched.size());
    if (made > 0) {
      samples = stretched.data();
      count = made;
      length = static_cast<uint32_t>(made * 2);
    }
  }
  std::vector<uint8_t> out;
  if (!rec.encoder->encode(samples, static_cast<uint32_t>(count), out)) return;  // a failed buffer is skipped
  if (session.settings.enc_type == 2) rec.recordPcmBytes += length;
  if (rec.encoded.size() + out.size() >= kRecordFlushBytes && !flushOrStop(session, host)) return;
  rec.encoded.insert(rec.encoded.end(), out.begin(), out.end());
}

}  // namespace

bool recordInit(AudioSession& session, Host& host, bool queryOnly) {
  const Settings& s = session.settings;
  RecordingState& rec = session.recording;
  if (queryOnly) return systemEncoderAccepts(systemFormatFromSettings(s));
  if (s.enc_type != 1 && s.enc_type != 2) {
    showEncoderHint(session, host);
    rec.turboGrabber = false;
    return false;
  }

  EncoderOpening opening = rec.openEncoder ? rec.openEncoder(s) : openEncoderFromSettings(s);
  if (!opening.encoder) {
    reportEncoderFailure(session, host, opening);
    rec.turboGrabber = false;
    return false;
  }
  rec.captureFormat = recordCaptureFormat(s);
  uint32_t bufferBytes = kSystemCaptureBufferBytes;
  if (s.enc_type == 2) {
    // A capture buffer holds a whole number of LAME frames' worth or, when that
    // is larger, as many samples as the encoder's output bound.
    rec.lameChunkSamples = opening.chunkSamples;
    if (opening.outputSize > rec.lameChunkSamples)
      rec.lameChunkSamples = rec.captureFormat.channels == 1 ? opening.outputSize / 2 : opening.outputSize;
    bufferBytes = rec.lameChunkSamples * 2;
  }

  clearRecordingGroup(rec);
  rec.encoder = std::move(opening.encoder);
  rec.recordFileName = recordFileNameBuild(s, localNow());
  if (s.rec_appenddata != 0) {
    struct stat info {};
    if (::stat(rec.recordFileName.c_str(), &info) == 0 && S_ISREG(info.st_mode)) rec.recordFileLength = info.st_size;
  }
  chooseRecordRate(s, rec);

  if (!startCapture(session, host, bufferBytes)) return false;
  if (rec.captureFormat.channels == 1) session.stream.currentHeader.channelMode = ChannelMode::Mono;
  return true;
}

bool startWriting(AudioSession& session, Host& host) {
  RecordingState& rec = session.recording;
  if (!session.recordInitialised || session.recordWriting) return false;
  // With the date in the name, the name tells when the writing started.
  if (session.settings.rec_adddate != 0) rec.recordFileName = recordFileNameBuild(session.settings, localNow());
  std::string error;
  if (!openRecordOutput(rec, session.settings.rec_appenddata != 0, error)) {
    showWriteError(session, host, error);
    return false;
  }
  session.recordWriting = true;
  return true;
}

void onRecordBuffer(AudioSession& session, Host& host, int bufferIndex, uint32_t bytes) {
  RecordingState& rec = session.recording;
  if (!session.recordInitialised || bufferIndex < 0 || bufferIndex >= static_cast<int>(rec.buffers.size())) return;
  std::vector<uint8_t>& buffer = rec.buffers[static_cast<std::size_t>(bufferIndex)];
  bytes = std::min<uint32_t>(bytes, static_cast<uint32_t>(buffer.size()));
  rec.pendingRecordBuffers = std::clamp(rec.input->waitingNotices(), 0, kRecordBufferCount);

  meterUpdate(session.meter, buffer.data(), bytes, rec.captureFormat.channels == 1, MeterDevice::Input,
              session.settings, host);
  if (session.recordWriting) {
    encodeCaptured(session, host, buffer.data(), bytes);
    if (!session.recordInitialised) return;  // a failed write ended the recording
  }
  rec.input->addBuffer(bufferIndex, buffer.data(), static_cast<uint32_t>(buffer.size()));
}

bool stopRecording(AudioSession& session, Host& host) {
  RecordingState& rec = session.recording;
  if (rec.input != nullptr) rec.input->close();
  rec.buffers.clear();
  bool ok = true;
  if (session.recordWriting) {
    // The encoder's last frames belong to the recording too.
    if (rec.encoder) {
      std::vector<uint8_t> tail;
      if (rec.encoder->finish(tail)) rec.encoded.insert(rec.encoded.end(), tail.begin(), tail.end());
    }
    std::string error;
    if (!closeRecordOutput(rec, error)) {
      showWriteError(session, host, error);
      ok = false;
    }
  }
  rec.encoder.reset();
  rec.encoded.clear();
  rec.replacement.reset();
  session.recordWriting = false;
  session.recordInitialised = false;
  rec.turboGrabber = false;
  meterResetPeaks(session.meter);
  return ok;
}

void setRecordCueMark(AudioSession& session) {
  RecordingState& rec = session.recording;
  if (!session.recordWriting) return;
  const int64_t position = rec.recordFileLength + static_cast<int64_t>(rec.encoded.size());
  if (static_cast<int>(rec.cueMarks.size()) < kMaxCueMarks && (rec.cueMarks.empty() || position > rec.cueMarks.back()))
    rec.cueMarks.push_back(position);
}

}  // namespace quillane
