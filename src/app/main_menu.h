#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "edit/edit_model.h"
#include "settings/ui_text.h"
#include "shell/file_opening.h"
#include "view/range_menu.h"

class QAction;
class QMenu;
class QMenuBar;

namespace quillane {

// Positions of the "&File" menu that are its own items and separators; the
// recent files follow them.
constexpr int kFileMenuFixedEntries = 12;

// The menus of the main window's menu bar and the actions of their items by
// command id. Every action carries its command id as the property "commandId".
struct MainMenu {
  QMenu* file = nullptr;
  QMenu* edit = nullptr;
  QMenu* special = nullptr;
  QMenu* list = nullptr;
  QMenu* settings = nullptr;
  QMenu* graphLevel = nullptr;  // "MPEG graph level", inside "&Settings"
  QMenu* help = nullptr;        // the fixed title "&?"
  std::map<int, QAction*> items;  // the fixed items; recent files and "&List" items are not kept here
};

using CommandHandler = std::function<void(int commandId)>;

// Builds the six menus on `bar` from the text table: items by command id with the
// text of their entry (the part after a tab is shown as the key name only; keys
// go through accelerator table 900). The "&Settings" items 1051..1057 are
// checkable. Choosing an item calls `onCommand` with its id.
MainMenu buildMainMenu(QMenuBar* bar, const UiText& text, const CommandHandler& onCommand);

// Replaces the items of the "&List" menu.
void fillRangeMenu(QMenu* list, const std::vector<RangeMenuItem>& items, const CommandHandler& onCommand);

// Replaces what follows the fixed entries of the "&File" menu by a separator and
// the recent files (nothing at all without recent files).
void fillRecentEntries(QMenu* file, const std::vector<RecentMenuItem>& items, const CommandHandler& onCommand);

}  // namespace quillane
