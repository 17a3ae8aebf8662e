#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "stream/audio_stream.h"
#include "stream/lame_tag.h"

namespace quillane {

// The source's LAME tag (a Xing or Info frame with the LAME extension) in front of
// its first audio frame; nothing when it has none.
std::optional<LameTag> sourceLameTag(AudioStream& stream);

// Builds the gapless tag of a saved file from the frames as the save writes them.
// The source's encoder delay stays when the file begins with the source's first
// audio frame, its padding when it ends with the last one; where they were cut
// away the field is 0. Counts, seek table, music length and music CRC describe the
// frames written, and the name is "Info" when every frame has the same bit rate,
// else "Xing".
class GaplessTagBuilder {
 public:
  // audioStart and audioEnd bound the source's audio frames.
  GaplessTagBuilder(LameTag source, int64_t audioStart, int64_t audioEnd);

  // The tag frame written ahead of the audio, to be replaced by finalFrame().
  std::vector<uint8_t> placeholder() const;
  // A block of whole frames as written, read from the source at sourceFrom onwards.
  void addBlock(const uint8_t* bytes, size_t size, int64_t sourceFrom);
  // Audio bytes already added were written over: the music CRC must come from the file.
  void audioRewritten() { musicCrcStale_ = true; }
  bool musicCrcStale() const { return musicCrcStale_; }
  void setMusicCrc(uint16_t crc) {
    musicCrc_ = crc;
    musicCrcStale_ = false;
  }
  // The delay and padding to write in place of those of the ends kept (a piece
  // that carries frames a gapless decoder is to drop).
  void setDelayAndPadding(int delay, int padding) {
    delay_ = delay;
    padding_ = padding;
  }
  // The tag frame for everything added.
  std::vector<uint8_t> finalFrame() const;

  uint32_t frames() const { return static_cast<uint32_t>(frameStarts_.size()); }
  bool firstFrameKept() const { return firstFrom_ == audioStart_; }
  bool lastFrameKept() const { return lastEnd_ == audioEnd_; }

 private:
  LameTag source_;
  int64_t audioStart_;
  int64_t audioEnd_;
  int64_t firstFrom_ = -1;     // source offset of the first block
  int64_t lastEnd_ = -1;       // source offset just past the last block
  uint64_t audioBytes_ = 0;    // written after the tag frame
  std::vector<uint64_t> frameStarts_;  // of every frame written, counted from the first
  uint16_t musicCrc_ = 0;
  uint16_t firstBitrate_ = 0;
  bool sameBitrate_ = true;
  bool musicCrcStale_ = false;
  int delay_ = -1;    // -1: the source's where its first frame is kept, else 0
  int padding_ = -1;  // -1: the source's where its last frame is kept, else 0
};

// The music CRC of a file's bytes from `from` to its end. false when it can't be read.
bool musicCrcOfFile(BinaryFile& file, int64_t from, uint16_t& crc);

}  // namespace quillane
