#pragma once

// What the fuzz targets share: reading structured values off the fuzzed bytes,
// putting bytes into files the readers can open, the real audio files that
// project files and cue sheets name, and the check that stops on a broken promise.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillane::fuzz {

// Takes values off the front of the input; past its end every value is 0.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte();
  // n bytes (at most 8) as a little-endian number.
  uint64_t little(int n);
  // Everything not taken yet; the reader is then empty.
  std::string_view rest();
  size_t remaining() const { return size_ - at_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A folder of this process under the temporary folder (TMPDIR), created at the
// first call and removed at exit. It holds the links of audioLink.
const std::string& scratchFolder();

// Writes bytes to the file `name` in the scratch folder and returns its path.
std::string scratchFile(const std::string& name, std::string_view bytes);

// An anonymous in-memory file holding exactly `bytes`, reused by every call:
// the returned path (/proc/self/fd/N) opens it afresh.
std::string memoryFile(std::string_view bytes);

// The small real audio files the document targets name, from tests/data.
constexpr int kAudioFileCount = 5;
// The file's path in tests/data.
std::string audioDataPath(int index);
// Its name in the scratch folder ("a.mp3" .. "e.mp3"), a link to that file; the
// seeds name them relative to the document.
std::string audioLinkName(int index);

// A target's promise that the code under test broke: says what on stderr and
// aborts, so that the fuzzer saves the input and a test fails.
void require(bool holds, const char* what);

}  // namespace quillane::fuzz
