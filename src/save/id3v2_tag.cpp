#include "save/id3v2_tag.h"

#include <taglib/commentsframe.h>
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

std::string toUtf8(const TagLib::String& text) { return text.to8Bit(true); }

void setText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
  tag.removeFrames(id);
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
  frame->setText(utf8(text));
  tag.addFrame(frame);
}

// The tag of `memory` when TagLib reads every frame of it and can write it again
// in its own version; nullptr, with the reason in `problem`, otherwise.
TagLib::ID3v2::Tag* editableTag(TagInMemory& memory, const std::vector<uint8_t>& source, std::string& problem) {
  TagLib::ID3v2::Tag* tag = memory.tag();
  if (!tag) {
    problem = "the ID3v2 tag could not be read";
    return nullptr;
  }
  const unsigned version = tag->header()->majorVersion();
  if (version != 3 && version != 4) {
    problem = "ID3v2." + std::to_string(version) + " tags are kept as they are";
    return nullptr;
  }
  // Every frame must come through: a tag TagLib reads only in part stays as it is.
  const int frames = countFrames(source, version);
  if (frames < 0 || static_cast<unsigned>(frames) != tag->frameList().size()) {
    problem = "the ID3v2 tag is damaged";
    return nullptr;
  }
  return tag;
}

std::vector<uint8_t> rendered(const TagLib::ID3v2::Tag& tag, unsigned version) {
  const TagLib::ByteVector bytes = tag.render(version == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4);
  return {bytes.begin(), bytes.end()};
}

// The source's tag changed by `change` and written again in its own version; the
// source's bytes, with the reason, when TagLib cannot read it whole.
template <class Change>
Id3v2Rewrite rewriteTag(const std::vector<uint8_t>& source, Change change) {
  Id3v2Rewrite result;
  result.bytes = source;
  TagInMemory memory(source);
  TagLib::ID3v2::Tag* tag = editableTag(memory, source, result.problem);
  if (!tag) return result;
  change(*tag);
  result.bytes = rendered(*tag, tag->header()->majorVersion());
  return result;
}

// The first text of the frame `id`: empty when the tag has none.
std::string frameText(const TagLib::ID3v2::Tag& tag, const char* id) {
  const TagLib::ID3v2::FrameList& frames = tag.frameList(id);
  return frames.isEmpty() ? std::string() : toUtf8(frames.front()->toString());
}

// The comment a player shows: the first COMM frame without a description.
TagLib::ID3v2::CommentsFrame* plainComment(const TagLib::ID3v2::Tag& tag) {
  for (TagLib::ID3v2::Frame* frame : tag.frameList("COMM")) {
    auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
    if (comment && comment->description().isEmpty()) return comment;
  }
  return nullptr;
}

Id3v2MainFields mainFieldsOf(const TagLib::ID3v2::Tag& tag) {
  Id3v2MainFields fields;
  fields.title = frameText(tag, "TIT2");
  fields.artist = frameText(tag, "TPE1");
  fields.album = frameText(tag, "TALB");
  fields.year = frameText(tag, "TDRC");  // TagLib reads an ID3v2.3 TYER as TDRC
  fields.track = frameText(tag, "TRCK");
  fields.genre = toUtf8(tag.genre());  // ID3v1 genre numbers as their names
  const TagLib::ID3v2::CommentsFrame* comment = plainComment(tag);
  fields.comment = comment ? toUtf8(comment->text()) : std::string();
  return fields;
}

void setComment(TagLib::ID3v2::Tag& tag, const std::string& text) {
  TagLib::ID3v2::CommentsFrame* comment = plainComment(tag);
  if (text.empty()) {
    if (comment) tag.removeFrame(comment);
    return;
  }
  if (!comment) {
    comment = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
    comment->setLanguage("XXX");  // not known
    tag.addFrame(comment);
  }
  comment->setText(utf8(text));
}

// Sets the fields of `now` that differ from the tag's own; the others stay as
// they are, byte for byte.
void setMainFields(TagLib::ID3v2::Tag& tag, const Id3v2MainFields& now) {
  const Id3v2MainFields was = mainFieldsOf(tag);
  const auto change = [&tag](const char* id, const std::string& before, const std::string& after) {
    if (after == before) return;
    if (after.empty())
      tag.removeFrames(id);
    else
      setText(tag, id, after);
  };
  change("TIT2", was.title, now.title);
  change("TPE1", was.artist, now.artist);
  change("TALB", was.album, now.album);
  change("TDRC", was.year, now.year);  // written as TYER in an ID3v2.3 tag
  change("TRCK", was.track, now.track);
  change("TCON", was.genre, now.genre);
  if (now.comment != was.comment) setComment(tag, now.comment);
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
  return rewriteTag(source, [&fields](TagLib::ID3v2::Tag& tag) {
    if (fields.title.empty())
      tag.removeFrames("TIT2");
    else
      setText(tag, "TIT2", fields.title);
    if (!fields.artist.empty()) setText(tag, "TPE1", fields.artist);
    if (!fields.album.empty()) setText(tag, "TALB", fields.album);
    tag.removeFrames("TLEN");  // the source's length is no piece's
    if (fields.track > 0) {
      std::string track = std::to_string(fields.track);
      if (fields.total > 0) track += "/" + std::to_string(fields.total);
      setText(tag, "TRCK", track);
    }
  });
}

Id3v2Reading id3v2MainFields(const std::vector<uint8_t>& source) {
  Id3v2Reading reading;
  if (source.empty()) return reading;
  TagInMemory memory(source);
  if (const TagLib::ID3v2::Tag* tag = editableTag(memory, source, reading.problem)) reading.fields = mainFieldsOf(*tag);
  return reading;
}

Id3v2Rewrite id3v2TagWithFields(const std::vector<uint8_t>& source, const Id3v2MainFields& fields) {
  if (!source.empty()) return rewriteTag(source, [&fields](TagLib::ID3v2::Tag& tag) { setMainFields(tag, fields); });
  Id3v2Rewrite result;
  TagLib::ID3v2::Tag tag;
  setMainFields(tag, fields);
  if (!tag.frameList().isEmpty()) result.bytes = rendered(tag, 4);
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
