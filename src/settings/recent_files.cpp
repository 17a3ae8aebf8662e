#include "settings/recent_files.h"

#include <algorithm>

namespace quillane {

bool addRecent(Settings& settings, const std::string& path) {
  if (path.empty()) return false;
  auto& list = settings.file_recent;
  if (std::find(list.begin(), list.end(), path) != list.end()) return false;
  std::move_backward(list.begin(), list.end() - 1, list.end());
  list.front() = path;
  return true;
}

}  // namespace quillane
