// A project file naming a real audio file (see document_input.h).
#include <string>

#include "document_input.h"
#include "edit/project_file.h"
#include "fuzz_targets.h"

namespace quillane::fuzz {

void projectFileInput(const uint8_t* data, size_t size) {
  documentInput(
      data, size, "fuzzed.qlp", [](const std::string& audio) { return "filename=" + audio + "\r\n"; },
      readProjectFile);
}

}  // namespace quillane::fuzz
