// The menu bar, built in code from the user-interface texts so that a language
// file can rename every item.
#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "session/command_ids.h"
#include "settings/ui_text_ids.h"

namespace quillane {

namespace {

constexpr int kSeparator = 0;

// One position of a menu: a command id with its text entry, or a separator.
struct MenuEntry {
  int commandId;
  int textIndex;
};

QString qt(const std::string& text) { return QString::fromStdString(text); }

QAction* addCommand(QMenu* menu, int commandId, const QString& text, const CommandHandler& onCommand) {
  QAction* action = menu->addAction(text);
  action->setProperty("commandId", commandId);
  QObject::connect(action, &QAction::triggered, menu, [onCommand, commandId] { onCommand(commandId); });
  return action;
}

void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries, const UiText& text,
                const CommandHandler& onCommand, MainMenu& built) {
  for (const MenuEntry& entry : entries) {
    if (entry.commandId == kSeparator) {
      menu->addSeparator();
    } else {
      built.items[entry.commandId] = addCommand(menu, entry.commandId, qt(uiText(text, entry.textIndex)), onCommand);
    }
  }
}

// Drops every action of `menu` from position `first` on.
void removeActionsFrom(QMenu* menu, int first) {
  const QList<QAction*> actions = menu->actions();
  for (int i = first; i < actions.size(); ++i) {
    menu->removeAction(actions[i]);
    delete actions[i];
  }
}

}  // namespace

MainMenu buildMainMenu(QMenuBar* bar, const UiText& text, const CommandHandler& onCommand) {
  using namespace cmd;
  MainMenu built;
  constexpr MenuEntry bar_{kSeparator, 0};

  built.file = bar->addMenu(qt(uiText(text, ui::kMenuFile)));
  addEntries(built.file,
             {{kOpen, ui::kMenuOpen}, {kClose, ui::kMenuClose}, bar_, {kSaveAll, ui::kMenuSaveAll},
              {kSaveSelection, ui::kMenuSaveSelection}, {kSaveSplit, ui::kMenuSaveSplit},
              {kAppendTo, ui::kMenuAppendTo}, bar_, {kSaveProject, ui::kMenuSaveProject},
              {kSaveProjectAs, ui::kMenuSaveProjectAs}, bar_, {kQuit, ui::kMenuQuit}},
             text, onCommand, built);

  built.edit = bar->addMenu(qt(uiText(text, ui::kMenuEdit)));
  addEntries(built.edit,
             {{kFileInfo, ui::kMenuFileInfo}, bar_, {kUndoSelection, ui::kMenuUndoSelection},
              {kRemoveSelection, ui::kMenuRemoveSelection}, {kSelectAll, ui::kMenuSelectAll}, bar_,
              {kNormalize, ui::kMenuNormalize}, {kPauseDetection, ui::kMenuPauseDetection}, bar_,
              {kNamesForCue, ui::kMenuNamesForCue}, {kNamesForCueSheet, ui::kMenuNamesForCueSheet}},
             text, onCommand, built);

  built.special = bar->addMenu(qt(uiText(text, ui::kMenuSpecial)));
  addEntries(built.special,
             {{kBeginBackOneFrame, ui::kMenuBeginBackOneFrame}, {kBeginForwardOneFrame, ui::kMenuBeginForwardOneFrame},
              bar_, {kEndBackOneFrame, ui::kMenuEndBackOneFrame}, {kEndForwardOneFrame, ui::kMenuEndForwardOneFrame},
              bar_, {kBothBackOneFrame, ui::kMenuSelectionBackOneFrame},
              {kBothForwardOneFrame, ui::kMenuSelectionForwardOneFrame}, bar_, {kAutoCue, ui::kMenuAutoCue}, bar_,
              {kEditCueSheet, ui::kMenuEditCueSheet}, bar_, {kTurboGrabber, ui::kMenuTurboGrabber}},
             text, onCommand, built);

  // Filled from the range table by fillRangeMenu.
  built.list = bar->addMenu(qt(uiText(text, ui::kMenuList)));
  built.list->addSeparator();

  built.settings = bar->addMenu(qt(uiText(text, ui::kMenuSettings)));
  addEntries(built.settings,
             {{kConfigure, ui::kMenuConfigure}, bar_, {kToggleBigTimer, ui::kMenuBigTimer},
              {kToggleBigRelative, ui::kMenuBigTimerRelative}, {kToggleMilliseconds, ui::kMenuShowMilliseconds},
              {kToggleDbScale, ui::kMenuShowDbScale}, {kToggleBitrateGraph, ui::kMenuBitrateGraph}, bar_,
              {kToggleMargin, ui::kMenuEnableMarginButton}, {kToggleAutoselect, ui::kMenuAutoselectRanges}, bar_},
             text, onCommand, built);
  for (int id = kToggleBigTimer; id <= kToggleBigRelative; ++id) built.items.at(id)->setCheckable(true);
  built.graphLevel = built.settings->addMenu(qt(uiText(text, ui::kMenuGraphLevel)));
  addEntries(built.graphLevel,
             {{kGraphLevelHigher, ui::kMenuGraphLevelHigher}, {kGraphLevelLower, ui::kMenuGraphLevelLower},
              {kGraphLevelDefault, ui::kMenuGraphLevelDefault}},
             text, onCommand, built);

  // The last title is fixed; entry 5 is not used.
  built.help = bar->addMenu(QStringLiteral("&?"));
  addEntries(built.help, {{kManual, ui::kMenuManual}, {kFaq, ui::kMenuFaq}, bar_, {kAbout, ui::kMenuAbout}}, text,
             onCommand, built);
  return built;
}

void fillRangeMenu(QMenu* list, const std::vector<RangeMenuItem>& items, const CommandHandler& onCommand) {
  removeActionsFrom(list, 0);
  for (const RangeMenuItem& item : items) {
    QAction* action = addCommand(list, item.commandId, qt(item.text), onCommand);
    action->setEnabled(item.enabled);
  }
}

void fillRecentEntries(QMenu* file, const std::vector<RecentMenuItem>& items, const CommandHandler& onCommand) {
  removeActionsFrom(file, kFileMenuFixedEntries);
  if (items.empty()) return;
  file->addSeparator();
  for (const RecentMenuItem& item : items) addCommand(file, item.commandId, qt(item.text), onCommand);
}

}  // namespace quillane
