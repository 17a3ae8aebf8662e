#include "ffmpeg/libav_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "stream/frame_header.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

namespace quillane {
namespace {

// The float decoders: as fast as FFmpeg's own command line decodes, and equal to
// libmpg123's output in all but a fraction of a per cent of the samples (1 LSB).
// The fixed-point "mp3" and "mp2" (16-bit output, no conversion) work as well,
// but decode about 20 % slower and differ from libmpg123 by 1 LSB in most samples.
constexpr const char* kLayer3Decoder = "mp3float";
constexpr const char* kLayer2Decoder = "mp2float";
constexpr AVSampleFormat kRequestedFormat = AV_SAMPLE_FMT_FLT;

// Full scale is +-1.0; rounded to nearest, clipped to the 16-bit range. Written
// so that the compiler can vectorise a loop of it.
inline int16_t fromFloat(float value) {
  const float scaled = std::clamp(value * 32768.0f, -32768.0f, 32767.0f);
  return static_cast<int16_t>(static_cast<int>(scaled + (scaled >= 0.0f ? 0.5f : -0.5f)));
}

// Reads sample i of channel c from a decoded frame, whatever its layout.
class SampleReader {
 public:
  explicit SampleReader(const AVFrame& frame)
      : frame_(frame),
        format_(static_cast<AVSampleFormat>(frame.format)),
        channels_(frame.ch_layout.nb_channels) {}

  bool supported() const {
    return format_ == AV_SAMPLE_FMT_S16 || format_ == AV_SAMPLE_FMT_S16P || format_ == AV_SAMPLE_FMT_FLT ||
           format_ == AV_SAMPLE_FMT_FLTP || format_ == AV_SAMPLE_FMT_S32 || format_ == AV_SAMPLE_FMT_S32P;
  }
  int channels() const { return channels_; }

  int16_t at(int c, int i) const {
    switch (format_) {
      case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const int16_t*>(frame_.extended_data[0])[i * channels_ + c];
      case AV_SAMPLE_FMT_S16P:
        return reinterpret_cast<const int16_t*>(frame_.extended_data[c])[i];
      case AV_SAMPLE_FMT_FLT:
        return fromFloat(reinterpret_cast<const float*>(frame_.extended_data[0])[i * channels_ + c]);
      case AV_SAMPLE_FMT_FLTP:
        return fromFloat(reinterpret_cast<const float*>(frame_.extended_data[c])[i]);
      case AV_SAMPLE_FMT_S32:
        return static_cast<int16_t>(reinterpret_cast<const int32_t*>(frame_.extended_data[0])[i * channels_ + c] >> 16);
      case AV_SAMPLE_FMT_S32P:
        return static_cast<int16_t>(reinterpret_cast<const int32_t*>(frame_.extended_data[c])[i] >> 16);
      default:
        return 0;
    }
  }

 private:
  const AVFrame& frame_;
  AVSampleFormat format_;
  int channels_;
};

inline void putSample(uint8_t* out, int16_t value) {
  const auto u = static_cast<uint16_t>(value);
  out[0] = static_cast<uint8_t>(u & 0xFF);
  out[1] = static_cast<uint8_t>(u >> 8);
}

// Writes the frame as interleaved little-endian 16-bit PCM with `channels`
// channels (1 or 2): mono is doubled for stereo, stereo averaged for mono.
void convertFrame(const AVFrame& frame, int channels, uint8_t* out) {
  const SampleReader reader(frame);
  const int n = frame.nb_samples;
  const int sourceChannels = reader.channels();
  if (sourceChannels == channels && std::endian::native == std::endian::little) {
    const size_t count = static_cast<size_t>(n) * static_cast<size_t>(channels);
    if (frame.format == AV_SAMPLE_FMT_S16) {
      std::memcpy(out, frame.extended_data[0], count * 2);
      return;
    }
    if (frame.format == AV_SAMPLE_FMT_FLT) {  // the float decoders' interleaved output
      const float* in = reinterpret_cast<const float*>(frame.extended_data[0]);
      int16_t* pcm = reinterpret_cast<int16_t*>(out);
      for (size_t i = 0; i < count; ++i) pcm[i] = fromFloat(in[i]);
      return;
    }
  }
  for (int i = 0; i < n; ++i) {
    if (channels == sourceChannels) {
      for (int c = 0; c < channels; ++c, out += 2) putSample(out, reader.at(c, i));
    } else if (channels == 2) {  // one source channel
      const int16_t s = reader.at(0, i);
      putSample(out, s);
      putSample(out + 2, s);
      out += 4;
    } else {  // mono from two channels
      putSample(out, static_cast<int16_t>((reader.at(0, i) + reader.at(1, i)) / 2));
      out += 2;
    }
  }
}

}  // namespace

LibavDecoder::~LibavDecoder() { close(); }

BackendOpenResult LibavDecoder::open(const PcmFormat& format, int layer) {
  close();
  if (!supportsLayer(layer) || (format.channels != 1 && format.channels != 2)) return BackendOpenResult::CodecFailed;
  // The decoders report every damaged frame and every jump into the bit reservoir
  // on stderr; an editor jumps all the time. Keep them quiet unless someone chose
  // a level on purpose.
  if (av_log_get_level() == AV_LOG_INFO) av_log_set_level(AV_LOG_FATAL);

  const AVCodec* codec = avcodec_find_decoder_by_name(layer == 3 ? kLayer3Decoder : kLayer2Decoder);
  if (!codec) return BackendOpenResult::CodecFailed;
  context_ = avcodec_alloc_context3(codec);
  packet_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (!context_ || !packet_ || !frame_) {
    close();
    return BackendOpenResult::CodecFailed;
  }
  context_->request_sample_fmt = kRequestedFormat;  // interleaved: one plain loop to convert
  if (avcodec_open2(context_, codec, nullptr) < 0) {
    close();
    return BackendOpenResult::CodecFailed;
  }
  format_ = format;
  layer_ = layer;
  return BackendOpenResult::Ok;
}

int LibavDecoder::takePending(uint8_t* out, int capacity) {
  const size_t available = pending_.size() - pendingStart_;
  const size_t n = std::min(available, static_cast<size_t>(std::max(capacity, 0)));
  if (n) std::memcpy(out, pending_.data() + pendingStart_, n);
  pendingStart_ += n;
  if (pendingStart_ == pending_.size()) {
    pending_.clear();
    pendingStart_ = 0;
  }
  return static_cast<int>(n);
}

void LibavDecoder::appendFrame(const AVFrame& frame) {
  const size_t at = pending_.size();
  pending_.resize(at + static_cast<size_t>(frame.nb_samples) * format_.blockAlign);
  convertFrame(frame, format_.channels, pending_.data() + at);
}

DecodeResult LibavDecoder::decode(const uint8_t* frames, int length, uint8_t* out, int capacity) {
  DecodeResult result;
  result.bytes = takePending(out, capacity);
  if (!context_ || !frames) return result;

  int offset = 0;
  while (offset < length) {
    // One packet per frame; anything that does not parse as a frame goes as one
    // packet, and the codec decides about it.
    int size = length - offset;
    if (size >= 4) {
      const FrameHeader header = decodeFrameHeader(frames + offset);
      if (header.version != 0 && header.frameSize <= size) size = header.frameSize;
    }
    av_packet_unref(packet_);
    if (av_new_packet(packet_, size) < 0) {  // zeroed padding after the data
      result.failedCall = "av_new_packet";
      break;
    }
    std::memcpy(packet_->data, frames + offset, static_cast<size_t>(size));
    offset += size;

    int ret = avcodec_send_packet(context_, packet_);
    if (ret < 0 && ret != AVERROR(EAGAIN)) {
      result.error = true;
      break;
    }
    while ((ret = avcodec_receive_frame(context_, frame_)) >= 0) {
      const SampleReader reader(*frame_);
      if (reader.supported() && reader.channels() >= 1 && reader.channels() <= 2) {
        const int needed = frame_->nb_samples * format_.blockAlign;
        if (pending_.empty() && result.bytes + needed <= capacity) {
          convertFrame(*frame_, format_.channels, out + result.bytes);
          result.bytes += needed;
        } else {
          appendFrame(*frame_);
        }
      }
      av_frame_unref(frame_);
    }
    if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) {
      result.error = true;
      break;
    }
  }
  av_packet_unref(packet_);
  result.bytes += takePending(out + result.bytes, capacity - result.bytes);
  return result;
}

void LibavDecoder::reset() {
  if (context_) avcodec_flush_buffers(context_);
  pending_.clear();
  pendingStart_ = 0;
}

void LibavDecoder::close() {
  avcodec_free_context(&context_);
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  pending_.clear();
  pendingStart_ = 0;
  layer_ = 0;
}

}  // namespace quillane
