#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace quillane::cli {

ProgressBar::ProgressBar(const char* label) : label_(label), active_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { done(); }

void ProgressBar::update(int percent) {
  if (!active_ || percent == shown_) return;
  shown_ = percent;
  constexpr int kWidth = 40;
  const int filled = percent * kWidth / 100;
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_, filled, "########################################",
               kWidth - filled, "", percent);
  std::fflush(stderr);
}

void ProgressBar::done() {
  if (!active_ || shown_ < 0) return;
  std::fprintf(stderr, "\r%*s\r", 60, "");
  std::fflush(stderr);
  shown_ = -1;
}

}  // namespace quillane::cli
