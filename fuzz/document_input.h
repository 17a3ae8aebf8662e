#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "session/session.h"

namespace quillane::fuzz {

// One input of a document target (project file, cue sheet): the first byte picks
// one of the real audio files and, with its top bit clear, puts the line that
// `namingLine` makes for that file's path in front; the rest is the document's
// text as it comes (the seeds name the audio files by their names in the scratch
// folder). The text goes to `fileName` in the scratch folder and `read` reads it.
//
// Then, whether or not reading succeeded, what the program does with the ranges:
// the "&List" menu, the status fields with each range current in turn, the
// navigation between ranges, reading the frames through the ranges as a save
// does, and writing the model back as a cue sheet and as a project file.
void documentInput(const uint8_t* data, size_t size, const std::string& fileName,
                   std::string (*namingLine)(const std::string& audioPath), bool (*read)(EditSession&));

}  // namespace quillane::fuzz
