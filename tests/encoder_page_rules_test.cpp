#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/encoder_page_rules.h"

namespace quillane {
namespace {

using Strings = std::vector<std::string>;

TEST(EncoderPageRules, BitrateListsFollowTheSampleRateAndTheVbrMethod) {
  struct Case {
    int32_t sampleRate;
    int32_t vbrMethod;
    const char* first;
    const char* last;
    const char* firstMax;
    const char* lastMax;
  };
  for (const Case c : {Case{22050, -1, "8 kbit/s", "160 kbit/s", "Max 8 kbit/s", "Max 160 kbit/s"},
                       Case{44100, -1, "32 kbit/s", "320 kbit/s", "Max 32 kbit/s", "Max 320 kbit/s"},
                       Case{32000, -1, "32 kbit/s", "320 kbit/s", "Max 32 kbit/s", "Max 320 kbit/s"},
                       Case{24000, 0, "8 kbit/s (min)", "160 kbit/s (min)", "Max 8 kbit/s", "Max 160 kbit/s"},
                       Case{48000, 4, "32 kbit/s (min)", "320 kbit/s (min)", "Max 32 kbit/s", "Max 320 kbit/s"},
                       Case{16000, 2, "8 kbit/s (min)", "160 kbit/s (min)", "Max 8 kbit/s", "Max 160 kbit/s"}}) {
    SCOPED_TRACE(testing::Message() << c.sampleRate << " Hz, VBR method " << c.vbrMethod);
    Settings s;
    s.enc_lam_samplerate = c.sampleRate;
    s.enc_lam_vbr_method = c.vbrMethod;
    const EncoderLists lists = encoderListsFill(s);
    ASSERT_EQ(lists[kLameBitrate].size(), 14u);
    ASSERT_EQ(lists[kLameMaxBitrate].size(), 14u);
    EXPECT_EQ(lists[kLameBitrate].front(), c.first);
    EXPECT_EQ(lists[kLameBitrate].back(), c.last);
    EXPECT_EQ(lists[kLameMaxBitrate].front(), c.firstMax);
    EXPECT_EQ(lists[kLameMaxBitrate].back(), c.lastMax);
  }
  Settings s;
  s.enc_lam_samplerate = 22050;
  EXPECT_EQ(encoderListsFill(s)[kLameBitrate][12], "144 kbit/s");  // only MPEG-2 has 144
  s.enc_lam_samplerate = 44100;
  EXPECT_EQ(encoderListsFill(s)[kLameBitrate][12], "256 kbit/s");
}

TEST(EncoderPageRules, TheFixedListsInTheirOrder) {
  const EncoderLists lists = encoderListsFill(Settings{});
  EXPECT_EQ(lists[kLameSampleRate], (Strings{"48000 Hz", "44100 Hz", "32000 Hz", "24000 Hz", "22050 Hz", "16000 Hz"}));
  EXPECT_EQ(lists[kLameMode], (Strings{"Stereo", "Joint Stereo", "Mono"}));
  EXPECT_EQ(lists[kLameQuality], (Strings{"Normal quality", "Low quality", "High quality", "Very high quality",
                                          "Voice quality", "'R3Mix' quality (VBR)"}));
  EXPECT_EQ(lists[kLameVbrMethod], (Strings{"CBR - Constant bitrate", "VBR 'default' method", "VBR 'old' method",
                                            "VBR 'new' method", "'MTRH'", "ABR - Average bitrate"}));
  EXPECT_EQ(lists[kLameVbrQuality],
            (Strings{"VBR quality 0 (best)", "VBR quality 1", "VBR quality 2", "VBR quality 3",
                     "VBR quality 4 (default)", "VBR quality 5", "VBR quality 6", "VBR quality 7", "VBR quality 8",
                     "VBR quality 9 (smallest)"}));
}

TEST(EncoderPageRules, RefreshSelectsTheStoredValuesAndPutsOddOnesRight) {
  struct Case {
    const char* what;
    int32_t sampleRate;
    uint16_t bitrate, maxBitrate;
    uint8_t mode;
    int32_t quality, vbrMethod;
    uint8_t vbrQuality;
    EncoderSelections expected;
    uint8_t expectMode;
    int32_t expectQuality, expectVbrMethod;
  };
  const Case cases[] = {
      {"defaults", 44100, 128, 320, 1, 0, -1, 4, {8, 1, 1, 0, 13, 0, 4}, 1, 0, -1},
      {"stereo, 22050 Hz", 22050, 8, 160, 0, 1, 0, 0, {0, 4, 0, 1, 13, 1, 0}, 0, 1, 0},
      {"mono, very high", 48000, 320, 32, 3, 5, 3, 9, {13, 0, 2, 3, 0, 4, 9}, 3, 5, 3},
      {"dual channel becomes joint", 44100, 128, 320, 2, 2, -1, 4, {8, 1, 1, 2, 13, 0, 4}, 1, 2, -1},
      {"voice", 16000, 64, 64, 1, 3, 4, 4, {7, 5, 1, 4, 7, 5, 4}, 1, 3, 4},
      {"'R3Mix' runs the new VBR method", 44100, 128, 320, 1, 4, -1, 4, {8, 1, 1, 5, 13, 3, 4}, 1, 4, 2},
      {"'R3Mix' over ABR", 44100, 128, 320, 1, 4, 4, 4, {8, 1, 1, 5, 13, 3, 4}, 1, 4, 2},
      {"unknown quality becomes normal", 44100, 128, 320, 1, 9, -1, 4, {8, 1, 1, 0, 13, 0, 4}, 1, 0, -1},
      {"negative quality becomes normal", 44100, 128, 320, 1, -2, -1, 4, {8, 1, 1, 0, 13, 0, 4}, 1, 0, -1},
      // A bit rate the table of the rate lacks, and values out of every list, select nothing.
      {"320 kbit/s at 22050 Hz", 22050, 320, 144, 1, 0, -1, 4, {-1, 4, 1, 0, 12, 0, 4}, 1, 0, -1},
      {"8 kbit/s at 44100 Hz", 44100, 8, 8, 1, 0, -1, 4, {-1, 1, 1, 0, -1, 0, 4}, 1, 0, -1},
      {"unknown rate", 11025, 32, 160, 1, 0, 7, 12, {3, -1, 1, 0, 13, -1, -1}, 1, 0, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s;
    s.enc_lam_samplerate = c.sampleRate;
    s.enc_lam_bitrate = c.bitrate;
    s.enc_lam_bitrate_max = c.maxBitrate;
    s.enc_lam_mode = c.mode;
    s.enc_lam_quality = c.quality;
    s.enc_lam_vbr_method = c.vbrMethod;
    s.enc_lam_vbr_quality = c.vbrQuality;
    normaliseEncoderSettings(s);
    EXPECT_EQ(encoderListSelections(s, encoderListsFill(s)), c.expected);
    EXPECT_EQ(s.enc_lam_mode, c.expectMode);
    EXPECT_EQ(s.enc_lam_quality, c.expectQuality);
    EXPECT_EQ(s.enc_lam_vbr_method, c.expectVbrMethod);
  }
}

TEST(EncoderPageRules, AListEntryStoresItsValueAndANewRateOrMethodRefills) {
  struct Case {
    EncoderList list;
    int index;
    int32_t sampleRate;  // before
    bool refill;
    int32_t Settings::*wide;      // the setting changed, when it is 32 bits wide
    uint16_t Settings::*narrow;   // ... or 16
    uint8_t Settings::*byte;      // ... or 8
    int expect;
  };
  const Case cases[] = {
      {kLameBitrate, 0, 44100, false, nullptr, &Settings::enc_lam_bitrate, nullptr, 32},
      {kLameBitrate, 13, 44100, false, nullptr, &Settings::enc_lam_bitrate, nullptr, 320},
      {kLameBitrate, 0, 22050, false, nullptr, &Settings::enc_lam_bitrate, nullptr, 8},
      {kLameBitrate, 12, 22050, false, nullptr, &Settings::enc_lam_bitrate, nullptr, 144},
      {kLameMaxBitrate, 13, 24000, false, nullptr, &Settings::enc_lam_bitrate_max, nullptr, 160},
      {kLameMaxBitrate, 9, 32000, false, nullptr, &Settings::enc_lam_bitrate_max, nullptr, 160},
      {kLameSampleRate, 0, 44100, true, &Settings::enc_lam_samplerate, nullptr, nullptr, 48000},
      {kLameSampleRate, 4, 44100, true, &Settings::enc_lam_samplerate, nullptr, nullptr, 22050},
      {kLameSampleRate, 5, 44100, true, &Settings::enc_lam_samplerate, nullptr, nullptr, 16000},
      {kLameMode, 0, 44100, false, nullptr, nullptr, &Settings::enc_lam_mode, 0},
      {kLameMode, 1, 44100, false, nullptr, nullptr, &Settings::enc_lam_mode, 1},
      {kLameMode, 2, 44100, false, nullptr, nullptr, &Settings::enc_lam_mode, 3},
      {kLameQuality, 0, 44100, false, &Settings::enc_lam_quality, nullptr, nullptr, 0},
      {kLameQuality, 3, 44100, false, &Settings::enc_lam_quality, nullptr, nullptr, 5},
      {kLameQuality, 4, 44100, false, &Settings::enc_lam_quality, nullptr, nullptr, 3},
      {kLameQuality, 5, 44100, false, &Settings::enc_lam_quality, nullptr, nullptr, 4},
      {kLameVbrMethod, 0, 44100, true, &Settings::enc_lam_vbr_method, nullptr, nullptr, -1},
      {kLameVbrMethod, 5, 44100, true, &Settings::enc_lam_vbr_method, nullptr, nullptr, 4},
      {kLameVbrQuality, 0, 44100, false, nullptr, nullptr, &Settings::enc_lam_vbr_quality, 0},
      {kLameVbrQuality, 9, 44100, false, nullptr, nullptr, &Settings::enc_lam_vbr_quality, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "list " << kFirstEncoderListId + c.list << " entry " << c.index);
    Settings s;
    s.enc_lam_samplerate = c.sampleRate;
    EXPECT_EQ(chooseEncoderListEntry(s, c.list, c.index), c.refill);
    const int stored = c.wide ? s.*c.wide : c.narrow ? s.*c.narrow : s.*c.byte;
    EXPECT_EQ(stored, c.expect);
    // The entry shows as chosen at the next refresh.
    normaliseEncoderSettings(s);
    EXPECT_EQ(encoderListSelections(s, encoderListsFill(s))[c.list], c.index);
  }
  // No entry (-1) or one past the end changes nothing.
  for (int list = 0; list < kEncoderListCount; ++list) {
    for (const int index : {-1, 14}) {
      Settings s;
      EXPECT_FALSE(chooseEncoderListEntry(s, static_cast<EncoderList>(list), index));
      const Settings d;
      EXPECT_TRUE(s.enc_lam_bitrate == d.enc_lam_bitrate && s.enc_lam_bitrate_max == d.enc_lam_bitrate_max &&
                  s.enc_lam_samplerate == d.enc_lam_samplerate && s.enc_lam_mode == d.enc_lam_mode &&
                  s.enc_lam_quality == d.enc_lam_quality && s.enc_lam_vbr_method == d.enc_lam_vbr_method &&
                  s.enc_lam_vbr_quality == d.enc_lam_vbr_quality)
          << list << " " << index;
    }
  }
}

TEST(EncoderPageRules, Choosing22050HzThen44100HzRefillsTheBitrates) {
  Settings s;
  ASSERT_TRUE(chooseEncoderListEntry(s, kLameSampleRate, 4));
  EncoderLists lists = encoderListsFill(s);
  EXPECT_EQ(lists[kLameBitrate].front(), "8 kbit/s");
  EXPECT_EQ(lists[kLameBitrate].back(), "160 kbit/s");
  ASSERT_TRUE(chooseEncoderListEntry(s, kLameSampleRate, 1));
  lists = encoderListsFill(s);
  EXPECT_EQ(lists[kLameBitrate].front(), "32 kbit/s");
  EXPECT_EQ(lists[kLameBitrate].back(), "320 kbit/s");
}

TEST(EncoderPageRules, R3mixSwitchesTheVbrMethodToNewAtTheNextRefresh) {
  Settings s;
  ASSERT_EQ(s.enc_lam_vbr_method, -1);
  EXPECT_FALSE(chooseEncoderListEntry(s, kLameQuality, 5));
  EXPECT_EQ(s.enc_lam_quality, 4);
  normaliseEncoderSettings(s);
  EXPECT_EQ(s.enc_lam_vbr_method, 2);
  const EncoderLists lists = encoderListsFill(s);
  EXPECT_EQ(lists[kLameVbrMethod][encoderListSelections(s, lists)[kLameVbrMethod]], "VBR 'new' method");
  EXPECT_EQ(lists[kLameBitrate].front(), "32 kbit/s (min)");
}

TEST(EncoderPageRules, AddDateAndAppendAreNeverBothOn) {
  struct Case {
    int32_t date, append;     // before
    bool togglesDate;         // which box is clicked
    int32_t expectDate, expectAppend;
  };
  for (const Case c : {Case{0, 0, true, 1, 0}, Case{0, 0, false, 0, 1}, Case{0, 1, true, 1, 0}, Case{1, 0, false, 0, 1},
                       Case{1, 0, true, 0, 0}, Case{0, 1, false, 0, 0}, Case{1, 1, true, 0, 1},
                       Case{1, 1, false, 1, 0}}) {
    SCOPED_TRACE(testing::Message() << c.date << c.append << (c.togglesDate ? " date" : " append"));
    Settings s;
    s.rec_adddate = c.date;
    s.rec_appenddata = c.append;
    if (c.togglesDate) {
      toggleAddDate(s);
    } else {
      toggleAppend(s);
    }
    EXPECT_EQ(s.rec_adddate, c.expectDate);
    EXPECT_EQ(s.rec_appenddata, c.expectAppend);
  }
}

TEST(EncoderPageRules, TypedAbrIsHeldWithin8And320) {
  struct Case {
    const char* typed;
    uint16_t expect;
  };
  for (const Case c : {Case{"400", 320}, Case{"3", 8}, Case{"", 8}, Case{"0", 8}, Case{"8", 8}, Case{"320", 320},
                       Case{"128", 128}, Case{" 96", 96}, Case{"abc", 8}, Case{"-50", 8},
                       Case{"99999999999999999999", 320}, Case{"65536", 320}})
    EXPECT_EQ(abrFromTyped(c.typed), c.expect) << '"' << c.typed << '"';
}

TEST(EncoderPageRules, AnEncoderThatWasNotFoundIsNotLeftChosen) {
  struct Case {
    uint8_t type;
    bool lame;
    const char* system;
    bool accepts;
    uint8_t expect;
  };
  for (const Case c : {Case{2, false, "libmp3lame", true, 0}, Case{2, true, "", false, 2},
                       Case{1, true, "", false, 0}, Case{1, true, "libmp3lame", false, 0},
                       Case{1, false, "libshine", true, 1}, Case{0, false, "", false, 0},
                       Case{0, true, "libmp3lame", true, 0}}) {
    SCOPED_TRACE(testing::Message() << int(c.type) << " lame " << c.lame << " system '" << c.system << "' "
                                    << c.accepts);
    Settings s;
    s.enc_type = c.type;
    EncoderProbes probes;
    probes.lameFound = c.lame;
    probes.systemEncoder = c.system;
    probes.systemAcceptsFormat = c.accepts;
    applyEncoderProbes(s, probes);
    EXPECT_EQ(s.enc_type, c.expect);
  }
}

TEST(EncoderPageRules, TheSwitchesTextsSayWhatWasFound) {
  EncoderProbes probes;
  EXPECT_EQ(lameSwitchText(probes, "Use", "not found"), "libmp3lame not found");
  EXPECT_EQ(systemSwitchText(probes, "Use", "not found"), "FFmpeg not found");
  EXPECT_EQ(lameSwitchText(probes, "Verwende", "nicht gefunden"), "libmp3lame nicht gefunden");

  probes.lameFound = true;
  probes.lameVersion = "3.100";
  probes.lameEngineMajor = 1;
  probes.lameEngineMinor = 0;
  EXPECT_EQ(lameSwitchText(probes, "Use", "not found"), "Use libmp3lame: Version 3.100, Engine 1.0");
  probes.lameSimd = true;
  EXPECT_EQ(lameSwitchText(probes, "Verwende", "nicht gefunden"), "Verwende libmp3lame: Version 3.100, Engine 1.0, MMX");

  probes.systemEncoder = "libshine";
  EXPECT_EQ(systemSwitchText(probes, "Use", "not found"), "Use FFmpeg (libshine)");
}

TEST(EncoderPageRules, SystemFormatTextInWholeThousands) {
  EXPECT_EQ(systemFormatText(128000, 44100, 2), " 128 kbps, 44 kHz, Stereo");
  EXPECT_EQ(systemFormatText(64000, 22050, 1), " 64 kbps, 22 kHz, Mono");
  EXPECT_EQ(systemFormatText(320000, 48000, 2), " 320 kbps, 48 kHz, Stereo");
  EXPECT_EQ(systemFormatText(8000, 8000, 1), " 8 kbps, 8 kHz, Mono");
  EXPECT_EQ(systemFormatText(7999, 999, 0), " 7 kbps, 0 kHz, Stereo");
}

TEST(EncoderPageRules, ControlsAreEnabledForTheChosenEncoderAndNotWhileRecording) {
  // "1" enabled, "0" disabled; positions: 601 602 603 604 621 623 624, 651..657, 681.
  struct Case {
    uint8_t type;
    int32_t vbrMethod;
    bool recording;
    bool lame;
    const char* system;
    const char* expect;
  };
  const Case cases[] = {
      {0, -1, false, true, "libmp3lame", "1101011 0000000 0"},
      {2, -1, false, true, "libmp3lame", "1101011 1111010 0"},
      {2, 0, false, true, "libmp3lame", "1101011 1111111 0"},
      {2, 3, false, true, "libmp3lame", "1101011 1111111 0"},
      {2, 4, false, true, "libmp3lame", "1101011 1111110 1"},
      {1, 4, false, true, "libmp3lame", "1111111 0000000 0"},
      {1, -1, false, false, "libshine", "0111111 0000000 0"},
      {0, -1, false, false, "", "0001011 0000000 0"},
      {2, 4, true, true, "libmp3lame", "0000000 0000000 0"},
      {1, -1, true, true, "libmp3lame", "0000000 0000000 0"},
  };
  for (const Case& c : cases) {
    Settings s;
    s.enc_type = c.type;
    s.enc_lam_vbr_method = c.vbrMethod;
    EncoderProbes probes;
    probes.lameFound = c.lame;
    probes.systemEncoder = c.system;
    const EncoderControls on = encoderControls(s, c.recording, probes);
    std::string got;
    for (const bool b : {on.lameSwitch, on.systemSwitch, on.systemFormat, on.baseName, on.systemHighQuality,
                         on.addDate, on.append})
      got += b ? '1' : '0';
    got += ' ';
    for (const bool b : on.lists) got += b ? '1' : '0';
    got += ' ';
    got += on.abr ? '1' : '0';
    EXPECT_EQ(got, c.expect) << "enc_type " << int(c.type) << ", VBR method " << c.vbrMethod
                             << (c.recording ? ", recording" : "");
  }
}

TEST(EncoderPageRules, ChoosingAnEncoderWaitsForTheRecordingToEnd) {
  Settings s;
  chooseEncoder(s, kEncoderLame, false);
  EXPECT_EQ(s.enc_type, 2);
  chooseEncoder(s, kEncoderSystem, true);
  EXPECT_EQ(s.enc_type, 2);
  chooseEncoder(s, kEncoderSystem, false);
  EXPECT_EQ(s.enc_type, 1);
}

TEST(EncoderPageRules, TheBaseNameIsTheChosenNameWithoutItsExtension) {
  EXPECT_EQ(recordBaseName("/home/u/Music/take.mp3"), "/home/u/Music/take");
  EXPECT_EQ(recordBaseName("/home/u/Music/take.MP3"), "/home/u/Music/take");
  EXPECT_EQ(recordBaseName("/a b/x.mp3"), "/a b/x");
  EXPECT_EQ(recordBaseName(".mp3"), "");
  EXPECT_EQ(recordBaseName("mp3"), "");
  EXPECT_EQ(recordBaseName(""), "");
}

}  // namespace
}  // namespace quillane
