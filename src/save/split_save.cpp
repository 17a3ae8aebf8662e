#include "save/split_save.h"

#include <algorithm>
#include <string>

#include "edit/edit_session.h"
#include "save/id3v2_tag.h"
#include "save/source_id3v2.h"
#include "settings/commit_batch.h"
#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {

std::vector<SplitPiece> splitPieces(const EditRangeTable& edits, const AudioStream& stream) {
  std::vector<SplitPiece> pieces;
  const int count = std::min<int>(edits.count, kMaxRanges);
  if (count <= 0) return pieces;
  const auto range = [&edits](int index) -> const EditRange& { return edits.ranges[static_cast<size_t>(index)]; };

  int i = 0;
  int nameIndex = 0;
  int64_t begin = stream.audioStart;
  int32_t beginOffset = 0;
  if (!range(0).isGain() && range(0).beg <= stream.audioStart) {
    begin = range(0).end;
    i = 1;
  }
  // A cue's boundary may lie inside a frame; a cut's ends are its frames.
  const auto offsetAt = [&range](int index) { return range(index).isCue() ? range(index).sampleOffset : 0; };
  for (;;) {
    while (i < count && range(i).isGain()) ++i;
    int64_t end = 0;
    int32_t endOffset = 0;
    if (i >= count) {
      const EditRange& last = range(count - 1);
      end = !last.isGain() && last.end >= stream.audioEnd ? last.beg : stream.audioEnd;
    } else {
      end = range(i).beg;
      endOffset = offsetAt(i);
    }
    // Names come from the split point the piece begins at; the piece before the
    // first one has none (range 0 may be a gain range, whose title is its label).
    if (end > begin) {
      const bool named = begin >= range(0).beg && !range(nameIndex).isGain();
      pieces.push_back({begin, end, named ? nameIndex : -1, beginOffset, endOffset});
    }
    if (i >= count) break;
    nameIndex = i;
    ++i;
    begin = range(nameIndex).end;
    beginOffset = offsetAt(nameIndex);
  }
  return pieces;
}

SplitNameFields splitNameFields(const EditRangeTable& edits, const SplitPiece& piece, int64_t pieceNumber,
                                int64_t firstNumber) {
  SplitNameFields fields;
  fields.trackNumber = pieceNumber + firstNumber - 1;
  fields.threeDigits = edits.count > 99;
  if (piece.nameIndex >= 0 && piece.nameIndex < edits.count) {
    const EditRange& names = edits.ranges[static_cast<size_t>(piece.nameIndex)];
    fields.title = names.title;
    fields.artist = names.artist;
  }
  fields.albumTitle = edits.sheetTitle;
  fields.albumArtist = edits.sheetArtist;
  return fields;
}

Id3v1Bytes splitPieceTag(const Id3v1Bytes& base, const SplitNameFields& fields) {
  Id3v1Bytes tag = base;
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  setTagText(tag, kId3v1TitleAt, kId3v1TextWidth, fields.title);
  if (!fields.artist.empty())
    setTagText(tag, kId3v1ArtistAt, kId3v1TextWidth, fields.artist);
  else if (!fields.albumArtist.empty())
    setTagText(tag, kId3v1ArtistAt, kId3v1TextWidth, fields.albumArtist);
  if (!fields.albumTitle.empty()) setTagText(tag, kId3v1AlbumAt, kId3v1TextWidth, fields.albumTitle);
  tag[kId3v1ZeroByteAt] = 0;
  tag[kId3v1TrackAt] = static_cast<uint8_t>(static_cast<uint64_t>(fields.trackNumber) & 0xFF);
  return tag;
}

namespace {

// What a split changes only for its own pieces, put back when it ends.
class SplitStateGuard {
 public:
  explicit SplitStateGuard(EditSession& session)
      : session_(session),
        folder_(session.save.savePath),
        holdOnWarnings_(session.save.holdOnWarnings),
        hasId3v1_(session.stream.hasId3v1),
        tag_(session.stream.id3v1Tag) {}
  ~SplitStateGuard() {
    session_.edits.selection.beg = -1;
    session_.edits.selection.end = -1;
    session_.edits.selection.sampleOffset = session_.edits.selection.endSampleOffset = 0;
    session_.save.saveSelection = false;
    session_.save.appendMode = false;
    session_.save.savePath = folder_;
    session_.save.holdOnWarnings = holdOnWarnings_;
    session_.save.pieceId3v2.clear();
    session_.save.sampleAccurate = false;
    session_.save.commitBatch = nullptr;
    session_.stream.hasId3v1 = hasId3v1_;
    session_.stream.id3v1Tag = tag_;
  }
  SplitStateGuard(const SplitStateGuard&) = delete;
  SplitStateGuard& operator=(const SplitStateGuard&) = delete;

 private:
  EditSession& session_;
  std::string folder_;
  bool holdOnWarnings_;
  bool hasId3v1_;
  Id3v1Bytes tag_;
};

// The ID3v2 tag of one piece: the source's with the piece's names and number.
std::vector<uint8_t> pieceId3v2Tag(const std::vector<uint8_t>& source, const SplitNameFields& fields, int64_t total,
                                   std::string& problem) {
  if (source.empty()) return {};
  Id3v2PieceFields piece;
  piece.title = fields.title;
  piece.artist = !fields.artist.empty() ? fields.artist : fields.albumArtist;
  piece.album = fields.albumTitle;
  piece.track = fields.trackNumber;
  piece.total = total;
  Id3v2Rewrite rewrite = id3v2TagForPiece(source, piece);
  if (!rewrite.problem.empty()) problem = rewrite.problem;
  return std::move(rewrite.bytes);
}

// Puts the pieces saved so far in place, all together; the ones from the first
// that fails on are removed, with the message a failed save gives. False then.
// The batch holds the last pieces of writtenPaths (a saver that commits its own
// files leaves it empty).
bool commitPieces(CommitBatch& batch, EditSession& session, Host& host, SplitResult& result) {
  const size_t pending = std::min(batch.size(), result.writtenPaths.size());
  const size_t committed = batch.commitAll();
  if (committed >= pending) return true;
  result.writtenPaths.resize(result.writtenPaths.size() - pending + committed);
  host.messageBox(uiText(session.text, ui::kMsgCouldNotWrite) + "\n" + batch.failure(),
                  uiText(session.text, ui::kMsgError), MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  return false;
}

void runToEnd(SaveJob& job) {
  while (!job.step()) {
  }
}

}  // namespace

SplitResult splitSave(EditSession& session, Host& host, int64_t firstNumber, const SplitPieceRunner& run) {
  return splitSaveThrough(session, host, firstNumber, [&session, &host, &run] {
    SaveJob job(session, host);
    if (job.open()) {
      if (run)
        run(job);
      else
        runToEnd(job);
      if (job.result() == SaveJob::Result::Running) job.cancel();
    }
    return job.result() == SaveJob::Result::Finished;
  });
}

SplitResult splitSaveThrough(EditSession& session, Host& host, int64_t firstNumber, const SplitPieceSaver& savePiece) {
  SplitResult result;
  std::string& savePath = session.save.savePath;
  bool hasSeparator = false;
  for (char c : savePath) hasSeparator = hasSeparator || isSavePathSeparator(c);
  if (savePath.empty() || !hasSeparator || !session.stream.isOpen()) return result;
  if (!isSavePathSeparator(savePath.back())) savePath += savePathSeparator();
  if (session.edits.count == 0) return result;

  const std::string folder = savePath;
  SplitStateGuard guard(session);
  // Every piece's tag is built on the source's own tag, never on the piece before.
  const Id3v1Bytes baseTag = session.stream.hasId3v1 ? session.stream.id3v1Tag : Id3v1Bytes{};

  const std::vector<SplitPiece> pieces = splitPieces(session.edits, session.stream);
  // The pieces' tags are built on the source's as the file info dialog left it.
  const std::vector<uint8_t> sourceId3v2 =
      session.settings.keep_id3v2 ? sourceId3v2ForSave(session).bytes : std::vector<uint8_t>{};
  const int64_t lastNumber = static_cast<int64_t>(pieces.size()) + firstNumber - 1;
  // The pieces go into place together at the end: syncing each on its own would
  // cost a journal commit per piece.
  CommitBatch batch;
  session.save.commitBatch = &batch;
  for (const SplitPiece& piece : pieces) {
    ++result.pieces;
    const SplitNameFields fields = splitNameFields(session.edits, piece, result.pieces, firstNumber);
    session.save.pieceId3v2 = pieceId3v2Tag(sourceId3v2, fields, lastNumber, result.id3v2Problem);
    session.edits.selection.beg = piece.beg;
    session.edits.selection.end = piece.end;
    session.edits.selection.sampleOffset = piece.begSampleOffset;
    session.edits.selection.endSampleOffset = piece.endSampleOffset;
    savePath = splitPiecePath(folder, session.settings.split_name, fields, session.stream.sourcePath);
    if (session.settings.split_id3v11) {
      session.stream.id3v1Tag = splitPieceTag(baseTag, fields);
      session.stream.hasId3v1 = true;
    } else {
      session.stream.hasId3v1 = false;
    }
    session.save.saveSelection = true;
    session.save.sampleAccurate = session.settings.split_sample_accurate != 0;
    session.save.appendMode = false;
    session.save.holdOnWarnings = false;

    session.stream.resyncCount = 0;  // a piece that fails to open adds none
    const bool saved = savePiece();
    result.resyncTotal += session.stream.resyncCount;
    if (!saved) {
      commitPieces(batch, session, host, result);  // the pieces before it stay
      return result;
    }
    result.writtenPaths.push_back(savePath);
  }
  if (!commitPieces(batch, session, host, result)) return result;

  if (result.resyncTotal > 0) {
    host.messageBox(withNumbers(uiText(session.text, ui::kMsgSyncErrors), {result.pieces, result.resyncTotal}),
                    uiText(session.text, ui::kMsgWarning), MessageIcon::Warning, MessageButtons::Ok,
                    MessageAnswer::Ok);
  }
  result.ok = true;
  return result;
}

std::string id3v2ProblemText(const std::string& source, const SplitResult& result) {
  if (result.id3v2Problem.empty()) return {};
  return source + ": the ID3v2 tag was copied unchanged into every piece (" + result.id3v2Problem + ")";
}

}  // namespace quillane
