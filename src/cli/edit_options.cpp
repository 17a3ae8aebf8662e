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
Problem rangeToSelection(Session& session, const std::string& range, const std::string& option,
                         const std::string& given) {
  const AudioStream& stream = session.stream;
  std::string a, b;
  if (!splitRange(range, a, b)) return positionProblem(stream, option, given, "expected a range A-B");
  const auto beg = parsePosition(session.stream, a);
  const auto end = parsePosition(session.stream, b);
  if (!beg || !end) return positionProblem(stream, option, given, kPositionForms);
  if (*end < *beg) return positionProblem(stream, option, given, uiText(session.text, ui::kMsgSelectionInvalid));
  if (*beg >= stream.audioEnd)
    return positionProblem(stream, option, given, "begins at or past the end of the audio " + audioEndText(stream));
  session.edits.selection.beg = *beg;
  session.edits.selection.end = *end;
  return {};
}

Problem refused(Session& session, const EditSpec& edit) {
  const std::string problem =
      positionProblem(session.stream, optionName(edit.kind), edit.text, uiText(session.text, ui::kMsgSelectionInvalid));
  clearSelection(session.edits);
  return problem;
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

Problem addGain(Session& session, const EditSpec& edit) {
  const std::string& text = edit.text;
  const char* option = optionName(edit.kind);
  std::string range;
  int32_t g1 = 0, g2 = 0;
  if (!splitGain(session, text, range, g1, g2)) {
    return positionProblem(session.stream, option, text, "expected A-B:STEPS or A-B:BEG:END");
  }
  if (g1 < -32 || g1 > 32 || g2 < -32 || g2 > 32) {
    return positionProblem(session.stream, option, text, "gain steps lie within -32..+32 (1.5 dB each)");
  }
  if (Problem problem = rangeToSelection(session, range, option, text)) return problem;
  if (Problem problem = gainAllowed(session, std::string(option) + " \"" + text + "\"")) return problem;
  EditRange& pending = session.edits.selection;
  pending.type = kRangeGain;
  pending.gainbeg = g1;
  pending.gainend = g2;
  pending.artist.clear();
  pending.title = gainLabel(g1, g2);
  if (!addRangeFromSelection(session.edits, session.selectionUndo, true)) return refused(session, edit);
  return {};
}

}  // namespace

Problem gainAllowed(const Session& session, const std::string& what) {
  const FrameHeader& header = session.stream.currentHeader;
  if (header.layer == 2) {
    return session.stream.sourcePath + ": " + what + ": " + uiText(session.text, ui::kMsgNoGainOnLayer2);
  }
  if (header.hasCrc) {
    std::string warning = uiText(session.text, ui::kMsgCrcQuestion);
    warning = warning.substr(0, warning.rfind('\n'));  // the question itself is answered by the command line
    for (char& c : warning)
      if (c == '\n') c = ' ';
    std::cerr << "quillane-cli: " << uiText(session.text, ui::kMsgWarning) << ": " << warning << "\n";
  }
  return {};
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

Problem applyEdits(Session& session, const std::vector<EditSpec>& edits, bool sampleOffsets) {
  for (const EditSpec& edit : edits) {
    clearSelection(session.edits);
    session.edits.selection.type = kRangeCut;
    session.edits.selection.gainbeg = session.edits.selection.gainend = 0;
    switch (edit.kind) {
      case EditSpec::Kind::Cut:
        if (Problem problem = rangeToSelection(session, edit.text, optionName(edit.kind), edit.text)) return problem;
        if (!addRangeFromSelection(session.edits, session.selectionUndo, false)) return refused(session, edit);
        break;
      case EditSpec::Kind::Cue: {
        const AudioStream& stream = session.stream;
        const auto at = parsePosition(session.stream, edit.text);
        if (!at || *at >= stream.audioEnd) {
          return positionProblem(stream, optionName(edit.kind), edit.text,
                                 at ? "lies at or past the end of the audio " + audioEndText(stream) : kPositionForms);
        }
        session.edits.selection.beg = session.edits.selection.end = *at;
        if (sampleOffsets) session.edits.selection.sampleOffset = positionSampleOffset(session.stream, edit.text, *at);
        if (!addRangeFromSelection(session.edits, session.selectionUndo, false)) return refused(session, edit);
        break;
      }
      case EditSpec::Kind::Gain:
        if (Problem problem = addGain(session, edit)) return problem;
        break;
    }
  }
  clearSelection(session.edits);
  return {};
}

Problem openEditedSource(Session& session, Host& host, const std::string& source, const CLI::App& command,
                         const EditOptions& options) {
  if (Problem problem = openSource(session, host, source)) return problem;
  return applyEdits(session, orderedEdits(command, options), options.sampleOffsets);
}

Problem applySelection(Session& session, const std::string& text, bool sampleOffsets) {
  if (text.empty()) return {};
  if (Problem problem = rangeToSelection(session, text, "--selection", text)) return problem;
  if (!sampleOffsets) return {};
  // Times inside frames are the boundaries of a sample-accurate save.
  std::string a, b;
  splitRange(text, a, b);
  EditRange& selection = session.edits.selection;
  selection.sampleOffset = positionSampleOffset(session.stream, a, selection.beg);
  selection.endSampleOffset = positionSampleOffset(session.stream, b, selection.end);
  return {};
}

}  // namespace quillane::cli
