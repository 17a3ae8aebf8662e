// A settings file: read over the defaults, written back, read again. What was
// written once must come back unchanged: writing the second reading gives the
// same file.
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "fuzz_targets.h"
#include "settings/settings.h"

namespace quillane::fuzz {
namespace {

std::string writtenText(const Settings& settings, const std::string& path) {
  require(writeSettings(settings, path), "writeSettings failed in the scratch folder");
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void settingsInput(const uint8_t* data, size_t size) {
  const std::string path = scratchFile("fuzzed.ini", {reinterpret_cast<const char*>(data), size});
  Settings first;
  require(readSettings(first, path), "readSettings could not read a regular file");

  const std::string written = scratchFile("written.ini", {});
  const std::string text = writtenText(first, written);
  Settings second;
  require(readSettings(second, written), "readSettings could not read what writeSettings wrote");
  require(writtenText(second, written) == text, "settings written, read and written again differ");
}

}  // namespace quillane::fuzz
