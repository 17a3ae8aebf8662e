#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/problem.h"
#include "session/host.h"
#include "session/session.h"

namespace quillane::cli {

// The edits given on the command line, in the order given.
struct EditSpec {
  enum class Kind { Cut, Gain, Cue };
  Kind kind;
  std::string text;  // "A-B", "A-B:STEPS", "A-B:BEG:END" or "A"
};

struct EditOptions {
  std::vector<std::string> cuts, gains, cues;
  CLI::Option* cutOption = nullptr;
  CLI::Option* gainOption = nullptr;
  CLI::Option* cueOption = nullptr;
  std::string selection;  // --selection A-B, where the command takes one
  // Times keep the sample they name inside their frame: only a sample-accurate
  // save uses it, and finding it walks the frames up to each position.
  bool sampleOffsets = false;
};

// Adds --cut, --gain and --cue to a subcommand.
void addEditOptions(CLI::App& command, EditOptions& options);

// The edits in the order they stood on the command line.
std::vector<EditSpec> orderedEdits(const CLI::App& command, const EditOptions& options);

// Adds each edit to the session's range table as the program does. The problem,
// if any: the table's refusal message, or what is wrong with the text.
// With sampleOffsets, a cue given as a time keeps its sample inside the frame.
Problem applyEdits(Session& session, const std::vector<EditSpec>& edits, bool sampleOffsets = false);

// Opens SOURCE by its extension and adds the command line's edits to it.
Problem openEditedSource(Session& session, Host& host, const std::string& source, const CLI::App& command,
                         const EditOptions& options);

// Whether the source may take a gain: never a Layer II file (the problem names
// the file and `what` asked for it); a file with CRCs gets a warning on stderr,
// since a gain breaks them.
Problem gainAllowed(const Session& session, const std::string& what);

// Sets the selection from "A-B"; a problem when the text is malformed. With
// sampleOffsets, ends given as times keep their samples inside their frames.
Problem applySelection(Session& session, const std::string& text, bool sampleOffsets = false);

}  // namespace quillane::cli
