#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace quillane::test {

// Every MPEG audio file of tests/data, in name order.
inline std::vector<std::filesystem::path> audioTestFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dataPath(""))) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".mp3" || ext == ".mp2" || ext == ".mp1") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace quillane::test
