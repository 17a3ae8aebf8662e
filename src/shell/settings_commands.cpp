#include <filesystem>

#include "session/command_ids.h"
#include "settings/settings_location.h"
#include "shell/command_stages.h"
#include "view/view_texts.h"

namespace quillane {
namespace {

// The MPEG graph's height steps of the "MPEG graph level" submenu.
constexpr int kGraphLevelStep = 20;
constexpr int kGraphLevelHighest = 160;
constexpr int kGraphLevelDefault = 40;

// The configuration tab of the encoder settings, which F12 opens directly.
constexpr uint8_t kEncoderTab = 1;

// The setting that a display toggle of the "&Settings" menu flips.
int32_t* displayToggle(Settings& settings, int id) {
  switch (id) {
    case cmd::kToggleBigTimer: return &settings.big_timer;
    case cmd::kToggleMilliseconds: return &settings.show_milisec;
    case cmd::kToggleDbScale: return &settings.db_scale;
    case cmd::kToggleAutoselect: return &settings.autoselect;
    case cmd::kToggleMargin: return &settings.margin;
    case cmd::kToggleBitrateGraph: return &settings.bitrate_graph;
    case cmd::kToggleBigRelative: return &settings.big_relative;
    default: return nullptr;
  }
}

// Opens a help file with the desktop's viewer; says so when it can't.
void openHelpFile(ShellHost& host, const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    host.messageBox(file.string() + ": the help file is not there (it belongs in the program's data folder).",
                    "Quillane", MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  } else if (!host.openDocument(file.string())) {
    host.messageBox(file.string() + ": no program of the desktop could open the help file.", "Quillane",
                    MessageIcon::Error, MessageButtons::Ok, MessageAnswer::Ok);
  }
}

}  // namespace

void runSettingsCommand(Session& session, ShellHost& host, int id) {
  Settings& settings = session.settings;
  if (int32_t* toggle = displayToggle(settings, id)) {
    *toggle = *toggle ? 0 : 1;
    host.refreshView(kRefreshAll);
    return;
  }

  switch (id) {
    case cmd::kConfigureEncoder:
      session.configTab = kEncoderTab;
      [[fallthrough]];
    case cmd::kConfigure:
      // The dialog opens on session.configTab (the tab it was closed on) and
      // changes the settings at once, so the whole window follows afterwards.
      host.runDialog(dlg::kConfiguration);
      host.refreshView(kRefreshAll);
      break;

    case cmd::kGraphLevelHigher:
      if (settings.level_height < kGraphLevelHighest) settings.level_height += kGraphLevelStep;
      host.refreshView(kRefreshAll);
      break;
    case cmd::kGraphLevelLower:
      if (settings.level_height >= kGraphLevelStep) settings.level_height -= kGraphLevelStep;
      host.refreshView(kRefreshAll);
      break;
    case cmd::kGraphLevelDefault:
      settings.level_height = kGraphLevelDefault;
      host.refreshView(kRefreshAll);
      break;

    case cmd::kAbout:
      host.runDialog(dlg::kAbout);
      break;

    // The help files of the data folder, in the desktop's viewer; commandAvailable
    // refuses them while the file is not there.
    case cmd::kManual:
    case cmd::kFaq:
      openHelpFile(host, programDataFolder() / (id == cmd::kManual ? kManualFileName : kFaqFileName));
      break;

    default:
      break;
  }
}

}  // namespace quillane
