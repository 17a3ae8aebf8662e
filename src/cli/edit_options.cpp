#include "cli/edit_options.h"

#include <charconv>
#include <iostream>

#include "cli/positions.h"
#include "cli/source_file.h"
#include "edit/edit_model.h"
#include "edit/gain_dialog_model.h"
#include "settings/ui_text_ids.h"
#include "view/time_format.h"

namespace quillane::cli {
namespace {

bool parseSteps(const std::string& text, int32_t& steps) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, steps);
  return ec == std::errc() && ptr == last && first != last;
}

// The name of an edit's option, for messages.
const char* optionName(EditSpec::Kind kind) {
  switch (kind) {
    case EditSpec::Kind::Cut:
      return "--cut";
    case EditSpec::Kind::Gain:
      return "--gain";
    case EditSpec::Kind::Cue:
      return "--cue";
  }
  return "";
}

std::string audioEndText(const AudioStream& stream) {
  return "(" + formatTime(stream.audioEnd - stream.audioStart, stream.avgBitrate, false) + ")";
}

// "A-B" into the selection, both ends moved to frames. `option` and `given` (the
// whole text of the option) name what the user wrote in a refusal. A range that
// ends before it begins, or begins where the audio ends, is refused: it holds
// no frame.
bool rangeToSelection(Session& session, const std::string& range, const std::string& option,
                      const std::string& given, std::string& error) {
  const AudioStream& stream = session.stream;
  std::string a, b;
  if (!splitRange(range, a, b)) {
    error = positionProblem(stream, option, given, "expected a range A-B");
    return false;
  }
  const auto beg = parsePosition(session.stream, a);
  const auto end = parsePosition(session.stream, b);
  if (!beg || !end) {
    error = positionProblem(stream, option, given, kPositionForms);
    return false;
  }
  if (*end < *beg) {
    error = positionProblem(stream, option, given, uiText(session.text, ui::kMsgSelectionInvalid));
    return false;
  }
  if (*beg >= stream.audioEnd) {
    error = positionProblem(stream, option, given, "begins at or past the end of the audio " + audioEndText(stream));
    return false;
  }
  session.edits.selection.beg = *beg;
  session.edits.selection.end = *end;
  return true;
}

bool refused(Session& session, const EditSpec& edit, std::string& error) {
  error = positionProblem(session.stream, optionName(edit.kind), edit.text,
                          uiText(session.text, ui::kMsgSelectionInvalid));
  clearSelection(session.edits);
  return false;
}

std::vector<std::string> splitFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ':') {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return fields;
}

bool isSigned(const std::string& field) { return !field.empty() && (field[0] == '+' || field[0] == '-'); }

// Splits "A-B:STEPS" or "A-B:BEG:END" into the range and one or two gains. Times
// hold ':' too, so a gain written with a sign is always a gain; unsigned trailing
// numbers are read as two gains when what is left is still a valid range.
bool splitGain(Session& session, const std::string& text, std::string& range, int32_t& g1, int32_t& g2) {
  const std::vector<std::string> fields = splitFields(text);
  const size_t n = fields.size();
  size_t signedCount = 0;
  while (signedCount < 2 && signedCount < n && isSigned(fields[n - 1 - signedCount])) ++signedCount;
  for (size_t gains : {size_t{2}, size_t{1}}) {
    if (n <= gains || (signedCount > 0 && gains != signedCount)) continue;
    const bool ok = gains == 2 ? parseSteps(fields[n - 2], g1) && parseSteps(fields[n - 1], g2)
                               : parseSteps(fields[n - 1], g1);
    if (!ok) continue;
    if (gains == 1) g2 = g1;
    range.clear();
    for (size_t i = 0; i + gains < n; ++i) range += (i ? ":" : "") + fields[i];
    std::string a, b;
    if (!splitRange(range, a, b)) continue;
    const auto beg = parsePosition(session.stream, a);
    const auto end = parsePosition(session.stream, b);
    if (gains == 2 && signedCount == 0 && (!beg || !end || *end < *beg)) continue;
    return true;
  }
  return false;
}

bool addGain(Session& session, const EditSpec& edit, std::string& error) {
  const std::string& text = edit.text;
  const char* option = optionName(edit.kind);
  std::string range;
  int32_t g1 = 0, g2 = 0;
  if (!splitGain(session, text, range, g1, g2)) {
    error = positionProblem(session.stream, option, text, "expected A-B:STEPS or A-B:BEG:END");
    return false;
  }
  if (g1 < -32 || g1 > 32 || g2 < -32 || g2 > 32) {
    error = positionProblem(session.stream, option, text, "gain steps lie within -32..+32 (1.5 dB each)");
    return false;
  }
  if (!rangeToSelection(session, range, option, text, error)) return false;
  if (!gainAllowed(session, std::string(option) + " \"" + text + "\"", error)) return false;
  EditRange& pending = session.edits.selection;
  pending.type = kRangeGain;
  pending.gainbeg = g1;
  pending.gainend = g2;
  pending.artist.clear();
  pending.title = gainLabel(g1, g2);
  if (!addRangeFromSelection(session.edits, session.selectionUndo, true)) return refused(session, edit, error);
  return true;
}

}  // namespace

bool gainAllowed(const Session& session, const std::string& what, std::string& error) {
  const FrameHeader& header = session.stream.currentHeader;
  if (header.layer == 2) {
    error = session.stream.sourcePath + ": " + what + ": " + uiText(session.text, ui::kMsgNoGainOnLayer2);
    return false;
  }
  if (header.hasCrc) {
    std::string warning = uiText(session.text, ui::kMsgCrcQuestion);
    warning = warning.substr(0, warning.rfind('\n'));  // the question itself is answered by the command line
    for (char& c : warning)
      if (c == '\n') c = ' ';
    std::cerr << "quillane-cli: " << uiText(session.text, ui::kMsgWarning) << ": " << warning << "\n";
  }
  return true;
}

void addEditOptions(CLI::App& command, EditOptions& options) {
  options.cutOption = command.add_option("--cut", options.cuts, "Cut the frames in A-B (repeatable)")
                          ->type_name("A-B")
                          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                          ->expected(1);
  options.gainOption =
      command.add_option("--gain", options.gains, "Gain in A-B: STEPS, or BEG:END for a fade (1.5 dB steps)")
          ->type_name("A-B:STEPS[:END]")
          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
          ->expected(1);
  options.cueOption = command.add_option("--cue", options.cues, "Set a cue at A (repeatable)")
                          ->type_name("A")
                          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                          ->expected(1);
}

std::vector<EditSpec> orderedEdits(const CLI::App& command, const EditOptions& options) {
  std::vector<EditSpec> edits;
  size_t cut = 0, gain = 0, cue = 0;
  for (const CLI::Option* option : command.parse_order()) {
    if (option == options.cutOption && cut < options.cuts.size())
      edits.push_back({EditSpec::Kind::Cut, options.cuts[cut++]});
    else if (option == options.gainOption && gain < options.gains.size())
      edits.push_back({EditSpec::Kind::Gain, options.gains[gain++]});
    else if (option == options.cueOption && cue < options.cues.size())
      edits.push_back({EditSpec::Kind::Cue, options.cues[cue++]});
  }
  return edits;
}

bool applyEdits(Session& session, const std::vector<EditSpec>& edits, std::string& error) {
  for (const EditSpec& edit : edits) {
    clearSelection(session.edits);
    session.edits.selection.type = kRangeCut;
    session.edits.selection.gainbeg = session.edits.selection.gainend = 0;
    switch (edit.kind) {
      case EditSpec::Kind::Cut:
        if (!rangeToSelection(session, edit.text, optionName(edit.kind), edit.text, error)) return false;
        if (!addRangeFromSelection(session.edits, session.selectionUndo, false)) return refused(session, edit, error);
        break;
      case EditSpec::Kind::Cue: {
        const AudioStream& stream = session.stream;
        const auto at = parsePosition(session.stream, edit.text);
        if (!at || *at >= stream.audioEnd) {
          error = positionProblem(stream, optionName(edit.kind), edit.text,
                                  at ? "lies at or past the end of the audio " + audioEndText(stream) : kPositionForms);
          return false;
        }
        session.edits.selection.beg = session.edits.selection.end = *at;
        if (!addRangeFromSelection(session.edits, session.selectionUndo, false)) return refused(session, edit, error);
        break;
      }
      case EditSpec::Kind::Gain:
        if (!addGain(session, edit, error)) return false;
        break;
    }
  }
  clearSelection(session.edits);
  return true;
}

bool openEditedSource(Session& session, Host& host, const std::string& source, const CLI::App& command,
                      const EditOptions& options, std::string& error) {
  return openSource(session, host, source, error) && applyEdits(session, orderedEdits(command, options), error);
}

bool applySelection(Session& session, const std::string& text, std::string& error) {
  if (text.empty()) return true;
  return rangeToSelection(session, text, "--selection", text, error);
}

}  // namespace quillane::cli
