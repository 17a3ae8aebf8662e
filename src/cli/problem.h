#pragma once

#include <optional>
#include <string>
#include <utility>

namespace quillane::cli {

// What stopped one step of a command: the one line quillane-cli prints on
// stderr before it exits 1. A default Problem is none: the step worked.
//
//   if (const Problem problem = openAudioFile(session, path)) return failWith(*problem);
class [[nodiscard]] Problem {
 public:
  Problem() = default;
  Problem(std::string line) : line_(std::move(line)) {}  // NOLINT: a line is a problem

  explicit operator bool() const { return line_.has_value(); }
  const std::string& operator*() const { return *line_; }

 private:
  std::optional<std::string> line_;
};

}  // namespace quillane::cli
