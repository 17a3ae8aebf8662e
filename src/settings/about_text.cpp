#include "settings/about_text.h"

#include <fstream>

#include "settings/settings.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

constexpr const char* kLineStart = "  ";
constexpr const char* kLineEnd = "\r\n";

void addLine(std::string& text, const std::string& line) {
  text += kLineStart;
  text += line;
  text += kLineEnd;
}

}  // namespace

std::string aboutText(const UiText& table) {
  std::string text;
  addLine(text, "");
  addLine(text, std::string("Quillane Version ") + kSettingsVersion);
  addLine(text, "Copyright (C) the Quillane developers");
  addLine(text, "");
  addLine(text, "Homepage: none yet; the Manual and the FAQ come with the program (menu \"&?\")");
  addLine(text, "");
  addLine(text, "Quillane is free software: you may use it, pass it on and change it under the terms of the "
                "GNU General Public License as published by the Free Software Foundation, version 3 or (at your "
                "option) any later version (GPL-3.0-or-later).");
  addLine(text, "");
  addLine(text, "It is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY; without even the "
                "implied warranty of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE. \"License\" shows the "
                "licence's text.");

  const std::string& language = uiText(table, ui::kLanguageName);
  if (language.empty()) return text;
  const std::string& translator = uiText(table, ui::kLanguageEditedBy);
  const std::string& forVersion = uiText(table, ui::kLanguageProgramVersion);
  text += std::string(kLineEnd) + kLineStart + language + " translation*";
  if (!translator.empty()) {
    text += " by " + translator;
    if (!forVersion.empty()) text += " for version " + forVersion;
  }
  text += kLineEnd;
  addLine(text, "");
  addLine(text, "* Quillane, its licence and its documentation were written in English. The licence is valid in its "
                "English wording whatever language the program shows, and the authors give no warranty for the "
                "translations.");
  return text;
}

std::optional<std::string> readFileStart(const std::filesystem::path& file, size_t limit) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(limit, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

}  // namespace quillane
