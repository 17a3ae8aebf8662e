#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>

namespace quillane::test {

// A small tmpfs mounted for one test (it needs root, as the tests run here and in
// CI): a disk that fills up after `size`.
class TinyDisk {
 public:
  explicit TinyDisk(const std::filesystem::path& where, const std::string& size = "64k") : path_(where) {
    std::filesystem::create_directories(path_);
    mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~TinyDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  TinyDisk(const TinyDisk&) = delete;
  TinyDisk& operator=(const TinyDisk&) = delete;
  bool mounted() const { return mounted_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
};

}  // namespace quillane::test
