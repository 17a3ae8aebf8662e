#pragma once

namespace quillane::cli {

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class ProgressBar {
 public:
  explicit ProgressBar(const char* label);
  ~ProgressBar();
  void update(int percent);
  void done();

 private:
  const char* label_;
  bool active_;
  int shown_ = -1;
};

}  // namespace quillane::cli
