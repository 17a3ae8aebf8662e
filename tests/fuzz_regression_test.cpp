// The fuzz targets of fuzz/ fed their seeds and the inputs the fuzzers found faults
// with (tests/data/fuzz/<target>/): each must run through cleanly. In the sanitizer
// build this replays every finding under the sanitizers that reported it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_targets.h"
#include "support/test_files.h"

namespace quillane {
namespace {

namespace fs = std::filesystem;

struct FuzzTarget {
  const char* name;  // as in fuzz/seeds/<name> and tests/data/fuzz/<name>
  void (*run)(const uint8_t*, size_t);
};

const FuzzTarget kTargets[] = {
    {"stream", fuzz::streamInput},
    {"edited_frames", fuzz::editedFramesInput},
    {"project_file", fuzz::projectFileInput},
    {"cue_sheet", fuzz::cueSheetInput},
    {"settings", fuzz::settingsInput},
    {"language", fuzz::languageInput},
    {"id3v1", fuzz::id3v1Input},
};

std::vector<fs::path> filesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

class FuzzRegression : public testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzRegression, SeedsAndFoundInputsRunCleanly) {
  const FuzzTarget& target = GetParam();
  std::vector<fs::path> inputs = filesIn(fs::path(QUILLANE_FUZZ_SEED_DIR) / target.name);
  const std::vector<fs::path> found = filesIn(test::dataPath("fuzz") / target.name);
  inputs.insert(inputs.end(), found.begin(), found.end());
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.string());
    const test::Bytes bytes = test::readBytes(input);
    target.run(bytes.data(), bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzRegression, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<FuzzTarget>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace quillane
