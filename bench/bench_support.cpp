#include "bench_support.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace quillane::bench {

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

HourFile::HourFile(int argc, char** argv, const char* name) {
  const fs::path dataDir =
      argc > 1 ? fs::path(argv[1]) : fs::path(__FILE__).parent_path().parent_path() / "tests" / "data";
  dir_ = fs::temp_directory_path() / (std::string("quillane-") + name + "-" + std::to_string(::getpid()));
  fs::create_directories(dir_);
  path_ = dir_ / "hour.mp3";
  std::ifstream in(dataDir / "cbr128_notag.mp3", std::ios::binary);
  const std::vector<char> one((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (one.empty()) {
    std::fprintf(stderr, "cannot read %s\n", (dataDir / "cbr128_notag.mp3").c_str());
    return;
  }
  // One hour of 128 kbit/s: 3600 s * 16000 bytes/s.
  std::ofstream file(path_, std::ios::binary | std::ios::trunc);
  for (int64_t written = 0; written < int64_t{3600} * 16000; written += static_cast<int64_t>(one.size()))
    file.write(one.data(), static_cast<std::streamsize>(one.size()));
  ok_ = static_cast<bool>(file);
  if (!ok_) std::fprintf(stderr, "cannot write %s\n", path_.c_str());
}

HourFile::~HourFile() {
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

double HourFile::megabytes() const { return static_cast<double>(fs::file_size(path_)) / 1e6; }

bool copyFile(const fs::path& from, const fs::path& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = std::fopen(to.c_str(), "wb");
  if (!in || !out) {
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;)
    ok = ok && std::fwrite(buffer.data(), 1, n, out) == n;
  std::fclose(in);
  return std::fclose(out) == 0 && ok;
}

double peakRssMb(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace quillane::bench
