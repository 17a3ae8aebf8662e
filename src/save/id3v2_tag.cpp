#include "save/id3v2_tag.h"

#include <taglib/id3v2frame.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <memory>

namespace quillane {
namespace {

constexpr int64_t kHeaderSize = 10;

int64_t syncsafe(const uint8_t* p) {
  return (int64_t{p[0]} << 21) | (int64_t{p[1]} << 14) | (int64_t{p[2]} << 7) | int64_t{p[3]};
}

// A tag TagLib reads from memory: the tag's bytes behind a stream of their own.
class TagInMemory {
 public:
  explicit TagInMemory(const std::vector<uint8_t>& tag)
      : stream_(TagLib::ByteVector(reinterpret_cast<const char*>(tag.data()), static_cast<unsigned>(tag.size()))),
        file_(&stream_, TagLib::ID3v2::FrameFactory::instance(), false) {}
  // The tag when TagLib found a sound one at the start; nullptr otherwise.
  TagLib::ID3v2::Tag* tag() {
    TagLib::ID3v2::Tag* t = file_.ID3v2Tag(false);
    return t && t->header() && t->header()->tagSize() > 0 ? t : nullptr;
  }

 private:
  TagLib::ByteVectorStream stream_;
  TagLib::MPEG::File file_;
};

int64_t bigEndian32(const uint8_t* p) {
  return (int64_t{p[0]} << 24) | (int64_t{p[1]} << 16) | (int64_t{p[2]} << 8) | int64_t{p[3]};
}

bool isFrameIdChar(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The frames of an ID3v2.3/2.4 tag counted by walking their headers up to the
// padding; -1 when a frame is damaged (a bad ID or a size past the tag's end) or
// the tag is unsynchronised as a whole, which the walk cannot follow.
int countFrames(const std::vector<uint8_t>& tag, unsigned version) {
  const uint8_t flags = tag[5];
  if (flags & 0x80) return -1;
  const int64_t end = kHeaderSize + syncsafe(tag.data() + 6);
  int64_t at = kHeaderSize;
  if (flags & 0x40) {  // extended header
    if (at + 4 > end) return -1;
    at += version == 3 ? 4 + bigEndian32(tag.data() + at) : syncsafe(tag.data() + at);
  }
  int count = 0;
  while (at + kHeaderSize <= end && tag[static_cast<size_t>(at)] != 0) {
    const uint8_t* frame = tag.data() + at;
    if (!std::all_of(frame, frame + 4, isFrameIdChar)) return -1;
    const int64_t size = version == 3 ? bigEndian32(frame + 4) : syncsafe(frame + 4);
    if (size <= 0 || at + kHeaderSize + size > end) return -1;
    at += kHeaderSize + size;
    ++count;
  }
  return count;
}

TagLib::String utf8(const std::string& text) { return TagLib::String(text, TagLib::String::UTF8); }

void setText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
  tag.removeFrames(id);
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
  frame->setText(utf8(text));
  tag.addFrame(frame);
}

}  // namespace

int64_t id3v2TagLength(const uint8_t* header, size_t size) {
  if (size < kHeaderSize || header[0] != 'I' || header[1] != 'D' || header[2] != '3') return 0;
  if (header[3] == 0xFF || header[4] == 0xFF) return 0;
  for (int i = 6; i < 10; ++i)
    if (header[i] & 0x80) return 0;  // not syncsafe
  const bool footer = (header[5] & 0x10) != 0;
  return kHeaderSize + syncsafe(header + 6) + (footer ? kHeaderSize : 0);
}

std::vector<uint8_t> readId3v2Tag(BinaryFile& file) {
  uint8_t header[kHeaderSize];
  const int64_t length = id3v2TagLength(header, file.readAt(0, header, sizeof header));
  const int64_t size = file.size();
  if (length <= 0 || length > size) return {};
  std::vector<uint8_t> tag(static_cast<size_t>(length));
  if (file.readAt(0, tag.data(), tag.size()) != tag.size()) return {};
  return tag;
}

Id3v2Rewrite id3v2TagForPiece(const std::vector<uint8_t>& source, const Id3v2PieceFields& fields) {
  Id3v2Rewrite result;
  result.bytes = source;
  TagInMemory memory(source);
  TagLib::ID3v2::Tag* tag = memory.tag();
  if (!tag) {
    result.problem = "the ID3v2 tag could not be read";
    return result;
  }
  const unsigned version = tag->header()->majorVersion();
  if (version != 3 && version != 4) {
    result.problem = "ID3v2." + std::to_string(version) + " tags are kept as they are";
    return result;
  }
  // Every frame must come through: a tag TagLib reads only in part stays as it is.
  const int frames = countFrames(source, version);
  if (frames < 0 || static_cast<unsigned>(frames) != tag->frameList().size()) {
    result.problem = "the ID3v2 tag is damaged";
    return result;
  }
  if (fields.title.empty())
    tag->removeFrames("TIT2");
  else
    setText(*tag, "TIT2", fields.title);
  if (!fields.artist.empty()) setText(*tag, "TPE1", fields.artist);
  if (!fields.album.empty()) setText(*tag, "TALB", fields.album);
  tag->removeFrames("TLEN");  // the source's length is no piece's
  if (fields.track > 0) {
    std::string track = std::to_string(fields.track);
    if (fields.total > 0) track += "/" + std::to_string(fields.total);
    setText(*tag, "TRCK", track);
  }
  const TagLib::ByteVector bytes = tag->render(version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
  result.bytes.assign(bytes.begin(), bytes.end());
  return result;
}

std::vector<std::string> id3v2FrameList(const std::vector<uint8_t>& source) {
  std::vector<std::string> list;
  TagInMemory memory(source);
  TagLib::ID3v2::Tag* tag = memory.tag();
  if (!tag) return list;
  for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
    std::string id(frame->frameID().data(), frame->frameID().size());
    if (id[0] == 'T' && id != "TXXX") id += "=" + frame->toString().to8Bit(true);
    list.push_back(id);
  }
  return list;
}

}  // namespace quillane
