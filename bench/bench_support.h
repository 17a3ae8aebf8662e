#pragma once

// What every benchmark needs: a one-hour test file, a plain copy to compare with,
// timing and the peak resident size.
#include <chrono>
#include <cstdint>
#include <filesystem>

namespace quillane::bench {

double seconds(std::chrono::steady_clock::time_point since);

// A scratch folder with "hour.mp3": the frames of DATA_DIR/cbr128_notag.mp3 repeated
// to one hour of 128 kbit/s (about 58 MB). DATA_DIR is argv[1], else the source
// tree's tests/data. Removed with everything in it.
class HourFile {
 public:
  HourFile(int argc, char** argv, const char* name);
  ~HourFile();
  bool ok() const { return ok_; }
  const std::filesystem::path& dir() const { return dir_; }
  const std::filesystem::path& path() const { return path_; }
  double megabytes() const;

 private:
  std::filesystem::path dir_;
  std::filesystem::path path_;
  bool ok_ = false;
};

// read + write with a 1 MiB buffer, as cp does.
bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Peak resident size in MB of this process (RUSAGE_SELF) or its children.
double peakRssMb(int who);

}  // namespace quillane::bench
