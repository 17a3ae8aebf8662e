// The German language file that ships in data/Languages, read through the
// program's own loader: it must give every entry of the text table a German
// text, keep each text's placeholders, and keep the key names of the menus.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ui_text.h"
#include "settings/ui_text_ids.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

// Entries without a built-in text that the dialogs and the control panel take
// from a language file when it sets them.
const std::vector<int> kDialogEntries = {
    // Control panel: group titles and button labels.
    80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94,
    // Configuration pages "Devices", "Encoder [F12]", "Operation" and "Misc".
    200, 202, 203, 204, 209, 210, 211, 212, 213, 214, 218, 219, 220, 221, 222, 223, 224, 227, 237, 238, 239,
    // "&OK", the configuration dialog's title (also the pause-detection settings box).
    240, 248,
    // Split, file info, normalize, gain, pause detection, names and Auto Cue.
    250, 253, 255, 256, 257, 260, 261, 262, 263, 264, 265, 266, 267, 271, 272, 274, 275, 276, 277, 278, 279, 280,
    283, 284, 285, 286, 288, 289, 290, 291, 293, 294, 296, 297, 298, 299, 301, 302, 304, 305,
    // The file's header: language, translator, program version.
    ui::kLanguageName, ui::kLanguageEditedBy, ui::kLanguageProgramVersion};

// The menus as the window builds them, each a list of the entries of its items.
const std::vector<std::vector<int>> kMenus = {
    {ui::kMenuFile, ui::kMenuEdit, ui::kMenuSpecial, ui::kMenuList, ui::kMenuSettings},
    {10, 11, 12, 13, 15, 14, 16, 17, 18},
    {22, 23, 24, 25, 26, 27, 28, 29},
    {36, 37, 38, 39, 40, 41, 42, 43, 44},
    {54, 55, 61, 56, 57, 60, 59, 58, 70},
    {71, 72, 73},
    {64, 65, 66},
};

UiText german() {
  UiText table;
  std::string language = "Deutsch";
  loadUiText(table, language, {fs::path(QUILLANE_SOURCE_DATA_DIR) / "Languages"});
  EXPECT_EQ(language, "Deutsch") << "data/Languages/lanDeutsch.ini did not load";
  return table;
}

std::vector<int> builtInEntries() {
  UiText table;
  setBuiltInTexts(table);
  std::vector<int> entries;
  for (int i = 0; i < kUiTextCount; ++i)
    if (!table.text[i].empty()) entries.push_back(i);
  return entries;
}

// The printf-like conversions of a text in order ("%d", "%+2.1f", "%%"), and the
// codes of the split pattern ("%N", "%T"), which the texts that explain them keep.
std::vector<std::string> placeholders(const std::string& text) {
  std::vector<std::string> found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t j = i + 1;
    while (j < text.size() && std::string_view("-+ #0123456789.").find(text[j]) != std::string_view::npos) ++j;
    if (j < text.size() && (std::isalpha(static_cast<unsigned char>(text[j])) || text[j] == '%')) {
      found.push_back(text.substr(i, j - i + 1));
      i = j;
    }
  }
  return found;
}

// The key name after the tab of a menu item, empty when it has none.
std::string keyName(const std::string& text) {
  const std::size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

// German desktops name the Ctrl key "Strg"; every other key keeps its name.
std::string germanKeyName(std::string key) {
  if (key.rfind("Ctrl+", 0) == 0) key.replace(0, 4, "Strg");
  return key;
}

// The character after a single "&" (its UTF-8 bytes, ASCII letters in lower
// case), empty when the text has no mnemonic.
std::string mnemonic(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    std::size_t end = i + 2;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    std::string letter = text.substr(i + 1, end - i - 1);
    for (char& c : letter) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return letter;
  }
  return {};
}

TEST(GermanLanguageFile, SetsEveryEntryThatTheProgramShows) {
  const UiText table = german();
  std::vector<int> entries = builtInEntries();
  entries.insert(entries.end(), kDialogEntries.begin(), kDialogEntries.end());
  for (int i : entries) {
    EXPECT_TRUE(table.loaded[i]) << "entry " << i << " is not set by the German file";
    EXPECT_FALSE(table.text[i].empty()) << "entry " << i << " is empty in the German file";
  }
}

TEST(GermanLanguageFile, KeepsThePlaceholdersOfEveryText) {
  const UiText table = german();
  UiText english;
  setBuiltInTexts(english);
  for (int i : builtInEntries()) {
    // The Turbo Grabber's notice is shown as it is, never formatted: its "30%" is text.
    if (i == ui::kMsgTurboGrabber) continue;
    EXPECT_EQ(placeholders(table.text[i]), placeholders(english.text[i]))
        << "entry " << i << ": \"" << table.text[i] << "\"";
  }
  // Entries without a built-in text whose dialog texts hold pattern codes.
  const std::map<int, std::vector<std::string>> codes = {
      {256, {"%N"}}, {257, {"%T", "%A", "%D", "%C", "%N"}}};
  for (const auto& [index, expected] : codes) EXPECT_EQ(placeholders(table.text[index]), expected) << index;
}

TEST(GermanLanguageFile, MenuItemsKeepTheirKeyNames) {
  const UiText table = german();
  UiText english;
  setBuiltInTexts(english);
  for (int i = 0; i < ui::kWindowBase; ++i) {
    const std::string key = keyName(english.text[i]);
    if (key.empty()) continue;
    EXPECT_EQ(keyName(table.text[i]), germanKeyName(key)) << "entry " << i << ": \"" << table.text[i] << "\"";
  }
}

TEST(GermanLanguageFile, NoTwoItemsOfAMenuShareAnAccessKey) {
  const UiText table = german();
  for (const std::vector<int>& menu : kMenus) {
    std::map<std::string, int> taken;
    for (int entry : menu) {
      const std::string letter = mnemonic(table.text[entry]);
      if (letter.empty()) continue;
      const auto [it, added] = taken.emplace(letter, entry);
      EXPECT_TRUE(added) << "entries " << it->second << " and " << entry << " share the access key \"" << letter
                         << "\"";
    }
  }
}

}  // namespace
}  // namespace quillane
