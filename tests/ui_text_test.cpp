#include "settings/ui_text.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/text_encoding.h"
#include "settings/ui_text_ids.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using test::writeText;

UiText builtIn() {
  UiText t;
  setBuiltInTexts(t);
  return t;
}

int countSet(const UiText& t) {
  int n = 0;
  for (const auto& s : t.text)
    if (!s.empty()) ++n;
  return n;
}

int countLoaded(const UiText& t) {
  int n = 0;
  for (bool b : t.loaded)
    if (b) ++n;
  return n;
}

// A table with the built-in texts and one language file "Test" in a fresh folder.
class LanguageFile : public ::testing::Test {
 protected:
  // Loads `content` as lanTest.ini and returns whether loading succeeded.
  bool load(const std::string& content) {
    table = builtIn();
    writeText(dir / "lanTest.ini", content);
    return loadLanguageFile(table, "Test", {dir.path()});
  }
  // The entries that differ from the built-in table.
  std::vector<int> changed() const {
    const UiText reference = builtIn();
    std::vector<int> out;
    for (int i = 0; i < kUiTextCount; ++i)
      if (table.text[i] != reference.text[i] || table.loaded[i]) out.push_back(i);
    return out;
  }

  test::TempDir dir;
  UiText table;
};

// ---------------------------------------------------------------- built-in texts

TEST(UiTextBuiltIn, EntriesPerGroupAndTotal) {
  const UiText t = builtIn();
  EXPECT_EQ(countSet(t), 148);
  EXPECT_EQ(countLoaded(t), 0);
  auto countIn = [&](int from, int to) {
    int n = 0;
    for (int i = from; i < to; ++i)
      if (!t.text[i].empty()) ++n;
    return n;
  };
  EXPECT_EQ(countIn(0, 80), 51);     // menus
  EXPECT_EQ(countIn(80, 120), 12);   // main window
  EXPECT_EQ(countIn(120, 150), 25);  // tooltips
  EXPECT_EQ(countIn(150, 190), 37);  // messages
  EXPECT_EQ(countIn(190, 240), 13);  // configuration
  EXPECT_EQ(countIn(240, 313), 10);  // other dialogs
  // Indices between the listed ones stay empty, so do the header values.
  for (int i : {6, 9, 19, 21, 30, 35, 45, 49, 62, 63, 67, 69, 74, 79, 80, 94, 99, 112, 119, 145,
                149, 150, 159, 179, 190, 191, 196, 214, 217, 227, 235, 240, 243, 250, 253,
                255, 269, 271, 272, 274, 280, 283, 299, 301, 309, 310, 311, 312})
    EXPECT_TRUE(t.text[i].empty()) << i;
}

TEST(UiTextBuiltIn, TextsVerbatim) {
  const UiText t = builtIn();
  EXPECT_EQ(t.text[0], "&File");
  EXPECT_EQ(t.text[5], "&Help");
  EXPECT_EQ(t.text[10], "&Open...\tCtrl+O");
  EXPECT_EQ(t.text[72], "Lower\tNum  -");
  EXPECT_EQ(t.text[108], " Press Play to start recording... ");
  EXPECT_EQ(t.text[144], "Shows dB level margin (left/right or mono), push resets   [BS]");
  EXPECT_EQ(t.text[156], "Error");
  EXPECT_EQ(t.text[158], "Not possible");
  EXPECT_EQ(t.text[165], "While saving %d file(s) %d sync error(s) occured.");
  EXPECT_EQ(t.text[173],
            "Modifying the gain of error checked frames will produce\nincorrect CRCs which might "
            "irritate some decoders.\nReally proceed?");
  EXPECT_EQ(t.text[195], "Encoder [F12]");
  EXPECT_EQ(t.text[241], "&Cancel");
  EXPECT_EQ(t.text[251],
            "%N = Track (cue/cut) number\n%T = Track (cue/cut) title\n%A = Track (cue/cut) "
            "artist\n%C = Cue sheet (album) title\n%D = Cue sheet (album) artist\n\nExample: %A "
            "(%C %N) - %T");
  EXPECT_EQ(t.text[270],
            "Total size:\nFirst audio frame at:\nCurrent position:\nCurrent bitrate:\nAverage "
            "bitrate:\nSize of current frame:\nAverage frame size:\nXing VBR header:");
  EXPECT_EQ(t.text[273],
            "The following data was found at the beginning of the file (e.g. VBR header, ID3v2 "
            "Tag, incomplete frame...). As not every type of header is supported Quillane will "
            "ignore (and not write) unknown header types (e.g. ID3v2). An MP3 without header will "
            "NOT be corrupted, but you may lose additional information.");
  EXPECT_EQ(t.text[300], "Names for");
}

TEST(UiTextBuiltIn, NamedIndicesPointAtTheirTexts) {
  const UiText t = builtIn();
  EXPECT_EQ(uiText(t, ui::kMsgError), "Error");
  EXPECT_EQ(uiText(t, ui::kMsgWarning), "Warning");
  EXPECT_EQ(uiText(t, ui::kMsgNotPossible), "Not possible");
  EXPECT_EQ(uiText(t, ui::kMenuQuit), "&Quit\tAlt+F4");
  EXPECT_EQ(uiText(t, ui::kListCue), "Cue");
  EXPECT_EQ(uiText(t, ui::kStatusFastPlay), "Fast Play");
  EXPECT_EQ(uiText(t, ui::kTipMargin).substr(0, 5), "Shows");
  EXPECT_EQ(uiText(t, ui::kColorVuMeter), "VU meter");
  EXPECT_EQ(uiText(t, ui::kDlgClose), "&Close");
  EXPECT_EQ(uiText(t, ui::kGainTo), "to");
  EXPECT_EQ(uiText(t, ui::kCfgNotFound), "not found");
}

TEST(UiTextBuiltIn, PlatformTextsNameThisSystemsComponents) {
  const UiText t = builtIn();
  EXPECT_EQ(t.text[43], "Save Cue sheet and edit with text editor");
  EXPECT_EQ(t.text[180],
            "How to install/activate the MPEG decoder \"libmpg123\"\n\n\n  - Install the Debian "
            "package \"libmpg123-0\" (sudo apt install libmpg123-0)\n\n  - Restart Quillane\n\n  "
            "- Go to \"Settings\" => \"Configure...\" => \"Devices\"\n\n  - Under \"MPEG Decoder\" "
            "select \"libmpg123\"");
  EXPECT_NE(t.text[182].find("\"libmp3lame0\""), std::string::npos);
  EXPECT_NE(t.text[182].find("Press F12 (or \"Settings\" => \"Configure...\" => \"Encoder\")"),
            std::string::npos);
  EXPECT_NE(t.text[182].find("Select \"LAME\" and adjust settings"), std::string::npos);
  for (int i : {43, 180, 182, 183}) {
    EXPECT_EQ(t.text[i].find("Notepad"), std::string::npos) << i;
    EXPECT_EQ(t.text[i].find(".dll"), std::string::npos) << i;
  }
  const std::string& turbo = t.text[183];
  EXPECT_EQ(std::count(turbo.begin(), turbo.end(), '\n'), 8);  // nine lines
  EXPECT_EQ(turbo.rfind("This incredible breakthrough lets you grab your old 33 rpm\n"
                        "longplay records with 45 rpm (1.35x) and saves 30% of your time!",
                        0),
            0u);
}

TEST(UiTextBuiltIn, SetBuiltInTextsClearsEverythingFirst) {
  UiText t;
  t.text[6] = "left over";
  t.loaded[6] = true;
  t.text[156] = "Fehler";
  t.loaded[156] = true;
  t.text[311] = "someone";
  t.loaded[311] = true;
  setBuiltInTexts(t);
  EXPECT_EQ(t.text[6], "");
  EXPECT_EQ(t.text[156], "Error");
  EXPECT_EQ(t.text[311], "");
  EXPECT_EQ(countLoaded(t), 0);
  EXPECT_EQ(countSet(t), 148);
}

TEST(UiTextBuiltIn, OutOfRangeIndicesGiveEmptyText) {
  const UiText t = builtIn();
  for (int i : {-1, -150, kUiTextCount, kUiTextCount + 1, INT_MIN, INT_MAX, 6, 312})
    EXPECT_EQ(uiText(t, i), "") << i;
}

// ---------------------------------------------------------------- keys and values

TEST_F(LanguageFile, KeysCountFromTheirGroupBase) {
  ASSERT_TRUE(load("men10=a\nwin3=b\nttp0=c\nmsg6=d\ncfg38=e\ndlg60=f\n"));
  EXPECT_EQ(table.text[10], "a");
  EXPECT_EQ(table.text[83], "b");
  EXPECT_EQ(table.text[120], "c");
  EXPECT_EQ(table.text[156], "d");
  EXPECT_EQ(table.text[228], "e");
  EXPECT_EQ(table.text[300], "f");
  EXPECT_EQ(changed(), (std::vector<int>{10, 83, 120, 156, 228, 300}));
  for (int i : changed()) EXPECT_TRUE(table.loaded[i]);
}

TEST_F(LanguageFile, ReplacesCaptionsAndLabels) {
  ASSERT_TRUE(load("msg6=Fehler\ndlg1=&Abbrechen\n"));
  EXPECT_EQ(uiText(table, ui::kMsgError), "Fehler");
  EXPECT_EQ(uiText(table, ui::kDlgCancel), "&Abbrechen");
  EXPECT_EQ(uiText(table, ui::kMsgWarning), "Warning");  // untouched neighbour
}

TEST_F(LanguageFile, HashBecomesLineBreak) {
  ASSERT_TRUE(load("msg23=one#two##three#\n"));
  EXPECT_EQ(table.text[173], "one\ntwo\n\nthree\n");
}

TEST_F(LanguageFile, KeysOutsideTheTableOrWithOtherPrefixesChangeNothing) {
  ASSERT_TRUE(load("men400=x\n"
                   "msg-200=x\n"
                   "msg-151=x\n"
                   "dlg73=x\n"          // 313
                   "xyz5=x\n"
                   "MEN10=x\n"          // case matters
                   "Msg6=x\n"
                   "me=x\n"
                   "=x\n"
                   " men10=x\n"         // leading blank: prefix " me"
                   "men99999999999999999999=x\n"
                   "men-99999999999999999999=x\n"
                   "msg18446744073709551773=x\n"   // 2^64 + 157 must not wrap to 157
                   "dlg4294967368=x\n"             // 2^32 + 72 must not wrap to 312
                   "men2147483648=x\n"));
  EXPECT_TRUE(changed().empty());
}

TEST_F(LanguageFile, KeysAtTheEdgesOfTheTable) {
  ASSERT_TRUE(load("msg-150=first\ndlg72=last\ncfg-1=189\n"));
  EXPECT_EQ(table.text[0], "first");
  EXPECT_EQ(table.text[312], "last");
  EXPECT_EQ(table.text[189], "189");
}

TEST_F(LanguageFile, KeyWithoutNumberNamesTheGroupBase) {
  ASSERT_TRUE(load("men=&Datei\n"));
  EXPECT_EQ(table.text[0], "&Datei");
  ASSERT_TRUE(load("msgx=caption\n"));  // no digits count as 0
  EXPECT_EQ(table.text[150], "caption");
  ASSERT_TRUE(load("men5a=Hilfe\n"));   // digits up to the first other character
  EXPECT_EQ(table.text[5], "Hilfe");
  ASSERT_TRUE(load("men 10 =spaced\n"));  // blanks before the number are skipped
  EXPECT_EQ(table.text[10], "spaced");
  ASSERT_TRUE(load("men+11=plus\n"));
  EXPECT_EQ(table.text[11], "plus");
}

TEST_F(LanguageFile, ValueIsEverythingAfterTheFirstEquals) {
  ASSERT_TRUE(load("msg6=a=b = c \nmsg7=\nmsg8==\n"));
  EXPECT_EQ(table.text[156], "a=b = c ");
  EXPECT_EQ(table.text[157], "");  // an empty value empties the entry
  EXPECT_TRUE(table.loaded[157]);
  EXPECT_EQ(table.text[158], "=");
}

TEST_F(LanguageFile, TabsInValuesAreKept) {
  ASSERT_TRUE(load("men10=&Oeffnen...\tStrg+O\n"));
  EXPECT_EQ(table.text[10], "&Oeffnen...\tStrg+O");
}

TEST_F(LanguageFile, LaterLinesReplaceEarlierOnes) {
  ASSERT_TRUE(load("msg6=first\nmsg6=second\n"));
  EXPECT_EQ(table.text[156], "second");
}

TEST_F(LanguageFile, SectionsCommentsAndBlankLinesAreIgnored) {
  ASSERT_TRUE(load("[Menu]\n; a comment\n// another\n\n   \nno equals sign here\n[msg6]\nmsg6=ok\n"
                   "# men10\n"));
  EXPECT_EQ(changed(), (std::vector<int>{156}));
}

TEST_F(LanguageFile, EntryFiveCanBeReplaced) {
  ASSERT_TRUE(load("men5=&Hilfe\n"));
  EXPECT_EQ(table.text[5], "&Hilfe");
  EXPECT_EQ(changed(), (std::vector<int>{5}));
}

TEST_F(LanguageFile, KeysCanReachEntriesWithoutBuiltInText) {
  ASSERT_TRUE(load("win0=Navigation\ncfg58=Quillane config\n"));
  EXPECT_EQ(table.text[80], "Navigation");
  EXPECT_EQ(table.text[248], "Quillane config");
}

// ---------------------------------------------------------------- header lines

TEST_F(LanguageFile, HeaderLinesSetTheLastThreeEntries) {
  ASSERT_TRUE(load("  Language:      Deutsch\n"
                   "  Edited by: Quillane developers\n"
                   "  Current program version:1.39\n"));
  EXPECT_EQ(table.text[ui::kLanguageName], "Deutsch");
  EXPECT_EQ(table.text[ui::kLanguageEditedBy], "Quillane developers");
  EXPECT_EQ(table.text[ui::kLanguageProgramVersion], "1.39");
  EXPECT_TRUE(table.loaded[310] && table.loaded[311] && table.loaded[312]);
  EXPECT_EQ(changed(), (std::vector<int>{310, 311, 312}));
}

TEST_F(LanguageFile, HeaderLabelsMustMatchExactly) {
  ASSERT_TRUE(load(" Language: one blank\n"
                   "   Language: three blanks\n"
                   "  language: lower case\n"
                   "\tLanguage: tab\n"
                   "  Edited by Someone\n"
                   "  Current program version 1.0\n"));
  EXPECT_TRUE(changed().empty());
}

TEST_F(LanguageFile, HeaderValueKeepsHashAndEqualsAndTrailingBlanks) {
  ASSERT_TRUE(load("  Language: Deutsch=de #1  \r\n  Edited by:\n"));
  EXPECT_EQ(table.text[310], "Deutsch=de #1  ");
  EXPECT_EQ(table.text[311], "");
  EXPECT_TRUE(table.loaded[311]);
}

TEST_F(LanguageFile, KeysCanReplaceHeaderValues) {
  ASSERT_TRUE(load("  Language: Deutsch\ndlg70=Neutsch\n"));
  EXPECT_EQ(table.text[310], "Neutsch");
}

// ---------------------------------------------------------------- line ends and long lines

TEST_F(LanguageFile, CrLfAndLfGiveTheSameTable) {
  const std::string lf = "  Language: X\n[Menu]\nmen0=&Datei\nmsg23=a#b\nmsg6=Fehler\n";
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  ASSERT_TRUE(load(lf));
  const UiText fromLf = table;
  ASSERT_TRUE(load(crlf));
  EXPECT_EQ(table.text, fromLf.text);
  EXPECT_EQ(table.loaded, fromLf.loaded);
  EXPECT_EQ(table.text[156], "Fehler");
  EXPECT_EQ(table.text[310], "X");
}

TEST_F(LanguageFile, LastLineWithoutLineEndIsKeptWhole) {
  ASSERT_TRUE(load("msg7=Warnung\nmsg6=Fehler"));
  EXPECT_EQ(table.text[156], "Fehler");
  ASSERT_TRUE(load("msg7=Warnung\r\n  Language: Deutsch"));
  EXPECT_EQ(table.text[310], "Deutsch");
  ASSERT_TRUE(load("msg6=x"));
  EXPECT_EQ(table.text[156], "x");
}

TEST_F(LanguageFile, OnlyTheLineEndIsRemoved) {
  ASSERT_TRUE(load("msg6=a\r\r\nmsg7=b\rc\n"));
  EXPECT_EQ(table.text[156], "a\r");
  EXPECT_EQ(table.text[157], "b\rc");
}

TEST_F(LanguageFile, LineOf799CharactersIsOneLine) {
  const std::string value(793, 'x');  // "msg6=" + 793 + "\n" = 799
  ASSERT_TRUE(load("msg6=" + value + "\nmsg7=next\n"));
  EXPECT_EQ(table.text[156], value);
  EXPECT_EQ(table.text[157], "next");
}

TEST_F(LanguageFile, LongerLinesContinueAsFurtherLines) {
  // 799 characters without the line end: the piece is kept whole, the lone
  // line end that follows is an empty line.
  ASSERT_TRUE(load("msg6=" + std::string(794, 'x') + "\nmsg7=next\n"));
  EXPECT_EQ(table.text[156], std::string(794, 'x'));
  EXPECT_EQ(table.text[157], "next");

  // The rest of a long physical line is read as a line of its own.
  ASSERT_TRUE(load("msg6=" + std::string(794, 'y') + "msg8=tail\n"));
  EXPECT_EQ(table.text[156], std::string(794, 'y'));
  EXPECT_EQ(table.text[158], "tail");

  // A very long line: 799-character pieces; only the first has a key.
  ASSERT_TRUE(load("msg6=" + std::string(100000, 'z') + "\nmsg7=after\n"));
  EXPECT_EQ(table.text[156], std::string(794, 'z'));
  EXPECT_EQ(table.text[157], "after");
  EXPECT_EQ(changed(), (std::vector<int>{156, 157}));
}

TEST_F(LanguageFile, CrLfSplitByTheLimit) {
  // "msg6=" + 793 + "\r\n" is 800 characters: the CR is the 799th.
  ASSERT_TRUE(load("msg6=" + std::string(793, 'x') + "\r\nmsg7=next\r\n"));
  EXPECT_EQ(table.text[156], std::string(793, 'x'));
  EXPECT_EQ(table.text[157], "next");
}

TEST_F(LanguageFile, LimitCountsCharactersNotBytes) {
  const std::string ae = "\xC3\xA4";  // ä in UTF-8
  std::string utf8Value;
  for (int i = 0; i < 794; ++i) utf8Value += ae;
  ASSERT_TRUE(load("msg6=" + utf8Value + "\nmsg7=next\n"));
  EXPECT_EQ(table.text[156], utf8Value);
  EXPECT_EQ(table.text[157], "next");
  // The same text in Windows-1252 gives the same entry.
  ASSERT_TRUE(load("msg6=" + std::string(794, '\xE4') + "\nmsg7=next\n"));
  EXPECT_EQ(table.text[156], utf8Value);
  // And a piece never ends inside a character.
  ASSERT_TRUE(load("msg6=" + utf8Value + ae + ae + "\n"));
  EXPECT_EQ(table.text[156], utf8Value);
  EXPECT_TRUE(isValidUtf8(table.text[156]));
}

// ---------------------------------------------------------------- encodings

TEST_F(LanguageFile, Utf8AndWindows1252FilesGiveTheSameTexts) {
  ASSERT_TRUE(load("msg8=Nicht m\xC3\xB6glich\nmen11=&Schlie\xC3\x9F" "en\n  Language: Fran\xC3\xA7" "ais\n"));
  const UiText fromUtf8 = table;
  ASSERT_TRUE(load("msg8=Nicht m\xF6glich\nmen11=&Schlie\xDF" "en\n  Language: Fran\xE7" "ais\n"));
  EXPECT_EQ(table.text, fromUtf8.text);
  EXPECT_EQ(table.text[158], "Nicht m\xC3\xB6glich");
  EXPECT_EQ(table.text[11], "&Schlie\xC3\x9F" "en");
  EXPECT_EQ(table.text[310], "Fran\xC3\xA7" "ais");
}

TEST_F(LanguageFile, Windows1252SpecialCharacters) {
  ASSERT_TRUE(load("msg6=\x80 \x93quoted\x94 \x85\n"));
  EXPECT_EQ(table.text[156], "\xE2\x82\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\xA6");
}

TEST_F(LanguageFile, MixedFileIsReadAsWindows1252Throughout) {
  // One line is UTF-8, another Windows-1252: the file is not valid UTF-8, so
  // every line is taken as Windows-1252, the UTF-8 line included.
  ASSERT_TRUE(load("msg6=Gr\xC3\xB6\xC3\x9F" "e\nmsg7=Gr\xF6\xDF" "e\n"));
  EXPECT_EQ(table.text[156], "Gr\xC3\x83\xC2\xB6\xC3\x83\xC5\xB8" "e");
  EXPECT_EQ(table.text[157], "Gr\xC3\xB6\xC3\x9F" "e");
  for (const auto& s : table.text) EXPECT_TRUE(isValidUtf8(s));
}

TEST_F(LanguageFile, ByteOrderMarkDoesNotHideTheFirstLine) {
  ASSERT_TRUE(load("\xEF\xBB\xBF  Language: Deutsch\r\nmsg6=Fehler\r\n"));
  EXPECT_EQ(table.text[310], "Deutsch");
  EXPECT_EQ(table.text[156], "Fehler");
  ASSERT_TRUE(load("\xEF\xBB\xBFmen0=&Datei\n"));
  EXPECT_EQ(table.text[0], "&Datei");
  EXPECT_EQ(table.text[0].find("\xEF\xBB\xBF"), std::string::npos);
}

// ---------------------------------------------------------------- garbage

TEST_F(LanguageFile, NulBytesEndTheTextOfTheirLine) {
  const char kContent[] = "msg6=Fe\0hler\nmsg7=W\0\0\0\nmsg8=ok\n\0msg6=hidden\nmen0\0=x\n";
  ASSERT_TRUE(load(std::string(kContent, sizeof kContent - 1)));
  EXPECT_EQ(table.text[156], "Fe");
  EXPECT_EQ(table.text[157], "W");
  EXPECT_EQ(table.text[158], "ok");
  EXPECT_EQ(changed(), (std::vector<int>{156, 157, 158}));
  ASSERT_TRUE(load(std::string(5000, '\0')));
  EXPECT_TRUE(changed().empty());
}

TEST_F(LanguageFile, EmptyFileLoadsAndChangesNothing) {
  EXPECT_TRUE(load(""));
  EXPECT_TRUE(changed().empty());
}

TEST_F(LanguageFile, RandomBytesNeverBreakTheTable) {
  std::mt19937 rng(8231u);
  // Biased towards the characters that drive the reader.
  const std::string alphabet = "mensgwitpcfdl0123456789-+=#\r\n  :\xE4\xC3\xB6\x80\xEF\xBB\xBF";
  std::uniform_int_distribution<int> anyByte(0, 255);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 3000);
  std::bernoulli_distribution biased(0.8);
  const UiText reference = builtIn();
  for (int round = 0; round < 300; ++round) {
    std::string content(static_cast<size_t>(length(rng)), '\0');
    for (char& c : content) c = biased(rng) ? alphabet[pick(rng)] : static_cast<char>(anyByte(rng));
    ASSERT_TRUE(load(content)) << "round " << round;
    for (int i = 0; i < kUiTextCount; ++i) {
      if (!table.loaded[i]) {
        ASSERT_EQ(table.text[i], reference.text[i]) << "round " << round << " entry " << i;
      } else {
        ASSERT_TRUE(isValidUtf8(table.text[i])) << "round " << round << " entry " << i;
        ASSERT_EQ(table.text[i].find('\0'), std::string::npos);
        ASSERT_LE(table.text[i].size(), 799u * 4u);
      }
    }
  }
}

// ---------------------------------------------------------------- files and folders

TEST(LanguageFolders, FirstFolderThatHasTheFileWins) {
  test::TempDir root;
  const fs::path a = root / "a", b = root / "b", c = root / "c";
  fs::create_directories(a);
  fs::create_directories(b);
  fs::create_directories(c);
  writeText(b / "lanX.ini", "msg6=from b\n");
  writeText(c / "lanX.ini", "msg6=from c\n");
  UiText t = builtIn();
  ASSERT_TRUE(loadLanguageFile(t, "X", {a, b, c}));
  EXPECT_EQ(t.text[156], "from b");
  t = builtIn();
  ASSERT_TRUE(loadLanguageFile(t, "X", {c, b}));
  EXPECT_EQ(t.text[156], "from c");
  // A folder named like the file is not the file.
  fs::create_directories(a / "lanX.ini");
  t = builtIn();
  ASSERT_TRUE(loadLanguageFile(t, "X", {a, b}));
  EXPECT_EQ(t.text[156], "from b");
  // A missing folder is passed over.
  t = builtIn();
  ASSERT_TRUE(loadLanguageFile(t, "X", {root / "missing", c}));
  EXPECT_EQ(t.text[156], "from c");
}

TEST(LanguageFolders, FileNameIsLanPlusNamePlusIni) {
  test::TempDir root;
  writeText(root / "lanDeutsch.ini", "msg6=Fehler\n");
  writeText(root / "Deutsch.ini", "msg6=wrong\n");
  writeText(root / "landeutsch.ini", "msg6=wrong case\n");
  UiText t = builtIn();
  ASSERT_TRUE(loadLanguageFile(t, "Deutsch", {root.path()}));
  EXPECT_EQ(t.text[156], "Fehler");
  t = builtIn();
  EXPECT_FALSE(loadLanguageFile(t, "Francais", {root.path()}));
  EXPECT_FALSE(loadLanguageFile(t, "", {root.path()}));
  EXPECT_FALSE(loadLanguageFile(t, "Deutsch", {}));
  EXPECT_EQ(countLoaded(t), 0);
  EXPECT_EQ(t.text, builtIn().text);
}

TEST(LanguageFolders, NamesWithPathSeparatorsAreRefused) {
  test::TempDir root;
  fs::create_directories(root / "lansub");
  writeText(root / "lansub" / "x.ini", "msg6=escaped\n");
  UiText t = builtIn();
  EXPECT_FALSE(loadLanguageFile(t, "sub/x", {root.path()}));
  EXPECT_FALSE(loadLanguageFile(t, std::string("sub\0x", 5), {root.path()}));
  EXPECT_EQ(t.text[156], "Error");
}

TEST(LanguageFolders, ShippedGermanFile) {
  const fs::path languages = fs::path(QUILLANE_SOURCE_DATA_DIR) / "Languages";
  const test::Bytes bytes = test::readBytes(languages / "lanDeutsch.ini");
  const std::string raw(bytes.begin(), bytes.end());
  EXPECT_FALSE(isValidUtf8(raw)) << "the file is meant to be Windows-1252";
  EXPECT_NE(raw.find("\r\n"), std::string::npos);
  EXPECT_NE(raw.find("[Menu]"), std::string::npos);

  UiText t;
  std::string language = "Deutsch";
  loadUiText(t, language, {languages});
  EXPECT_EQ(language, "Deutsch");
  EXPECT_EQ(t.text[310], "Deutsch");
  EXPECT_EQ(t.text[311], "Quillane developers");
  EXPECT_EQ(t.text[312], "1.39");
  EXPECT_EQ(t.text[156], "Fehler");
  EXPECT_EQ(t.text[0], "&Datei");
  EXPECT_EQ(t.text[158], "Nicht m\xC3\xB6glich");
  EXPECT_EQ(t.text[10], "&\xC3\x96" "ffnen...\tStrg+O");
  EXPECT_NE(t.text[173].find('\n'), std::string::npos);
  EXPECT_EQ(t.text[165], "While saving %d file(s) %d sync error(s) occured.");  // not translated
  for (int i = 0; i < kUiTextCount; ++i) {
    EXPECT_TRUE(isValidUtf8(t.text[i])) << i;
    EXPECT_EQ(t.text[i].find('\r'), std::string::npos) << i;
  }
}

// ---------------------------------------------------------------- start-up and release

TEST(UiTextStartUp, LanguageSettingIsKeptOnlyWhenTheFileLoads) {
  test::TempDir root;
  writeText(root / "lanDeutsch.ini", "msg6=Fehler\n");

  UiText t;
  std::string language = "Deutsch";
  loadUiText(t, language, {root.path()});
  EXPECT_EQ(language, "Deutsch");
  EXPECT_EQ(t.text[156], "Fehler");
  EXPECT_EQ(t.text[157], "Warning");

  // A second start-up begins from the built-ins again.
  language = "Klingonisch";
  loadUiText(t, language, {root.path()});
  EXPECT_EQ(language, "");
  EXPECT_EQ(t.text, builtIn().text);
  EXPECT_EQ(countLoaded(t), 0);

  language.clear();
  loadUiText(t, language, {root.path()});
  EXPECT_EQ(language, "");
  EXPECT_EQ(t.text, builtIn().text);
  EXPECT_EQ(t.text[0], "&File");
}

TEST(UiTextStartUp, ReleaseEmptiesLoadedEntriesOnly) {
  test::TempDir root;
  writeText(root / "lanX.ini", "msg6=Fehler\nwin0=Nav\n  Language: X\n");
  UiText t;
  std::string language = "X";
  loadUiText(t, language, {root.path()});
  ASSERT_EQ(countLoaded(t), 3);
  releaseUiText(t);
  EXPECT_EQ(countLoaded(t), 0);
  EXPECT_EQ(t.text[156], "");  // released, not restored
  EXPECT_EQ(t.text[80], "");
  EXPECT_EQ(t.text[310], "");
  EXPECT_EQ(t.text[157], "Warning");
  EXPECT_EQ(countSet(t), 147);
  releaseUiText(t);  // a second release is harmless
  EXPECT_EQ(countSet(t), 147);
}

// A language file's text is filled without printf: "%s" and a "%d" beyond the
// numbers stay as they are, "%%" is one "%".
TEST(UiTextNumber, PercentDsTakeTheNumbersInOrder) {
  EXPECT_EQ(withNumbers("%d entries were left out.", {3}), "3 entries were left out.");
  EXPECT_EQ(withNumbers("Left out: %d", {-9223372036854775807LL - 1}), "Left out: -9223372036854775808");
  EXPECT_EQ(withNumbers("%s %d %d 100%% %", {7}), "%s 7 %d 100% %");
  EXPECT_EQ(withNumbers("While saving %d file(s) %d sync error(s) occured.", {2, 5}),
            "While saving 2 file(s) 5 sync error(s) occured.");
  EXPECT_EQ(withNumbers("%d", {}), "%d");
  EXPECT_EQ(withNumbers("no number", {7}), "no number");
  EXPECT_EQ(withNumbers("", {7}), "");
}

}  // namespace
}  // namespace quillane
