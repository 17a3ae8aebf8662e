#include "fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace quillane::fuzz {
namespace {

namespace fs = std::filesystem;

struct AudioFile {
  const char* dataName;  // in tests/data
  const char* linkName;  // in the scratch folder
};

// Small files of every kind the reader meets: MPEG-2.5, MPEG-1 mono with an Info
// frame, VBR with a Xing frame, Layer II, and ID3v2 + ID3v1 tags around the audio.
constexpr AudioFile kAudioFiles[kAudioFileCount] = {
    {"mpeg25_8k.mp3", "a.mp3"},    {"mono.mp3", "b.mp3"},    {"vbr_xing.mp3", "c.mp3"},
    {"layer2_mpeg2.mp2", "d.mp2"}, {"id3v1v2.mp3", "e.mp3"},
};

std::string* scratchPath = nullptr;

void removeScratchFolder() {
  if (scratchPath == nullptr) return;
  std::error_code ec;
  fs::remove_all(*scratchPath, ec);
}

}  // namespace

uint8_t ByteReader::byte() { return at_ < size_ ? data_[at_++] : 0; }

uint64_t ByteReader::little(int n) {
  uint64_t value = 0;
  for (int i = 0; i < n && i < 8; ++i) value |= uint64_t{byte()} << (8 * i);
  return value;
}

std::string_view ByteReader::rest() {
  const std::string_view all(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
  at_ = size_;
  return all;
}

const std::string& scratchFolder() {
  if (scratchPath != nullptr) return *scratchPath;
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "quillane-fuzz-XXXXXX").string();
  require(::mkdtemp(pattern.data()) != nullptr, "could not create the scratch folder");
  scratchPath = new std::string(pattern);
  std::atexit(removeScratchFolder);
  for (int i = 0; i < kAudioFileCount; ++i) {
    fs::create_symlink(audioDataPath(i), fs::path(*scratchPath) / kAudioFiles[i].linkName, ec);
    require(!ec, "could not link an audio file into the scratch folder");
  }
  return *scratchPath;
}

std::string scratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = (fs::path(scratchFolder()) / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  require(!out.fail(), "could not write a scratch file");
  return path;
}

std::string memoryFile(std::string_view bytes) {
  static const int fd = ::memfd_create("quillane-fuzz", 0);
  require(fd >= 0, "memfd_create failed");
  require(::ftruncate(fd, 0) == 0, "could not empty the memory file");
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    require(n > 0, "could not fill the memory file");
    done += static_cast<size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

std::string audioDataPath(int index) {
  return std::string(QUILLANE_FUZZ_DATA_DIR) + "/" + kAudioFiles[index % kAudioFileCount].dataName;
}

std::string audioLinkName(int index) { return kAudioFiles[index % kAudioFileCount].linkName; }

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz target: broken promise: %s\n", what);
  std::abort();
}

}  // namespace quillane::fuzz
