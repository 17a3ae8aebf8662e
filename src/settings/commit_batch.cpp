#include "settings/commit_batch.h"

#include <set>

namespace quillane {

void CommitBatch::add(std::unique_ptr<SafeWriter> writer) { writers_.push_back(std::move(writer)); }

size_t CommitBatch::commitAll() {
  failure_.clear();
  size_t ready = 0;
  while (ready < writers_.size() && writers_[ready]->syncTemporary()) ++ready;
  size_t committed = 0;
  std::set<std::string> folders;
  while (committed < ready && writers_[committed]->commit(SafeWriter::FolderSync::Later)) {
    folders.insert(writers_[committed]->writtenPath());
    ++committed;
  }
  if (committed < writers_.size()) failure_ = writers_[committed]->errorText();
  // One sync per folder makes every rename into it last.
  std::set<std::string> synced;
  for (const std::string& path : folders) {
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    if (synced.insert(folder).second) syncFolderOf(path);
  }
  writers_.clear();  // the ones not committed remove their temporary files
  return committed;
}

}  // namespace quillane
