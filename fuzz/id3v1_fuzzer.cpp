// An ID3v1 tag: its fields as the "File info" dialog shows them, the tag built back
// from them, and the facts of a real audio file that carries the tag and leading data.
//
// Input: one byte of flags, 128 bytes of tag, 8 bytes of a number to group, then
// leading data that goes before the audio (and serves as the texts of typed fields).
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "save/file_facts.h"
#include "save/id3v1_tag.h"
#include "session/session.h"
#include "settings/text_encoding.h"
#include "stream/open_stream.h"

namespace quillane::fuzz {
namespace {

bool sameFields(const Id3v1Fields& a, const Id3v1Fields& b) {
  return a.title == b.title && a.artist == b.artist && a.album == b.album && a.year == b.year &&
         a.comment == b.comment && a.track == b.track && a.genre == b.genre;
}

// The fields read from a tag survive being built into a tag and read again.
void checkRoundTrip(Id3v1Bytes tag) {
  const Id3v1Fields fields = readId3v1Fields(tag);
  require(tag[kId3v1GenreAt] != 0, "a genre byte of 0 was left in the tag");
  Id3v1Bytes built = buildId3v1Tag(fields);
  require(hasTagHeader(built), "a built tag does not begin with TAG");
  require(sameFields(readId3v1Fields(built), fields), "fields built into a tag and read again differ");
}

// Fields as typed into the dialog: any text, any number.
void checkTypedFields(std::string_view text, uint8_t flags) {
  Id3v1Fields typed;
  const auto part = [&](size_t k) { return std::string(text.substr(std::min(text.size(), k * 40), 40)); };
  typed.title = part(0);
  typed.artist = part(1);
  typed.album = part(2);
  typed.year = part(3);
  typed.comment = part(4);
  typed.track = static_cast<int8_t>(flags) * 3;
  typed.genre = 300 - flags * 2;
  Id3v1Bytes built = buildId3v1Tag(typed);
  const bool withTrack = std::clamp(typed.track, 0, 255) != 0;
  require(!withTrack || built[kId3v1ZeroByteAt] == 0, "a tag with a track has no zero byte before it");
  checkRoundTrip(built);
}

void checkGrouping(int64_t value) {
  std::string grouped = groupThousands(value);
  grouped.erase(std::remove(grouped.begin(), grouped.end(), '.'), grouped.end());
  require(grouped == std::to_string(value), "groupThousands changed the number");
}

const std::string& audioBytes() {
  static const std::string bytes = [] {
    std::ifstream in(audioDataPath(0), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  require(!bytes.empty(), "the audio file of tests/data could not be read");
  return bytes;
}

void checkFileInfo(std::string_view leading, const Id3v1Bytes& tag) {
  Session session;
  session.stream.sourcePath = memoryFile(std::string(leading) + audioBytes() +
                                         std::string(reinterpret_cast<const char*>(tag.data()), tag.size()));
  if (!openStream(session.stream)) return;
  const FileInfoTagView view = openFileInfoTag(session);
  require(view.tagPresent == hasTagHeader(tag), "the dialog's tag is not the file's");
  require(view.useTag == view.tagPresent, "Use ID3v1 Tag does not follow the tag");
  (void)fileFactsText(session);
  (void)leadingDataText(session);
  applyFileInfoTag(session, true, false, view.fields);
  require(session.stream.id3v1Tag == buildId3v1Tag(view.fields),
          "OK stored another tag than the fields make");
}

}  // namespace

void id3v1Input(const uint8_t* data, size_t size) {
  ByteReader in(data, size);
  const uint8_t flags = in.byte();
  Id3v1Bytes tag{};
  for (uint8_t& b : tag) b = in.byte();
  if (flags & 1) {
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
  }
  const int64_t number = static_cast<int64_t>(in.little(8));
  const std::string_view leading = in.rest();

  if (hasTagHeader(tag)) checkRoundTrip(tag);
  checkTypedFields(leading, flags);
  checkGrouping(number);
  require(utf8ToLatin1(latin1ToUtf8(leading)) == leading, "Latin-1 through UTF-8 and back changed");
  checkFileInfo(leading, tag);
}

}  // namespace quillane::fuzz
