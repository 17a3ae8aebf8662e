#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/test_files.h"

namespace quillane {
namespace {

using json = nlohmann::ordered_json;

test::CommandOutput cli(const std::string& args) {
  return test::runCommand(test::shellQuote(QUILLANE_CLI_PATH) + " " + args);
}

json infoJson(const std::string& name) {
  const auto run = cli("info --json " + test::shellQuote(test::dataPath(name).string()));
  EXPECT_EQ(run.status, 0) << run.err;
  return json::parse(run.out);
}

// What ffprobe says of the same file, for an independent check.
json probe(const std::string& name) {
  const auto run = test::runCommand(
      "ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate,channels,bit_rate:format=duration "
      "-of json " +
      test::shellQuote(test::dataPath(name).string()));
  EXPECT_EQ(run.status, 0) << run.err;
  return json::parse(run.out);
}

TEST(CliInfo, JsonHasExactlyTheDocumentedKeys) {
  const json j = infoJson("cbr128_info.mp3");
  std::vector<std::string> keys;
  for (const auto& [key, value] : j.items()) keys.push_back(key);
  const std::vector<std::string> expected = {
      "path",       "file_size",    "audio_start", "audio_end",      "version",     "layer",
      "bitrate",    "sample_rate",  "channel_mode", "crc",           "vbr_mode",    "xing_frames",
      "avg_frame_size", "avg_bitrate", "has_id3v1", "has_id3v2",     "duration",    "duration_text"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(j["file_size"], 48900);
  EXPECT_EQ(j["audio_start"], 417);
  EXPECT_EQ(j["audio_end"], 48900);
  EXPECT_EQ(j["version"], 1.0);
  EXPECT_EQ(j["layer"], 3);
  EXPECT_EQ(j["bitrate"], 128);
  EXPECT_EQ(j["sample_rate"], 44100);
  EXPECT_EQ(j["channel_mode"], "Joint Stereo");
  EXPECT_EQ(j["crc"], false);
  EXPECT_EQ(j["vbr_mode"], 0);
  EXPECT_EQ(j["xing_frames"], 0);
  EXPECT_EQ(j["has_id3v1"], false);
  EXPECT_EQ(j["has_id3v2"], false);
  EXPECT_EQ(j["duration_text"], "0'03.03");
  const double duration = j["duration"];
  EXPECT_NEAR(duration, (48900.0 - 417.0) * 8.0 / j["avg_bitrate"].get<double>(), 1e-9);
}

TEST(CliInfo, AgreesWithFfprobeOnEveryFile) {
  for (const char* name : {"cbr128_notag.mp3", "crc.mp3", "ffmpeg_cbr.mp3", "id3v1v2.mp3", "layer2_mpeg1.mp2",
                           "layer2_mpeg2.mp2", "mono.mp3", "mpeg25_8k.mp3", "mpeg2_22k.mp3", "sox_32k.mp3",
                           "speech.mp3", "vbr_xing.mp3", "vbr_notag.mp3"}) {
    const json j = infoJson(name);
    const json p = probe(name);
    const json& stream = p["streams"][0];
    EXPECT_EQ(j["sample_rate"], std::stoi(stream["sample_rate"].get<std::string>())) << name;
    EXPECT_EQ(j["channel_mode"] == "Mono", stream["channels"] == 1) << name;
    const double probed = std::stod(p["format"]["duration"].get<std::string>());
    const double tolerance = j["vbr_mode"] == 1 ? 0.5 : 0.05;  // a sampled VBR average is rough
    EXPECT_NEAR(j["duration"].get<double>(), probed, probed * tolerance) << name;
    if (j["vbr_mode"] == 0) {
      EXPECT_EQ(j["bitrate"].get<int>() * 1000, std::stoi(stream["bit_rate"].get<std::string>())) << name;
    }
  }
  EXPECT_EQ(infoJson("crc.mp3")["crc"], true);
  EXPECT_EQ(infoJson("mpeg25_8k.mp3")["version"], 2.5);
  EXPECT_EQ(infoJson("mpeg2_22k.mp3")["version"], 2.0);
  EXPECT_EQ(infoJson("vbr_xing.mp3")["xing_frames"], 155);
  EXPECT_EQ(infoJson("vbr_xing.mp3")["vbr_mode"], 2);
  EXPECT_EQ(infoJson("id3v1v2.mp3")["has_id3v1"], true);
  EXPECT_EQ(infoJson("id3v1v2.mp3")["has_id3v2"], true);
  EXPECT_EQ(infoJson("layer2_mpeg1.mp2")["layer"], 2);
}

TEST(CliInfo, TextOutputIsOneKeyValueLinePerField) {
  const auto run = cli("info " + test::shellQuote(test::dataPath("mono.mp3").string()));
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\nversion: 1.0\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nchannel_mode: Mono\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nhas_id3v1: false\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nduration_text: 0'03.03\n"), std::string::npos);
  int lines = 0;
  for (char c : run.out) lines += c == '\n';
  EXPECT_EQ(lines, 18);
}

TEST(CliInfo, ExitStatusAndMessages) {
  auto layer1 = cli("info " + test::shellQuote(test::dataPath("layer1.mp1").string()));
  EXPECT_EQ(layer1.status, 1);
  EXPECT_TRUE(layer1.out.empty());
  EXPECT_NE(layer1.err.find("layer1.mp1"), std::string::npos);
  EXPECT_NE(layer1.err.find("no MPEG audio frames"), std::string::npos);

  auto missing = cli("info /nonexistent/file.mp3 --json");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("/nonexistent/file.mp3: No such file or directory"), std::string::npos) << missing.err;

  auto text = cli("info " + test::shellQuote(test::dataPath("README.md").string()));
  EXPECT_EQ(text.status, 1);

  EXPECT_EQ(cli("").status, 2);
  EXPECT_EQ(cli("info").status, 2);
  EXPECT_EQ(cli("info --bogus x.mp3").status, 2);
  EXPECT_EQ(cli("frobnicate").status, 2);
  const auto help = cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("info"), std::string::npos);
  const auto version = cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("1.39"), std::string::npos);
}

}  // namespace
}  // namespace quillane
