#include "settings/commit_batch.h"

#include <set>

namespace quillane {

void CommitBatch::add(std::unique_ptr<SafeWriter> writer) { writers_.push_back(std::move(writer)); }

size_t CommitBatch::commitAll() {
  failure_.clear();
  size_t ready = 0;
  while (ready < writers_.size() && writers_[ready]->syncTemporary()) ++ready;
  size_t committed = 0;
  while (committed < ready && writers_[committed]->commit(SafeWriter::FolderSync::Later)) ++committed;
  if (committed < writers_.size()) failure_ = writers_[committed]->errorText();
  // One sync per folder makes every rename into it last.
  std::set<std::string> folders;
  for (size_t i = 0; i < committed; ++i) {
    const std::string& path = writers_[i]->writtenPath();
    if (folders.insert(path.substr(0, path.find_last_of('/') + 1)).second) syncFolderOf(path);
  }
  writers_.clear();  // the ones not committed remove their temporary files
  return committed;
}

}  // namespace quillane
