#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "stream/audio_stream.h"

namespace quillane::cli {

// A position on the command line: a time "[[h:]m:]s[.fraction]" from the start of
// the audio (read as the window's fields read a typed time, so "1'30" and "1,5"
// too), or a byte offset "@N"; either is moved to the frame found there.
// Returns nothing for text that is neither, or where no frame can be found.
std::optional<int64_t> parsePosition(AudioStream& stream, const std::string& text);

// The boundary a position names inside the frame parsePosition moved it to
// (`frame`), as EditRange.sampleOffset holds it: for a time, the decoded samples
// from that frame's first sample to the time's sample (decodedSampleAt: with a
// LAME/Info tag the time counts as a gapless player plays it); 0 for a byte offset.
int32_t positionSampleOffset(AudioStream& stream, const std::string& text, int64_t frame);

// "A-B" split at the dash between the two positions.
bool splitRange(const std::string& text, std::string& a, std::string& b);

// What is wrong with a position or range given on the command line, as one line
// that names the audio file: "FILE: OPTION "TEXT": why".
std::string positionProblem(const AudioStream& stream, const std::string& option, const std::string& text,
                            const std::string& why);

// Why a position is refused: the forms it may take.
constexpr const char* kPositionForms = "positions are [[h:]m:]s[.fraction] or @byte-offset within the audio";

}  // namespace quillane::cli
