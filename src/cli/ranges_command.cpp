#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/source_file.h"
#include "edit/edit_model.h"
#include "view/range_menu.h"

namespace quillane::cli {
namespace {

struct RangesOptions {
  std::string source;
  EditOptions edits;
  bool json = false;
};

}  // namespace

nlohmann::ordered_json rangesJson(const Session& session) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  const EditRangeTable& table = session.edits;
  for (int i = 0; i < table.count; ++i) {
    const EditRange& r = table.ranges[static_cast<size_t>(i)];
    list.push_back({{"index", i},
                    {"kind", rangeKindText(session, r)},
                    {"beg", r.beg},
                    {"end", r.end},
                    {"gainbeg", r.gainbeg},
                    {"gainend", r.gainend},
                    {"title", r.title},
                    {"artist", r.artist}});
  }
  return list;
}

void printRanges(const Session& session, bool json) {
  if (json) {
    std::cout << rangesJson(session).dump(2) << "\n";
    return;
  }
  for (const RangeMenuItem& item : rangeMenuItems(session)) std::cout << item.text << "\n";
}

void registerRangesCommand(CLI::App& app, CommandResult& result) {
  auto options = std::make_shared<RangesOptions>();
  CLI::App* command = app.add_subcommand("ranges", "List the edit ranges as the \"List\" menu shows them");
  command->add_option("SOURCE", options->source, "Audio file, project file (.qlp) or cue sheet (.cue)")
      ->required()
      ->check(kFileName);
  addEditOptions(*command, options->edits);
  command->add_flag("--json", options->json, "A JSON array of the ranges");
  command->callback([options, command, &result] {
    Session session;
    CliHost host;
    if (const Problem problem = openEditedSource(session, host, options->source, *command, options->edits)) {
      result.exitCode = failWith(*problem);
      return;
    }
    printRanges(session, options->json);
  });
}

}  // namespace quillane::cli
