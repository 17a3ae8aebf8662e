#include "save/source_id3v2.h"

namespace quillane {
namespace {

// The source's tag as the save reads it; empty when it has none.
std::vector<uint8_t> sourceTag(EditSession& session) {
  if (!session.stream.hasId3v2) return {};
  return readId3v2Tag(session.stream.sourceFile);
}

Id3v2Reading sourceFields(EditSession& session) {
  if (!session.stream.hasId3v2) return {};
  const std::vector<uint8_t> tag = sourceTag(session);
  if (tag.empty()) return {{}, "the ID3v2 tag could not be read"};  // it runs past the end of the file
  return id3v2MainFields(tag);
}

}  // namespace

Id3v2Rewrite sourceId3v2ForSave(EditSession& session) {
  std::vector<uint8_t> source = sourceTag(session);
  if (!session.save.id3v2Edits || (session.stream.hasId3v2 && source.empty())) return {std::move(source), {}};
  return id3v2TagWithFields(source, *session.save.id3v2Edits);
}

Id3v2Reading openFileInfoId3v2(EditSession& session) {
  Id3v2Reading reading = sourceFields(session);
  if (reading.problem.empty() && session.save.id3v2Edits) reading.fields = *session.save.id3v2Edits;
  return reading;
}

void applyFileInfoId3v2(EditSession& session, const Id3v2MainFields& fields) {
  const Id3v2Reading source = sourceFields(session);
  if (!source.problem.empty()) return;
  if (fields == source.fields)
    session.save.id3v2Edits.reset();
  else
    session.save.id3v2Edits = fields;
}

}  // namespace quillane
