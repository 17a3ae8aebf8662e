#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/source_file.h"
#include "stream/frame_header.h"
#include "view/time_format.h"

namespace quillane::cli {
namespace {

struct InfoOptions {
  std::string path;
  bool json = false;
};

nlohmann::ordered_json describe(Session& session) {
  AudioStream& s = session.stream;
  // The first audio frame itself, decoded apart from the search state.
  uint8_t raw[4] = {};
  s.sourceFile.readAt(s.audioStart, raw, 4);
  const FrameHeader first = decodeFrameHeader(raw);
  const int64_t audioBytes = s.audioEnd - s.audioStart;

  nlohmann::ordered_json j;
  j["path"] = s.sourcePath;
  j["file_size"] = s.fileSize;
  j["audio_start"] = s.audioStart;
  j["audio_end"] = s.audioEnd;
  j["version"] = versionNumber(first.version);
  j["layer"] = first.layer;
  j["bitrate"] = first.bitrate;
  j["sample_rate"] = first.sampleRate;
  j["channel_mode"] = channelModeName(first.channelMode);
  j["crc"] = first.hasCrc;
  j["vbr_mode"] = s.vbrMode;
  j["xing_frames"] = s.xingFrames;
  j["avg_frame_size"] = s.avgFrameSize;
  j["avg_bitrate"] = s.avgBitrate;
  j["has_id3v1"] = s.hasId3v1;
  j["has_id3v2"] = s.hasId3v2;
  j["duration"] = static_cast<double>(audioBytes) * 8.0 / s.avgBitrate;
  j["duration_text"] = formatTime(audioBytes, s.avgBitrate, session.settings.show_milisec != 0);
  return j;
}

std::string plainValue(const nlohmann::ordered_json& value, const std::string& key) {
  if (value.is_string()) return value.get<std::string>();
  if (key == "version") {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", value.get<double>());
    return text;
  }
  return value.dump();
}

int runInfo(const InfoOptions& options) {
  Session session;
  if (const Problem problem = openAudioFile(session, options.path)) return failWith(*problem);
  const nlohmann::ordered_json info = describe(session);
  if (options.json) {
    std::cout << info.dump(2) << "\n";
  } else {
    for (const auto& [key, value] : info.items()) std::cout << key << ": " << plainValue(value, key) << "\n";
  }
  return kExitOk;
}

}  // namespace

void registerInfoCommand(CLI::App& app, CommandResult& result) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* info = app.add_subcommand("info", "Show what the scan of an MPEG audio file finds");
  info->add_option("FILE", options->path, "MP3 or MP2 file")->required()->check(kFileName);
  info->add_flag("--json", options->json, "One JSON object instead of key: value lines");
  info->callback([options, &result] { result.exitCode = runInfo(*options); });
}

}  // namespace quillane::cli
