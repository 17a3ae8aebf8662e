#pragma once

#include <QAction>
#include <QMenu>
#include <QString>
#include <vector>

#include "edit/edit_model.h"
#include "test_main_window.h"
#include "view/range_menu.h"

namespace quillane::test {

// The items of the window's "&List" menu as shown.
inline std::vector<QString> listMenuTexts(TestMainWindow& window) {
  std::vector<QString> texts;
  for (QAction* action : window.menu().list->actions()) texts.push_back(action->text());
  return texts;
}

// The items the range table asks the "&List" menu for.
inline std::vector<QString> rangeItemTexts(const Session& session) {
  std::vector<QString> texts;
  for (const RangeMenuItem& item : rangeMenuItems(session)) texts.push_back(QString::fromStdString(item.text));
  return texts;
}

}  // namespace quillane::test
