// The system's MP3 encoder (enc_type 1): libavcodec's "libmp3lame", else its
// "libshine", behind Mp3Encoder.
#include "ffmpeg/libav_encoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

namespace quillane {
namespace {

// The sample rates of each MPEG version, and the bit rates (kbit/s) its Layer III
// headers can carry. MPEG-2.5 stops at 64 kbit/s: LAME, the encoder behind
// "libmp3lame", writes no more and silently lowers a higher rate.
constexpr std::array<uint32_t, 9> kMpegRates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr std::array<uint32_t, 14> kMpeg1Kbps{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<uint32_t, 14> kMpeg2Kbps{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr uint32_t kMpeg25MaxKbps = 64;

// 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5; 0 for a rate MPEG audio does not have.
int mpegVersion(uint32_t rate) {
  if (std::find(kMpegRates.begin(), kMpegRates.end(), rate) == kMpegRates.end()) return 0;
  if (rate >= 32000) return 1;
  return rate >= 16000 ? 2 : 3;
}

std::vector<uint32_t> legalKbps(int version) {
  if (version == 1) return {kMpeg1Kbps.begin(), kMpeg1Kbps.end()};
  std::vector<uint32_t> kbps(kMpeg2Kbps.begin(), kMpeg2Kbps.end());
  if (version == 3) std::erase_if(kbps, [](uint32_t k) { return k > kMpeg25MaxKbps; });
  return kbps;
}

bool isLegal(const SystemEncoderFormat& format) {
  const int version = mpegVersion(format.sampleRate);
  if (version == 0 || format.channels < 1 || format.channels > 2 || format.bitrate % 1000 != 0) return false;
  const std::vector<uint32_t> kbps = legalKbps(version);
  return std::find(kbps.begin(), kbps.end(), format.bitrate / 1000) != kbps.end();
}

// The bytes of a frame without its padding slot.
uint16_t unpaddedFrameBytes(uint32_t rate, uint32_t bitrate) {
  const uint32_t factor = mpegVersion(rate) == 1 ? 144 : 72;
  return static_cast<uint16_t>(static_cast<uint64_t>(factor) * bitrate / rate);
}

constexpr std::array<const char*, 2> kEncoderNames{"libmp3lame", "libshine"};

const AVCodec* systemCodec() {
  for (const char* name : kEncoderNames) {
    if (const AVCodec* codec = avcodec_find_encoder_by_name(name)) return codec;
  }
  return nullptr;
}

// FFmpeg's own notes go to the terminal only when someone asked for them.
void quietenLibav() {
  if (av_log_get_level() == AV_LOG_INFO) av_log_set_level(AV_LOG_FATAL);
}

// The first of the formats our 16-bit samples convert to that the codec takes.
AVSampleFormat chooseSampleFormat(const AVCodec& codec) {
  constexpr std::array<AVSampleFormat, 3> kPreferred{AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_S16P, AV_SAMPLE_FMT_FLTP};
  if (codec.sample_fmts == nullptr) return AV_SAMPLE_FMT_S16;
  for (AVSampleFormat wanted : kPreferred) {
    for (const AVSampleFormat* f = codec.sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
      if (*f == wanted) return wanted;
    }
  }
  return AV_SAMPLE_FMT_NONE;
}

std::string libavError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct ContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, ContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// An open codec context for `format`, or none with `problem` saying why.
ContextPtr openContext(const AVCodec& codec, const SystemEncoderFormat& format, bool highQuality,
                       std::string& problem) {
  const AVSampleFormat sampleFormat = chooseSampleFormat(codec);
  if (sampleFormat == AV_SAMPLE_FMT_NONE) {
    problem = std::string(codec.name) + " takes neither 16-bit nor float samples";
    return nullptr;
  }
  ContextPtr context(avcodec_alloc_context3(&codec));
  if (!context) {
    problem = "out of memory";
    return nullptr;
  }
  context->sample_rate = static_cast<int>(format.sampleRate);
  context->bit_rate = format.bitrate;
  context->sample_fmt = sampleFormat;
  av_channel_layout_default(&context->ch_layout, format.channels);
  // The slowest, best search where the codec has a choice (LAME's quality 0).
  if (highQuality) context->compression_level = 0;
  const int result = avcodec_open2(context.get(), &codec, nullptr);
  if (result < 0) {
    problem = std::string(codec.name) + " cannot encode " + std::to_string(format.bitrate / 1000) + " kbit/s, " +
              std::to_string(format.sampleRate) + " Hz, " + std::to_string(format.channels) + " channel(s): " +
              libavError(result);
    return nullptr;
  }
  return context;
}

// Bytes one call with `frameSize` samples per channel may give (LAME's bound,
// which holds for the smaller output of libshine as well).
uint32_t outputBound(uint32_t frameSize) { return (frameSize * 5 + 3) / 4 + 7200; }

class SystemEncoder final : public Mp3Encoder {
 public:
  SystemEncoder(ContextPtr context, FramePtr frame, PacketPtr packet)
      : context_(std::move(context)),
        frame_(std::move(frame)),
        packet_(std::move(packet)),
        channels_(context_->ch_layout.nb_channels),
        frameSize_(context_->frame_size),
        smallLastFrame_((context_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0) {}

  bool encode(const int16_t* samples, uint32_t sampleCount, std::vector<uint8_t>& out) override {
    pending_.insert(pending_.end(), samples, samples + sampleCount);
    const size_t whole = static_cast<size_t>(frameSize_) * static_cast<size_t>(channels_);
    size_t used = 0;
    bool ok = true;
    while (ok && pending_.size() - used >= whole) {
      ok = sendFrame(std::span(pending_).subspan(used, whole), out);
      used += whole;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(used));
    return ok;
  }

  bool finish(std::vector<uint8_t>& out) override {
    if (!pending_.empty()) {
      // The last, short frame: as it is where the codec allows, else filled with silence.
      if (!smallLastFrame_) pending_.resize(static_cast<size_t>(frameSize_) * static_cast<size_t>(channels_), 0);
      const bool ok = sendFrame(pending_, out);
      pending_.clear();
      if (!ok) return false;
    }
    if (avcodec_send_frame(context_.get(), nullptr) < 0) return false;
    return drain(out);
  }

 private:
  bool sendFrame(std::span<const int16_t> samples, std::vector<uint8_t>& out) {
    frame_->nb_samples = frameSize_;
    if (av_frame_make_writable(frame_.get()) < 0) return false;
    frame_->nb_samples = static_cast<int>(samples.size() / static_cast<size_t>(channels_));
    fill(samples);
    if (avcodec_send_frame(context_.get(), frame_.get()) < 0) return false;
    return drain(out);
  }

  // Our interleaved 16-bit samples in the frame's own layout.
  void fill(std::span<const int16_t> samples) {
    const auto count = static_cast<size_t>(frame_->nb_samples);
    const auto channels = static_cast<size_t>(channels_);
    switch (frame_->format) {
      case AV_SAMPLE_FMT_S16:
        std::memcpy(frame_->extended_data[0], samples.data(), samples.size_bytes());
        break;
      case AV_SAMPLE_FMT_S16P:
        for (size_t c = 0; c < channels; ++c) {
          auto* plane = reinterpret_cast<int16_t*>(frame_->extended_data[c]);
          for (size_t i = 0; i < count; ++i) plane[i] = samples[i * channels + c];
        }
        break;
      default:  // AV_SAMPLE_FMT_FLTP
        for (size_t c = 0; c < channels; ++c) {
          auto* plane = reinterpret_cast<float*>(frame_->extended_data[c]);
          for (size_t i = 0; i < count; ++i) plane[i] = static_cast<float>(samples[i * channels + c]) / 32768.0f;
        }
        break;
    }
  }

  // Appends every packet the codec has ready.
  bool drain(std::vector<uint8_t>& out) {
    for (;;) {
      const int result = avcodec_receive_packet(context_.get(), packet_.get());
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
      if (result < 0) return false;
      out.insert(out.end(), packet_->data, packet_->data + packet_->size);
      av_packet_unref(packet_.get());
    }
  }

  ContextPtr context_;
  FramePtr frame_;
  PacketPtr packet_;
  int channels_;
  int frameSize_;
  bool smallLastFrame_;
  std::vector<int16_t> pending_;  // samples short of a whole frame
};

}  // namespace

namespace libav {

std::string encoderName() {
  const AVCodec* codec = systemCodec();
  return codec != nullptr ? codec->name : "";
}

bool encoderAccepts(const SystemEncoderFormat& format) {
  const AVCodec* codec = systemCodec();
  if (codec == nullptr || !isLegal(format)) return false;
  quietenLibav();
  std::string problem;
  return openContext(*codec, format, false, problem) != nullptr;
}

std::vector<SystemEncoderFormat> encoderFormats() {
  std::vector<SystemEncoderFormat> formats;
  const AVCodec* codec = systemCodec();
  if (codec == nullptr) return formats;
  std::vector<uint32_t> rates;
  if (codec->supported_samplerates != nullptr) {
    for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate) {
      if (mpegVersion(static_cast<uint32_t>(*rate)) != 0) rates.push_back(static_cast<uint32_t>(*rate));
    }
  } else {
    rates.assign(kMpegRates.begin(), kMpegRates.end());
  }
  std::sort(rates.begin(), rates.end());
  for (uint32_t rate : rates) {
    for (uint32_t kbps : legalKbps(mpegVersion(rate))) {
      for (uint8_t channels : {uint8_t{1}, uint8_t{2}}) {
        const SystemEncoderFormat format{rate, kbps * 1000, channels, unpaddedFrameBytes(rate, kbps * 1000)};
        if (encoderAccepts(format)) formats.push_back(format);
      }
    }
  }
  return formats;
}

EncoderOpening openEncoder(const SystemEncoderFormat& format, bool highQuality) {
  EncoderOpening opening;
  const AVCodec* codec = systemCodec();
  if (codec == nullptr) {
    opening.problem = "FFmpeg's libavcodec has no MP3 encoder (neither libmp3lame nor libshine)";
    return opening;
  }
  if (!isLegal(format)) {
    opening.problem = std::to_string(format.bitrate) + " bit/s at " + std::to_string(format.sampleRate) + " Hz, " +
                      std::to_string(format.channels) + " channel(s) is no MPEG Layer III format";
    return opening;
  }
  quietenLibav();
  ContextPtr context = openContext(*codec, format, highQuality, opening.problem);
  if (!context) return opening;
  FramePtr frame(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!frame || !packet) {
    opening.problem = "out of memory";
    return opening;
  }
  if (context->frame_size <= 0) context->frame_size = mpegVersion(format.sampleRate) == 1 ? 1152 : 576;
  frame->format = context->sample_fmt;
  frame->nb_samples = context->frame_size;
  frame->sample_rate = context->sample_rate;
  if (av_channel_layout_copy(&frame->ch_layout, &context->ch_layout) < 0 || av_frame_get_buffer(frame.get(), 0) < 0) {
    opening.problem = "out of memory";
    return opening;
  }
  const auto frameSize = static_cast<uint32_t>(context->frame_size);
  opening.chunkSamples = frameSize * format.channels;
  opening.outputSize = outputBound(frameSize);
  opening.encoder = std::make_unique<SystemEncoder>(std::move(context), std::move(frame), std::move(packet));
  return opening;
}

}  // namespace libav
}  // namespace quillane
