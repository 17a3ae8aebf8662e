// quillane-cli without its separately built parts (the FFmpeg codec module and
// the sound helper): hidden by naming an empty folder as the only module folder.
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace quillane {
namespace {

std::string q(const std::filesystem::path& p) { return test::shellQuote(p.string()); }

test::CommandOutput cli(const std::string& args) { return test::runCommand(q(QUILLANE_CLI_PATH) + " " + args); }

test::CommandOutput cliWithoutModules(const test::TempDir& empty, const std::string& args) {
  return test::runCommand("QUILLANE_MODULE_DIR=" + q(empty.path()) + " " + q(QUILLANE_CLI_PATH) + " " + args);
}

TEST(CliModules, InfoAndSaveRunWithoutThem) {
  test::TempDir empty;
  test::TempDir out;
  const std::string source = q(test::dataPath("cbr128_info.mp3"));
  const auto info = cli("info --json " + source);
  const auto infoAlone = cliWithoutModules(empty, "info --json " + source);
  ASSERT_EQ(infoAlone.status, 0) << infoAlone.err;
  EXPECT_EQ(infoAlone.out, info.out);

  const std::string edits = " --cut 0.5-0.8 --gain 1-2:0:-6";
  const auto save = cli("save " + source + " -o " + q(out / "with.mp3") + edits);
  const auto saveAlone = cliWithoutModules(empty, "save " + source + " -o " + q(out / "alone.mp3") + edits);
  ASSERT_EQ(save.status, 0) << save.err;
  ASSERT_EQ(saveAlone.status, 0) << saveAlone.err;
  EXPECT_EQ(saveAlone.out, save.out);
  EXPECT_EQ(test::readBytes(out / "alone.mp3"), test::readBytes(out / "with.mp3"));
}

TEST(CliModules, ScansNeedTheCodecModuleOnlyForTheSystemDecoder) {
  test::TempDir empty;
  const std::string source = q(test::dataPath("cbr128_info.mp3"));
  const auto mpg123 = cliWithoutModules(empty, "normalize --decoder mpg123 " + source);
  EXPECT_EQ(mpg123.status, 0) << mpg123.err;
  EXPECT_EQ(mpg123.out, cli("normalize --decoder mpg123 " + source).out);

  const auto system = cliWithoutModules(empty, "normalize --decoder system " + source);
  EXPECT_EQ(system.status, 1);
  EXPECT_NE(system.err.find("Could not open FFmpeg Codec. Try libmpg123 ..."), std::string::npos) << system.err;
  EXPECT_EQ(cli("normalize --decoder system " + source).status, 0);
}

TEST(CliModules, SoundCommandsWithoutTheHelperCannotOpenTheDevice) {
  if (cli("--help").out.find("\n  play ") == std::string::npos) GTEST_SKIP() << "built without the sound devices";
  test::TempDir empty;
  const std::string source = q(test::dataPath("cbr128_info.mp3"));
  for (const std::string& command : {"play " + source, std::string("record --seconds 1 out.mp3")}) {
    const auto run = cliWithoutModules(empty, command);
    SCOPED_TRACE(command);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "quillane-cli: Could not open wave/audio device: quillane-cli-sound was not found\n");
  }
  // With the helper, the same command line reaches it.
  const auto help = cli("play --help");
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_NE(help.out.find("Play the edited audio through the sound output"), std::string::npos) << help.out;
}

TEST(CliModules, TheToolLinksNeitherFfmpegNorQt) {
  const auto needed = test::runCommand("readelf -d " + q(QUILLANE_CLI_PATH));
  ASSERT_EQ(needed.status, 0) << needed.err;
  for (const char* library : {"libavcodec", "libavutil", "libQt6"}) {
    EXPECT_EQ(needed.out.find(library), std::string::npos) << library << " in\n" << needed.out;
  }
  EXPECT_NE(needed.out.find("libmpg123"), std::string::npos) << needed.out;
}

}  // namespace
}  // namespace quillane
