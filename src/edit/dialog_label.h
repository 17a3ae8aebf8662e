#pragma once

#include <string>
#include <string_view>

#include "settings/ui_text.h"

namespace quillane {

// A dialog's label: the text table's entry when it holds one (a language file set
// it), otherwise the dialog's own text.
inline std::string dialogLabel(const UiText& table, int entry, std::string_view ownText) {
  const std::string& text = uiText(table, entry);
  return text.empty() ? std::string(ownText) : text;
}

}  // namespace quillane
