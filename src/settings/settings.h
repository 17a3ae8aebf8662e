#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quillane {

// Every user preference, one member per key of the settings file, named
// exactly as the key and declared in the order the file lists them.
struct Settings {
  std::array<std::string, 6> file_recent;  // file_recent1..6, newest first
  int32_t window_x = 40;
  int32_t window_y = 40;
  int32_t window_w = 660;
  int32_t window_h = 430;
  uint8_t device_out = 0;
  uint8_t buffer_max = 32;
  uint8_t buffer_frm = 4;
  int32_t use_mpglib = 0;
  int32_t high_pri = 0;
  int32_t warn = 1;
  int32_t showtt = 1;
  std::string language;
  int32_t keep_id3v2 = 1;  // a save keeps the ID3v2 tag (title, artist, cover) of its source
  int32_t write_xing = 1;
  int32_t big_timer = 0;
  int32_t big_relative = 0;
  int32_t show_milisec = 0;
  int32_t db_scale = 0;
  int32_t bitrate_graph = 0;
  uint8_t level_height = 40;
  int32_t margin = 0;
  int32_t autoselect = 1;
  uint8_t mouse_method = 1;
  uint8_t zoomlevel = 4;
  uint16_t frameskiplo = 383;
  uint16_t frameskiphi = 2297;
  uint16_t autocue = 120;
  uint8_t silence_level = 30;
  uint8_t silence_duration = 5;
  uint16_t silence_skip = 0;
  uint8_t silence_offset = 50;
  int32_t rgb_background = 14203269;  // 0xD8B985, Windows colour: red lowest
  int32_t rgb_mpeg = 8388608;         // 0x800000
  int32_t rgb_cuts = 16512;           // 0x004080
  int32_t rgb_cursor = 65535;         // 0x00FFFF
  int32_t rgb_vumeter = 65280;        // 0x00FF00
  int32_t rgb_selection = 16777088;   // 0xFFFF80
  int32_t rgb_actual = 33023;         // 0x0080FF
  std::string file_savepath = "Recording";
  std::string split_name = "Track %N";
  int32_t split_id3v11 = 0;
  int32_t split_sample_accurate = 1;  // "Sample-accurate split pieces": gapless pieces (SaveState::sampleAccurate)
  std::string version;  // version of the program that wrote the file read
  int32_t rec_adddate = 0;
  int32_t rec_appenddata = 0;
  uint8_t device_in = 0;
  int32_t peakbeep = 0;
  uint8_t enc_type = 0;
  int32_t enc_acm_bitrate = 128000;
  int32_t enc_acm_samplerate = 44100;
  uint8_t enc_acm_channels = 2;
  int32_t enc_acm_highquality = 0;
  uint16_t enc_acm_blocksize = 417;
  int32_t enc_lam_samplerate = 44100;
  uint8_t enc_lam_mode = 1;
  uint16_t enc_lam_bitrate = 128;
  uint16_t enc_lam_bitrate_max = 320;
  int32_t enc_lam_quality = 0;
  int32_t enc_lam_vbr_method = -1;
  uint8_t enc_lam_vbr_quality = 4;
  uint16_t enc_lam_abr_bitrate = 100;
};

// The version this program writes into the file.
constexpr const char* kSettingsVersion = "1.39";

// Longest texts kept when reading; longer values are cut.
constexpr std::size_t kSettingsPathMax = 499;      // file_recent1..6, file_savepath
constexpr std::size_t kSettingsLanguageMax = 29;
constexpr std::size_t kSettingsSplitNameMax = 199;
constexpr std::size_t kSettingsVersionMax = 36;

// Clears every member (texts empty, numbers 0), then sets the defaults.
void setDefaultSettings(Settings& settings);
// The defaults, then whatever the file holds.
void resetSettings(Settings& settings, const std::filesystem::path& file);
// Reads the file over the current values; false when there is no readable file.
// Every number is held within its member's type and then within what the program
// can use: window positions within -32768..32767 and sides within 100..32767
// (the window fits them to the screens at start), counts and levels within the
// ranges of their dialogs and menus, flags 0 or 1 (any other number is 1), colours
// to their low 24 bits.
bool readSettings(Settings& settings, const std::filesystem::path& file);
// Writes every key atomically (temporary file, then rename); false when it
// could not write, in which case an existing file is left as it was.
bool writeSettings(const Settings& settings, const std::filesystem::path& file);

}  // namespace quillane
