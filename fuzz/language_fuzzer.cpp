// A language file: loaded over the built-in texts, then the texts that the program
// builds from the table.
#include <string>
#include <vector>

#include "edit/edit_model.h"
#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "session/session.h"
#include "settings/text_encoding.h"
#include "settings/ui_text.h"
#include "view/range_menu.h"
#include "view/view_texts.h"

namespace quillane::fuzz {
namespace {

// A model with one range of each kind and a selection, without a file, so that
// every text of the status fields and the "&List" menu is used.
void useTexts(Session& session) {
  session.stream.audioStart = 100;
  session.stream.audioEnd = 100000;
  session.stream.avgBitrate = 128000.0f;
  session.stream.currentHeader = decodeFrameHeader(reinterpret_cast<const uint8_t*>("\xFF\xFB\x90\x64"));
  EditRangeTable& t = session.edits;
  t.ranges[0] = {kRangeCut, 1000, 2000, 0, 0, "cut", ""};
  t.ranges[1] = {kRangeGain, 3000, 4000, 2, -3, "", ""};
  t.ranges[2] = {kRangeCut, 5000, 5000, 0, 0, "cue", "artist"};
  t.count = 3;
  (void)rangeMenuItems(session);
  for (int i = 0; i < t.count; ++i) {
    t.currentRange = i;
    (void)selectionFieldText(session);
  }
  t.selection.beg = 200;
  t.selection.end = 900;
  (void)selectionFieldText(session);
  (void)positionFieldText(session);
  t.count = 0;
  (void)rangeMenuItems(session);
}

}  // namespace

void languageInput(const uint8_t* data, size_t size) {
  (void)scratchFile("lanFuzzed.ini", {reinterpret_cast<const char*>(data), size});
  const std::vector<std::filesystem::path> folders = {scratchFolder()};

  Session session;
  std::string language = "Fuzzed";
  loadUiText(session.text, language, folders);
  require(language == "Fuzzed", "loadUiText did not read a regular file");
  for (int i = 0; i < kUiTextCount; ++i) {
    const std::string& text = uiText(session.text, i);
    require(isValidUtf8(text), "a loaded text is not UTF-8");
    require(text.find('\0') == std::string::npos, "a loaded text holds a NUL");
  }
  useTexts(session);

  releaseUiText(session.text);
  for (int i = 0; i < kUiTextCount; ++i)
    require(!session.text.loaded[static_cast<size_t>(i)], "releaseUiText kept a loaded text");
}

}  // namespace quillane::fuzz
