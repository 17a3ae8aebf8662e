#include <algorithm>
#include <vector>

#include "audio/decoder.h"
#include "audio/wav_writer.h"
#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/edit_options.h"
#include "cli/output_file.h"
#include "cli/progress.h"
#include "cli/source_file.h"

namespace quillane::cli {
namespace {

struct DecodeOptions {
  std::string source;
  std::string out;
  EditOptions edits;
  std::string selection;
  std::string decoder;
  bool force = false;
};


int runDecode(const DecodeOptions& o, const CLI::App& command) {
  Session session;
  CliHost host;
  if (const Problem problem = openEditedSource(session, host, o.source, command, o.edits)) return failWith(*problem);
  if (const Problem problem = applySelection(session, o.selection)) return failWith(*problem);
  applyDecoderOption(session, o.decoder);
  if (const Problem problem = checkOutput(session, o.out, o.force)) return failWith(*problem);

  AudioStream& stream = session.stream;
  const bool selection = !o.selection.empty() && session.edits.hasSelection();
  const int64_t begin = selection ? session.edits.selection.beg : stream.audioStart;
  // The last frame decoded: the one at the selection's end (included), else the last.
  const int64_t last = selection ? session.edits.selection.end : stream.audioEnd;
  int64_t position = findCurrentFrame(stream, begin);
  if (position >= stream.audioEnd) return failWith(o.source + ": no audio frames");

  // As the player opens it: the block size follows the frames' length.
  const uint32_t blockSize = applyBufferSizing(session.settings, stream.currentHeader);
  // A selection is decoded frame by frame so that it ends exactly after its last frame.
  if (selection) session.settings.buffer_frm = 1;
  session.prelistenMode = 0;
  Decoder decoder;
  if (const DecoderError error = decoderOpen(session, decoder, blockSize); error != DecoderError::None) {
    if (error == DecoderError::NoAudio) return failWith(o.source + ": the decoders read Layer II and III only");
    return failWith(decoderErrorText(error));
  }

  const PcmFormat& format = pcmFormat(decoder);
  WriteTarget target;
  target.path = o.out;
  target.existing = o.force ? ExistingFile::Replace : ExistingFile::Refuse;
  target.source = identityOf(stream.sourceFile.descriptor());
  WavWriter wav;
  if (!wav.open(target, format.channels, format.samplesPerSecond)) {
    decoderClose(decoder);
    return failWith(wav.error());
  }
  std::vector<uint8_t> block(pcmBufferSize(decoder));
  ProgressBar bar("Decoding");
  const int64_t span = std::max<int64_t>(last - position, 1);
  const int64_t first = position;
  bool ok = true;
  while (!selection || position <= last) {
    const int bytes = decoderFill(session, host, decoder, position, block.data());
    if (bytes <= 0) break;
    if (!wav.write(block.data(), static_cast<size_t>(bytes))) {
      ok = false;
      break;
    }
    bar.update(static_cast<int>(std::min<int64_t>(100, (position - first) * 100 / span)));
  }
  bar.done();
  decoderClose(decoder);
  if (!ok) {
    const std::string reason = wav.error();
    wav.close();
    return failWith(reason);
  }
  if (!wav.close()) return failWith(wav.error());
  return kExitOk;
}

}  // namespace

void addDecoderOption(CLI::App& command, std::string& decoder) {
  command.add_option("--decoder", decoder, "The decoder: system (FFmpeg) or mpg123 (libmpg123)")
      ->check(CLI::IsMember({"system", "mpg123"}))
      ->type_name("system|mpg123");
}

int decoderOpenFailure(const CliHost& host) {
  // The decoder's own messages already went to stderr through the host.
  if (host.lastMessage.empty()) return failWith("the decoder could not be opened");
  return kExitFailure;
}

void applyDecoderOption(Session& session, const std::string& decoder) {
  if (decoder == "system") session.settings.use_mpglib = 0;
  if (decoder == "mpg123") session.settings.use_mpglib = 1;
}

void registerDecodeCommand(CLI::App& app, CommandResult& result) {
  auto o = std::make_shared<DecodeOptions>();
  CLI::App* command = app.add_subcommand("decode", "Write the edited audio, as the player plays it, to a 16-bit WAV file");
  command->add_option("SOURCE", o->source, "Audio file, project file (.qlp) or cue sheet (.cue)")
      ->required()
      ->check(kFileName);
  command->add_option("-o,--output", o->out, "The WAV file to write")->required()->check(kFileName);
  command->add_flag("--force", o->force, "Overwrite an existing OUT");
  addEditOptions(*command, o->edits);
  command->add_option("--selection", o->selection, "Decode only the frames from A to B (the frame at B included)")
      ->type_name("A-B");
  addDecoderOption(*command, o->decoder);
  command->callback([o, command, &result] { result.exitCode = runDecode(*o, *command); });
}

}  // namespace quillane::cli
