#pragma once

#include "edit/edit_session.h"
#include "save/id3v2_tag.h"

namespace quillane {

// The ID3v2 tag a save of the open file starts from: the source's tag with the
// main fields the file info dialog changed (`save.id3v2Edits`), or as it is when
// nothing was changed; a new ID3v2.4 tag when the source has none and fields were
// filled in; empty when there is no tag at all. A source tag TagLib cannot read
// comes back as its bytes, with the reason in `problem`.
Id3v2Rewrite sourceId3v2ForSave(EditSession& session);

// What the file info dialog shows of the ID3v2 tag when it opens: the fields as
// "OK" left them before, else the source's own; `problem` says why the source's
// tag cannot be edited (then the fields are empty).
Id3v2Reading openFileInfoId3v2(EditSession& session);

// "OK": the fields become the changes the next save writes, or no changes when
// they are the source's own. Nothing changes for a tag that cannot be edited.
void applyFileInfoId3v2(EditSession& session, const Id3v2MainFields& fields);

}  // namespace quillane
