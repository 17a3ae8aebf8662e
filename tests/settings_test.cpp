#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/tiny_disk.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A fresh folder under the system's temporary folder, removed afterwards.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "quillane-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    file_ = dir_ / "quillane.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  void writeRaw(const std::string& bytes) const { writeRawTo(file_, bytes); }
  static void writeRawTo(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  static std::string readRaw(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  Settings readBack() const {
    Settings s;
    resetSettings(s, file_);
    return s;
  }

  fs::path dir_;
  fs::path file_;
};

// The file written from the defaults, key by key in the file's order.
const char* const kDefaultFileLines[] = {
    "[Quillane]",
    "file_recent1=",
    "file_recent2=",
    "file_recent3=",
    "file_recent4=",
    "file_recent5=",
    "file_recent6=",
    "window_x=40",
    "window_y=40",
    "window_w=660",
    "window_h=430",
    "device_out=0",
    "buffer_max=32",
    "buffer_frm=4",
    "use_mpglib=0",
    "high_pri=0",
    "warn=1",
    "showtt=1",
    "language=",
    "keep_id3v2=1",
    "write_xing=1",
    "big_timer=0",
    "big_relative=0",
    "show_milisec=0",
    "db_scale=0",
    "bitrate_graph=0",
    "level_height=40",
    "margin=0",
    "autoselect=1",
    "mouse_method=1",
    "zoomlevel=4",
    "frameskiplo=383",
    "frameskiphi=2297",
    "autocue=120",
    "silence_level=30",
    "silence_duration=5",
    "silence_skip=0",
    "silence_offset=50",
    "rgb_background=14203269",
    "rgb_mpeg=8388608",
    "rgb_cuts=16512",
    "rgb_cursor=65535",
    "rgb_vumeter=65280",
    "rgb_selection=16777088",
    "rgb_actual=33023",
    "file_savepath=Recording",
    "split_name=Track %N",
    "split_id3v11=0",
    "split_sample_accurate=1",
    "version=1.39",
    "rec_adddate=0",
    "rec_appenddata=0",
    "device_in=0",
    "peakbeep=0",
    "enc_type=0",
    "enc_acm_bitrate=128000",
    "enc_acm_samplerate=44100",
    "enc_acm_channels=2",
    "enc_acm_highquality=0",
    "enc_acm_blocksize=417",
    "enc_lam_samplerate=44100",
    "enc_lam_mode=1",
    "enc_lam_bitrate=128",
    "enc_lam_bitrate_max=320",
    "enc_lam_quality=0",
    "enc_lam_vbr_method=-1",
    "enc_lam_vbr_quality=4",
    "enc_lam_abr_bitrate=100",
};

// Splits at CR LF; a line end of any other kind stays inside the line.
std::vector<std::string> splitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Every member set to a value differing from its default (and from 0).
Settings everyMemberChanged() {
  Settings s;
  for (int i = 0; i < 6; ++i) s.file_recent[i] = "/music/album " + std::to_string(i + 1) + "/song.mp3";
  s.window_x = -1200;
  s.window_y = -7;
  s.window_w = 1920;
  s.window_h = 1080;
  s.device_out = 3;
  s.buffer_max = 64;
  s.buffer_frm = 8;
  s.use_mpglib = 1;
  s.high_pri = 1;
  s.warn = 0;
  s.showtt = 0;
  s.language = "Deutsch";
  s.keep_id3v2 = 0;  // the default keeps the ID3v2 tag
  s.write_xing = 0;
  s.big_timer = 1;
  s.big_relative = 1;
  s.show_milisec = 1;
  s.db_scale = 1;
  s.bitrate_graph = 1;
  s.level_height = 160;
  s.margin = 1;
  s.autoselect = 0;
  s.mouse_method = 0;
  s.zoomlevel = 8;
  s.frameskiplo = 1000;
  s.frameskiphi = 10000;
  s.autocue = 300;
  s.silence_level = 100;
  s.silence_duration = 30;
  s.silence_skip = 600;
  s.silence_offset = 100;
  s.rgb_background = 1;
  s.rgb_mpeg = 2;
  s.rgb_cuts = 3;
  s.rgb_cursor = 4;
  s.rgb_vumeter = 5;
  s.rgb_selection = 6;
  s.rgb_actual = 0xFFFFFF;
  s.file_savepath = "/home/u/Recordings/live";
  s.split_name = "%A - %T (%N)";
  s.split_id3v11 = 1;
  s.split_sample_accurate = 0;
  s.rec_adddate = 1;
  s.rec_appenddata = 1;
  s.device_in = 2;
  s.peakbeep = 1;
  s.enc_type = 2;
  s.enc_acm_bitrate = 64000;
  s.enc_acm_samplerate = 22050;
  s.enc_acm_channels = 1;
  s.enc_acm_highquality = 1;
  s.enc_acm_blocksize = 209;
  s.enc_lam_samplerate = 48000;
  s.enc_lam_mode = 3;
  s.enc_lam_bitrate = 192;
  s.enc_lam_bitrate_max = 256;
  s.enc_lam_quality = 5;
  s.enc_lam_vbr_method = 4;
  s.enc_lam_vbr_quality = 0;
  s.enc_lam_abr_bitrate = 160;
  return s;
}

#define EXPECT_ALL_MEMBERS_EQ(a, b)                                 \
  do {                                                              \
    EXPECT_EQ((a).file_recent, (b).file_recent);                    \
    EXPECT_EQ((a).window_x, (b).window_x);                          \
    EXPECT_EQ((a).window_y, (b).window_y);                          \
    EXPECT_EQ((a).window_w, (b).window_w);                          \
    EXPECT_EQ((a).window_h, (b).window_h);                          \
    EXPECT_EQ((a).device_out, (b).device_out);                      \
    EXPECT_EQ((a).buffer_max, (b).buffer_max);                      \
    EXPECT_EQ((a).buffer_frm, (b).buffer_frm);                      \
    EXPECT_EQ((a).use_mpglib, (b).use_mpglib);                      \
    EXPECT_EQ((a).high_pri, (b).high_pri);                          \
    EXPECT_EQ((a).warn, (b).warn);                                  \
    EXPECT_EQ((a).showtt, (b).showtt);                              \
    EXPECT_EQ((a).language, (b).language);                          \
    EXPECT_EQ((a).keep_id3v2, (b).keep_id3v2);                      \
    EXPECT_EQ((a).write_xing, (b).write_xing);                      \
    EXPECT_EQ((a).big_timer, (b).big_timer);                        \
    EXPECT_EQ((a).big_relative, (b).big_relative);                  \
    EXPECT_EQ((a).show_milisec, (b).show_milisec);                  \
    EXPECT_EQ((a).db_scale, (b).db_scale);                          \
    EXPECT_EQ((a).bitrate_graph, (b).bitrate_graph);                \
    EXPECT_EQ((a).level_height, (b).level_height);                  \
    EXPECT_EQ((a).margin, (b).margin);                              \
    EXPECT_EQ((a).autoselect, (b).autoselect);                      \
    EXPECT_EQ((a).mouse_method, (b).mouse_method);                  \
    EXPECT_EQ((a).zoomlevel, (b).zoomlevel);                        \
    EXPECT_EQ((a).frameskiplo, (b).frameskiplo);                    \
    EXPECT_EQ((a).frameskiphi, (b).frameskiphi);                    \
    EXPECT_EQ((a).autocue, (b).autocue);                            \
    EXPECT_EQ((a).silence_level, (b).silence_level);                \
    EXPECT_EQ((a).silence_duration, (b).silence_duration);          \
    EXPECT_EQ((a).silence_skip, (b).silence_skip);                  \
    EXPECT_EQ((a).silence_offset, (b).silence_offset);              \
    EXPECT_EQ((a).rgb_background, (b).rgb_background);              \
    EXPECT_EQ((a).rgb_mpeg, (b).rgb_mpeg);                          \
    EXPECT_EQ((a).rgb_cuts, (b).rgb_cuts);                          \
    EXPECT_EQ((a).rgb_cursor, (b).rgb_cursor);                      \
    EXPECT_EQ((a).rgb_vumeter, (b).rgb_vumeter);                    \
    EXPECT_EQ((a).rgb_selection, (b).rgb_selection);                \
    EXPECT_EQ((a).rgb_actual, (b).rgb_actual);                      \
    EXPECT_EQ((a).file_savepath, (b).file_savepath);                \
    EXPECT_EQ((a).split_name, (b).split_name);                      \
    EXPECT_EQ((a).split_id3v11, (b).split_id3v11);                  \
    EXPECT_EQ((a).split_sample_accurate, (b).split_sample_accurate);  \
    EXPECT_EQ((a).rec_adddate, (b).rec_adddate);                    \
    EXPECT_EQ((a).rec_appenddata, (b).rec_appenddata);              \
    EXPECT_EQ((a).device_in, (b).device_in);                        \
    EXPECT_EQ((a).peakbeep, (b).peakbeep);                          \
    EXPECT_EQ((a).enc_type, (b).enc_type);                          \
    EXPECT_EQ((a).enc_acm_bitrate, (b).enc_acm_bitrate);            \
    EXPECT_EQ((a).enc_acm_samplerate, (b).enc_acm_samplerate);      \
    EXPECT_EQ((a).enc_acm_channels, (b).enc_acm_channels);          \
    EXPECT_EQ((a).enc_acm_highquality, (b).enc_acm_highquality);    \
    EXPECT_EQ((a).enc_acm_blocksize, (b).enc_acm_blocksize);        \
    EXPECT_EQ((a).enc_lam_samplerate, (b).enc_lam_samplerate);      \
    EXPECT_EQ((a).enc_lam_mode, (b).enc_lam_mode);                  \
    EXPECT_EQ((a).enc_lam_bitrate, (b).enc_lam_bitrate);            \
    EXPECT_EQ((a).enc_lam_bitrate_max, (b).enc_lam_bitrate_max);    \
    EXPECT_EQ((a).enc_lam_quality, (b).enc_lam_quality);            \
    EXPECT_EQ((a).enc_lam_vbr_method, (b).enc_lam_vbr_method);      \
    EXPECT_EQ((a).enc_lam_vbr_quality, (b).enc_lam_vbr_quality);    \
    EXPECT_EQ((a).enc_lam_abr_bitrate, (b).enc_lam_abr_bitrate);    \
  } while (false)

TEST_F(SettingsFileTest, WithoutFileEveryMemberHasItsDefault) {
  Settings s = everyMemberChanged();
  s.version = "0.9";
  resetSettings(s, dir_ / "missing.ini");
  EXPECT_ALL_MEMBERS_EQ(s, Settings{});
  EXPECT_EQ(s.version, "");
  EXPECT_FALSE(readSettings(s, dir_ / "missing.ini"));
  EXPECT_FALSE(readSettings(s, dir_));  // a folder is no settings file
  ASSERT_EQ(::mkfifo((dir_ / "pipe.ini").c_str(), 0600), 0);
  EXPECT_FALSE(readSettings(s, dir_ / "pipe.ini"));  // nor a pipe: it is not even opened

  Settings t = everyMemberChanged();
  setDefaultSettings(t);
  EXPECT_EQ(t.window_w, 660);
  EXPECT_EQ(t.frameskiphi, 2297);
  EXPECT_EQ(t.rgb_background, 0xD8B985);
  EXPECT_EQ(t.rgb_mpeg, 0x800000);
  EXPECT_EQ(t.rgb_cuts, 0x004080);
  EXPECT_EQ(t.rgb_cursor, 0x00FFFF);
  EXPECT_EQ(t.rgb_vumeter, 0x00FF00);
  EXPECT_EQ(t.rgb_selection, 0xFFFF80);
  EXPECT_EQ(t.rgb_actual, 0x0080FF);
  EXPECT_EQ(t.file_savepath, "Recording");
  EXPECT_EQ(t.split_name, "Track %N");
  EXPECT_EQ(t.enc_lam_vbr_method, -1);
  for (const auto& entry : t.file_recent) EXPECT_EQ(entry, "");
}

TEST_F(SettingsFileTest, FirstWrittenFileListsEveryKeyInOrderWithCrLf) {
  Settings s;
  resetSettings(s, file_);
  ASSERT_TRUE(writeSettings(s, file_));
  const std::string text = readRaw(file_);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  const std::vector<std::string> lines = splitCrLf(text);
  const std::size_t expected = std::size(kDefaultFileLines);
  ASSERT_EQ(lines.size(), expected);
  for (std::size_t i = 0; i < expected; ++i) {
    EXPECT_EQ(lines[i], kDefaultFileLines[i]) << "line " << i + 1;
  }
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // no bare LF anywhere
  EXPECT_EQ(fs::exists(file_.string() + ".tmp"), false);
}

TEST_F(SettingsFileTest, VersionIsAlwaysWrittenAsThisProgramsVersion) {
  Settings s;
  s.version = "1.20";
  ASSERT_TRUE(writeSettings(s, file_));
  EXPECT_NE(readRaw(file_).find("\r\nversion=1.39\r\n"), std::string::npos);
  Settings back = readBack();
  EXPECT_EQ(back.version, kSettingsVersion);
}

TEST_F(SettingsFileTest, RoundTripRestoresEveryMemberIncludingKeepId3v2) {
  const Settings original = everyMemberChanged();
  ASSERT_TRUE(writeSettings(original, file_));
  const Settings back = readBack();
  EXPECT_ALL_MEMBERS_EQ(back, original);
  EXPECT_EQ(back.keep_id3v2, 0);
  EXPECT_EQ(back.version, "1.39");

  // Writing what was read gives the very same bytes.
  const std::string first = readRaw(file_);
  ASSERT_TRUE(writeSettings(back, file_));
  EXPECT_EQ(readRaw(file_), first);
}

TEST_F(SettingsFileTest, RoundTripKeepsUtf8AndLongestTexts) {
  Settings s;
  s.language = std::string(29, 'L');
  s.split_name = std::string(199, 'S');
  s.file_savepath = "/home/jürgen/Aufnahmen/" + std::string(499 - 24, 'p');
  ASSERT_EQ(s.file_savepath.size(), 499u);
  s.file_recent[0] = "/musik/Café del Mar – Ñ.mp3";
  s.file_recent[5] = "/" + std::string(498, 'r');
  ASSERT_TRUE(writeSettings(s, file_));
  const Settings back = readBack();
  EXPECT_EQ(back.language, s.language);
  EXPECT_EQ(back.split_name, s.split_name);
  EXPECT_EQ(back.file_savepath, s.file_savepath);
  EXPECT_EQ(back.file_recent[0], s.file_recent[0]);
  EXPECT_EQ(back.file_recent[5], s.file_recent[5]);
}

TEST_F(SettingsFileTest, SampleAccuratePiecesAreOnlyOnForNewSettings) {
  Settings fresh;
  resetSettings(fresh, dir_ / "missing.ini");
  EXPECT_EQ(fresh.split_sample_accurate, 1);
  // Written by a version without the setting: its frame-exact pieces stay.
  writeRaw("split_name=Track %N\r\nsplit_id3v11=1\r\n");
  EXPECT_EQ(readBack().split_sample_accurate, 0);
  writeRaw("split_sample_accurate=1\r\n");
  EXPECT_EQ(readBack().split_sample_accurate, 1);
  // A file this version wrote holds the key, whatever its value.
  ASSERT_TRUE(writeSettings(fresh, file_));
  EXPECT_EQ(readBack().split_sample_accurate, 1);
}

TEST_F(SettingsFileTest, ReadsOtherOrderBlankLinesCommentsAndUnknownKeys) {
  writeRaw(
      "; written by hand\r\n"
      "\r\n"
      "zoomlevel=2\r\n"
      "# another comment\r\n"
      "Window_X=999\r\n"           // keys are compared with their case
      " window_y=999\r\n"          // and exactly: a blank belongs to the key
      "unknown_key=5\r\n"
      "warn=0\r\n"
      "file_recent3=/a/b.mp3\r\n"
      "\r\n"
      "[Other]\r\n"
      "window_x=12\r\n"
      "language=Fran=cais\r\n"    // the key ends at the first "="
      "split_name=\r\n"
      "window_h\r\n"              // no "=": skipped
      "window_w=  +250xyz\r\n");  // blanks, sign, stop at the first non-digit
  const Settings s = readBack();
  EXPECT_EQ(s.zoomlevel, 2);
  EXPECT_EQ(s.window_x, 12);
  EXPECT_EQ(s.window_y, 40);
  EXPECT_EQ(s.warn, 0);
  EXPECT_EQ(s.file_recent[2], "/a/b.mp3");
  EXPECT_EQ(s.language, "Fran=cais");
  EXPECT_EQ(s.split_name, "");
  EXPECT_EQ(s.window_h, 430);
  EXPECT_EQ(s.window_w, 250);
  EXPECT_EQ(s.autoselect, 1);  // untouched keys keep their defaults
}

// Every number read is held within its member's type and then within what the
// program can use: window geometry within what any screen can hold, counts and
// levels within their dialogs' ranges, flags 0 or 1, colours 24 bits.
TEST_F(SettingsFileTest, HostileNumbersAreHeldWithinTheirLimits) {
  const std::string max64 = "9223372036854775807", min64 = "-9223372036854775808";
  const std::string beyond64 = "99999999999999999999999", two31 = "2147483648", two24 = "16777216";
  const struct {
    const char* key;
    std::string value;
    long long expected;
  } rows[] = {
      {"window_x", max64, 32767},         {"window_x", min64, -32768},        {"window_x", "4294967297", 32767},
      {"window_x", "-1200", -1200},       {"window_y", "-2147483649", -32768}, {"window_y", two24, 32767},
      {"window_w", beyond64, 32767},      {"window_w", "-25", 100},           {"window_w", "0", 100},
      {"window_w", "1920", 1920},         {"window_h", two24, 32767},         {"window_h", "-2147483648", 100},
      {"window_h", two31, 32767},         {"window_h", "1080", 1080},
      {"device_out", "300", 255},         {"device_out", "-1", 0},            {"device_in", max64, 255},
      {"buffer_max", "-1", 8},            {"buffer_max", "65", 64},           {"buffer_max", "40", 40},
      {"buffer_frm", "0", 1},             {"buffer_frm", "9", 8},             {"buffer_frm", "256", 8},
      {"use_mpglib", "7", 1},             {"warn", "-1", 1},                  {"showtt", "0", 0},
      {"keep_id3v2", min64, 1},           {"write_xing", beyond64, 1},        {"peakbeep", "2", 1},
      {"high_pri", "-7", 1},              {"big_timer", "3", 1},              {"big_relative", max64, 1},
      {"show_milisec", "10", 1},          {"db_scale", "1", 1},               {"bitrate_graph", "256", 1},
      {"margin", "65536", 1},             {"autoselect", "0", 0},             {"split_id3v11", two31, 1},
      {"split_sample_accurate", "-3", 1}, {"split_sample_accurate", "0", 0},
      {"rec_adddate", "-2147483648", 1},  {"rec_appenddata", "x", 0},
      {"level_height", "-200", 0},        {"level_height", "161", 160},       {"level_height", "60", 60},
      {"mouse_method", "2", 1},           {"mouse_method", "-", 0},           {"zoomlevel", "abc", 1},
      {"zoomlevel", "3", 2},              {"zoomlevel", "7", 4},              {"zoomlevel", "255", 8},
      {"zoomlevel", "-8", 1},             {"frameskiplo", "70000", 1000},     {"frameskiplo", "0", 1},
      {"frameskiplo", "383", 383},        {"frameskiphi", "5", 10},           {"frameskiphi", "40000", 10000},
      {"autocue", "-1", 0},               {"autocue", "70000", 65535},        {"autocue", "300", 300},
      {"silence_level", "0", 1},          {"silence_level", "101", 100},      {"silence_level", "\t 7", 7},
      {"silence_duration", "31", 30},     {"silence_duration", "0", 1},       {"silence_skip", "-5", 0},
      {"silence_skip", "65536", 65535},   {"silence_offset", "255", 100},     {"silence_offset", "-1", 0},
      {"rgb_background", "-1", 0xFFFFFF}, {"rgb_cursor", "4294967295", 0xFFFFFF},
      {"rgb_actual", "2147483647", 0xFFFFFF}, {"rgb_mpeg", "16777217", 1},    {"rgb_cuts", "16512", 16512},
      {"rgb_selection", min64, 0},        {"rgb_vumeter", "-16777216", 0},
      {"enc_type", "3", 2},               {"enc_type", "-1", 0},              {"enc_acm_bitrate", "0", 8000},
      {"enc_acm_bitrate", max64, 320000}, {"enc_acm_samplerate", "-44100", 8000},
      {"enc_acm_samplerate", "96000", 48000}, {"enc_acm_channels", "0", 1},  {"enc_acm_channels", "6", 2},
      {"enc_acm_highquality", "5", 1},    {"enc_acm_blocksize", "-1", 0},     {"enc_acm_blocksize", "70000", 65535},
      {"enc_lam_samplerate", "0", 8000},  {"enc_lam_mode", "9", 3},           {"enc_lam_bitrate", "+128", 128},
      {"enc_lam_bitrate", "1000", 320},   {"enc_lam_bitrate_max", "0", 8},    {"enc_lam_abr_bitrate", "400", 320},
      {"enc_lam_abr_bitrate", "3", 8},    {"enc_lam_quality", min64, 0},      {"enc_lam_quality", "6", 5},
      {"enc_lam_vbr_method", "-2", -1},   {"enc_lam_vbr_method", "5", 4},     {"enc_lam_vbr_quality", "10", 9},
  };
  // Every numeric key of the file is in the table.
  std::set<std::string> covered;
  for (const auto& row : rows) covered.insert(row.key);
  for (const char* line : kDefaultFileLines) {
    const std::string entry = line;
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = entry.substr(0, eq);
    const bool text = key.rfind("file_", 0) == 0 || key == "language" || key == "split_name" || key == "version";
    if (!text && !covered.count(key)) ADD_FAILURE() << key << " has no row";
  }
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.key) + "=" + row.value);
    writeRaw(std::string(row.key) + "=" + row.value + "\r\n");
    const Settings s = readBack();
    // The value, read back through the writer, as the file shows it.
    ASSERT_TRUE(writeSettings(s, dir_ / "back.ini"));
    const std::string written = readRaw(dir_ / "back.ini");
    const std::string wanted = "\r\n" + std::string(row.key) + "=" + std::to_string(row.expected) + "\r\n";
    EXPECT_NE(written.find(wanted), std::string::npos);
  }
}

TEST_F(SettingsFileTest, LongTextsAreCut) {
  const std::string forty = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";
  ASSERT_EQ(forty.size(), 40u);
  const std::string longPath = "/" + std::string(700, 'x');
  writeRaw("language=" + forty + "\r\n" +
           "split_name=" + std::string(250, 's') + "\r\n" +
           "version=" + std::string(50, '9') + "\r\n" +
           "file_recent1=" + longPath + "\r\n" +
           "file_recent6=" + longPath + "\n" +
           "file_savepath=" + longPath + "\r\n" +
           "window_x=77\r\n");
  const Settings s = readBack();
  EXPECT_EQ(s.language, forty.substr(0, 29));
  EXPECT_EQ(s.split_name, std::string(199, 's'));
  EXPECT_EQ(s.version, std::string(36, '9'));
  EXPECT_EQ(s.file_recent[0], longPath.substr(0, 499));
  EXPECT_EQ(s.file_recent[5], longPath.substr(0, 499));
  EXPECT_EQ(s.file_savepath, longPath.substr(0, 499));
  EXPECT_EQ(s.window_x, 77);  // the line after the long ones is still read
}

TEST_F(SettingsFileTest, CutNeverSplitsAUtf8Character) {
  // 28 ASCII bytes then a two-byte character: 29 bytes would split it.
  writeRaw("language=" + std::string(28, 'a') + "\xC3\xA9" + "zz\r\n");
  const Settings s = readBack();
  EXPECT_EQ(s.language, std::string(28, 'a'));
}

TEST_F(SettingsFileTest, LineLongerThanAnyBufferIsOneEntry) {
  // A very long line is neither split into further entries nor fatal.
  std::string line = "language=Norsk" + std::string(100000, ' ') + "window_x=5";
  writeRaw(line + "\r\n" + "window_y=6\r\n" + std::string(5000, 'q') + "window_w=7\r\n");
  const Settings s = readBack();
  EXPECT_EQ(s.language, "Norsk" + std::string(24, ' '));
  EXPECT_EQ(s.window_x, 40);
  EXPECT_EQ(s.window_y, 6);
  EXPECT_EQ(s.window_w, 660);  // the key of that line is 5000 q's and more
}

TEST_F(SettingsFileTest, LfOnlyFileAndLastLineWithoutLineEnd) {
  writeRaw("[Quillane]\nwindow_x=5\nlanguage=Dansk\nsplit_name=%N - %T");
  const Settings s = readBack();
  EXPECT_EQ(s.window_x, 5);
  EXPECT_EQ(s.language, "Dansk");
  EXPECT_EQ(s.split_name, "%N - %T");  // no character lost without a line end
}

TEST_F(SettingsFileTest, Windows1252TextsBecomeUtf8) {
  writeRaw("file_recent1=C:\\Musik\\B\xE4ren \x96 Live.mp3\r\n"
           "language=Fran\xE7" "ais\r\n"
           "file_recent2=/ok/\xC3\xA4.mp3\r\n");
  const Settings s = readBack();
  EXPECT_EQ(s.file_recent[0], "C:\\Musik\\B\xC3\xA4ren \xE2\x80\x93 Live.mp3");
  EXPECT_EQ(s.language, "Fran\xC3\xA7" "ais");
  EXPECT_EQ(s.file_recent[1], "/ok/\xC3\xA4.mp3");  // valid UTF-8 kept as it is
}

TEST_F(SettingsFileTest, GarbageBytesDoNotHurt) {
  std::string garbage;
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    garbage.push_back(static_cast<char>(x >> 24));
  }
  garbage += "\nwindow_x=3\r\nlanguage=\xFF\xFE\0\x01zz\r\n"s;
  writeRaw(garbage);
  Settings s;
  EXPECT_TRUE(readSettings(s, file_));
  EXPECT_EQ(s.window_x, 3);
  EXPECT_EQ(s.language, "\xC3\xBF\xC3\xBE");  // cut at the NUL, then converted
}

TEST_F(SettingsFileTest, WritingCreatesTheFolder) {
  const fs::path nested = dir_ / "config" / "quillane" / "quillane.ini";
  Settings s;
  s.window_x = 123;
  ASSERT_TRUE(writeSettings(s, nested));
  Settings back;
  ASSERT_TRUE(readSettings(back, nested));
  EXPECT_EQ(back.window_x, 123);
}

TEST_F(SettingsFileTest, FailedWriteLeavesExistingFileUntouched) {
  const std::string before = "[Quillane]\r\nwindow_x=1\r\n";
  writeRaw(before);
  Settings s;
  s.window_x = 2;

  // The disk is full: the old file stays whole, no temporary file is left.
  {
    test::TinyDisk disk(dir_ / "full", "4k");
    if (disk.mounted()) {
      const fs::path onDisk = disk.path() / "quillane.ini";
      writeRawTo(onDisk, before);
      writeRawTo(disk.path() / "filler", std::string(4096, 'x'));
      EXPECT_FALSE(writeSettings(s, onDisk));
      EXPECT_EQ(readRaw(onDisk), before);
      EXPECT_EQ(std::distance(fs::directory_iterator(disk.path()), {}), 2);
    }
  }

  // The folder can't be created: a file stands in its place.
  writeRawTo(dir_ / "blocker", "x");
  EXPECT_FALSE(writeSettings(s, dir_ / "blocker" / "quillane.ini"));

  // The target can't be replaced: it is a folder with contents.
  const fs::path folderTarget = dir_ / "taken.ini";
  fs::create_directories(folderTarget / "inside");
  EXPECT_FALSE(writeSettings(s, folderTarget));
  EXPECT_TRUE(fs::is_directory(folderTarget / "inside"));
  for (const auto& entry : fs::directory_iterator(dir_))  // no temporary file left
    EXPECT_EQ(entry.path().string().find("~~~"), std::string::npos) << entry.path();

  // A folder without write permission (permissions don't bind root).
  if (::geteuid() != 0) {
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(writeSettings(s, file_));
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(readRaw(file_), before);
  }

  // Once the way is clear, the file is replaced.
  EXPECT_TRUE(writeSettings(s, file_));
  Settings back;
  ASSERT_TRUE(readSettings(back, file_));
  EXPECT_EQ(back.window_x, 2);
}

TEST_F(SettingsFileTest, LineBreaksInsideTextsCannotForgeEntries) {
  Settings s;
  s.file_recent[0] = "/odd\nwindow_x=666\r\nname.mp3";
  ASSERT_TRUE(writeSettings(s, file_));
  const Settings back = readBack();
  EXPECT_EQ(back.window_x, 40);
  EXPECT_EQ(back.file_recent[0], "/oddwindow_x=666name.mp3");
  EXPECT_EQ(splitCrLf(readRaw(file_)).size(), std::size(kDefaultFileLines));
}

}  // namespace
}  // namespace quillane
