#pragma once

// One function per fuzz target: takes one input and runs it through the real
// reading path. The fuzzers call them from LLVMFuzzerTestOneInput; the regression
// test feeds them the saved inputs. A target returns normally unless the code under
// test crashes, trips a sanitizer or breaks one of its documented promises.

#include <cstddef>
#include <cstdint>

namespace quillane::fuzz {

// The bytes as an audio file: every header, openStream's scan and VBR tag, then
// every frame by findFrame to the end.
void streamInput(const uint8_t* data, size_t size);

// A few edit ranges, then an audio file: readEditedFrames to the end, gainAt, applyGain.
void editedFramesInput(const uint8_t* data, size_t size);

// A project file naming a real audio file, then what shows and writes its ranges.
void projectFileInput(const uint8_t* data, size_t size);

// A cue sheet naming a real audio file, then what shows and writes its cues.
void cueSheetInput(const uint8_t* data, size_t size);

// A settings file, written back and read again.
void settingsInput(const uint8_t* data, size_t size);

// A language file, then the texts built from the table.
void languageInput(const uint8_t* data, size_t size);

// An ID3v1 tag and leading data around a real audio file: the File info dialog's
// fields, the tag built from them, the facts shown.
void id3v1Input(const uint8_t* data, size_t size);

}  // namespace quillane::fuzz
