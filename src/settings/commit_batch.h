#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/safe_writer.h"

namespace quillane {

// Complete files of several safe writers, put in place together. Syncing each
// file on its own costs a journal commit per file; syncing them one after
// another once all are written lets the first sync carry most of the others'
// bytes and metadata, so a split into many pieces syncs about as fast as one
// file of their size. The guarantees of a single writer hold for every file:
// nothing takes a name before its bytes are on the disk.
class CommitBatch {
 public:
  CommitBatch() = default;
  CommitBatch(const CommitBatch&) = delete;
  CommitBatch& operator=(const CommitBatch&) = delete;
  // Writers not committed remove their temporary files.
  ~CommitBatch() = default;

  // A writer whose file is complete (created, written, not yet committed).
  void add(std::unique_ptr<SafeWriter> writer);
  bool empty() const { return writers_.empty(); }
  size_t size() const { return writers_.size(); }

  // Syncs every file, then renames each into place in the order added, then syncs
  // each folder once. Returns how many files were put in place: all of them, or
  // those before the first that failed; that one and the later ones are removed,
  // and failure() says why. The batch is empty afterwards.
  size_t commitAll();
  // "path: reason" of the file that failed in the last commitAll; empty when none did.
  const std::string& failure() const { return failure_; }

 private:
  std::vector<std::unique_ptr<SafeWriter>> writers_;
  std::string failure_;
};

}  // namespace quillane
