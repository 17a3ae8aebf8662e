#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace quillane {

// The rules of the "Encoder [F12]" configuration page: the LAME option lists,
// which entry each shows for the settings, which controls may be used, what the
// page's events store, and the texts of its encoder switches.

// The seven LAME lists, in the order of their controls 651..657.
enum EncoderList : int {
  kLameBitrate,     // 651: CBR bit rate, the VBR minimum
  kLameSampleRate,  // 652
  kLameMode,        // 653
  kLameQuality,     // 654
  kLameMaxBitrate,  // 655: the VBR maximum
  kLameVbrMethod,   // 656
  kLameVbrQuality,  // 657
  kEncoderListCount
};
constexpr int kFirstEncoderListId = 651;

using EncoderLists = std::array<std::vector<std::string>, kEncoderListCount>;
// Entries selected in each list; -1 where the stored value has no entry.
using EncoderSelections = std::array<int, kEncoderListCount>;

// The lists' entries for the settings: the bit rates of MPEG-1 ("32 kbit/s" ..
// "320 kbit/s") from 32000 Hz up, of MPEG-2 ("8 kbit/s" .. "160 kbit/s") below,
// with " (min)" after each when a VBR method is chosen.
EncoderLists encoderListsFill(const Settings& settings);

// What a refresh puts right before it shows the settings: a mode other than
// stereo (0) or mono (3) becomes joint stereo (1); an unknown quality becomes
// normal (0); the 'R3Mix' quality (4) always runs the 'new' VBR method (2).
void normaliseEncoderSettings(Settings& settings);
// The entry each list shows for the (normalised) settings.
EncoderSelections encoderListSelections(const Settings& settings, const EncoderLists& lists);

// A final selection of entry `index` in list `list`: its value into the
// settings. True when the lists must be filled again (a new sample rate or VBR
// method changes the bit rates or their suffix).
bool chooseEncoderListEntry(Settings& settings, EncoderList list, int index);

// "Add date+time" (623) and "Append" (624) toggle their settings and exclude
// each other: turning one on turns the other off.
void toggleAddDate(Settings& settings);
void toggleAppend(Settings& settings);

// The ABR edit (681): the number typed (unsigned, leading digits) held within
// 8..320 kbit/s.
constexpr uint16_t kAbrLowest = 8;
constexpr uint16_t kAbrHighest = 320;
uint16_t abrFromTyped(const std::string& text);

// enc_type values: no encoder, the system's codec (FFmpeg), LAME.
constexpr uint8_t kEncoderNone = 0;
constexpr uint8_t kEncoderSystem = 1;
constexpr uint8_t kEncoderLame = 2;

// 601 / 602: LAME or the system's codec becomes the encoder of recordings,
// unless a recording is set up.
void chooseEncoder(Settings& settings, uint8_t encoder, bool recording);

// What the page found out about the two encoders when it opened.
struct EncoderProbes {
  bool lameFound = false;
  std::string lameVersion;  // "3.100"
  int lameEngineMajor = 0;
  int lameEngineMinor = 0;
  bool lameSimd = false;
  std::string systemEncoder;       // libavcodec's MP3 encoder ("libmp3lame"); empty: none
  bool systemAcceptsFormat = false;  // it can produce the enc_acm_* format
};

// An encoder the probes did not find is not left chosen: enc_type 2 without
// LAME, and 1 without a system codec that takes the stored format, become 0.
void applyEncoderProbes(Settings& settings, const EncoderProbes& probes);

// The switches' texts, with `use` (entry 215) and `notFound` (entry 216):
// "Use libmp3lame: Version 3.100, Engine 1.0[, MMX]" or "libmp3lame not found";
// "Use FFmpeg (libmp3lame)" or "FFmpeg not found".
std::string lameSwitchText(const EncoderProbes& probes, const std::string& use, const std::string& notFound);
std::string systemSwitchText(const EncoderProbes& probes, const std::string& use, const std::string& notFound);

// The system codec's format as button 603 and the compression list show it:
// " 128 kbps, 44 kHz, Stereo" (bit/s and Hz in whole thousands).
std::string systemFormatText(int32_t bitrate, int32_t sampleRate, int channels);

// Which of the page's controls can be used.
struct EncoderControls {
  bool lameSwitch = false;       // 601
  bool systemSwitch = false;     // 602
  bool systemFormat = false;     // 603
  bool baseName = false;         // 604
  bool systemHighQuality = false;  // 621
  bool addDate = false;          // 623
  bool append = false;           // 624
  std::array<bool, kEncoderListCount> lists{};  // 651..657
  bool abr = false;              // 681
};
// Nothing while a recording is set up; the LAME lists only with LAME chosen (the
// maximum bit rate only with VBR, the VBR quality only with a VBR method but
// ABR, the ABR edit only with ABR); the system codec's format and quality only
// with it chosen; the switches only for an encoder that was found.
EncoderControls encoderControls(const Settings& settings, bool recording, const EncoderProbes& probes);

// The base name of recordings from the name chosen in the file dialog: its last
// four characters (the ".mp3") cut off.
std::string recordBaseName(const std::string& chosen);

}  // namespace quillane
