#include "document_input.h"

#include <vector>

#include "edit/cue_sheet.h"
#include "edit/edit_model.h"
#include "edit/project_file.h"
#include "edited_reading.h"
#include "fuzz_support.h"
#include "view/range_menu.h"
#include "view/view_texts.h"

namespace quillane::fuzz {
namespace {

void useLoadedRanges(Session& session) {
  EditRangeTable& t = session.edits;
  const std::vector<RangeMenuItem> items = rangeMenuItems(session);
  require(!items.empty(), "the List menu has no item");

  for (int i = 0; i < t.count; ++i) {
    t.currentRange = i;
    (void)cueTimeText(session.stream, t.ranges[static_cast<size_t>(i)].beg);
    (void)selectionFieldText(session);
  }
  t.currentRange = -1;
  (void)refreshTexts(session, kRefreshAll);
  for (int i = 0; i < t.count; ++i) goToNextRange(session);
  goToSelectionEnd(session);
  for (int i = 0; i < t.count; ++i) goToPreviousRange(session);
  goToSelectionBegin(session);
  (void)refreshTexts(session, kRefreshPosition);

  if (!session.stream.isOpen()) return;
  readEditedToTheEnd(session, 0);
  session.projectPath = scratchFile("written.cue", {});
  (void)writeCueSheet(session);
  session.projectPath = scratchFile("written.qlp", {});
  (void)writeProjectFile(session);
}

}  // namespace

void documentInput(const uint8_t* data, size_t size, const std::string& fileName,
                   std::string (*namingLine)(const std::string& audioPath), bool (*read)(EditSession&)) {
  ByteReader in(data, size);
  const uint8_t choice = in.byte();
  std::string text;
  if ((choice & 0x80) == 0) text = namingLine(audioDataPath(choice & 0x7F));
  text += in.rest();

  Session session;
  session.projectPath = scratchFile(fileName, text);
  (void)read(session);
  useLoadedRanges(session);
}

}  // namespace quillane::fuzz
