#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "save/id3v2_tag.h"
#include "stream/binary_file.h"
#include "support/test_files.h"

namespace quillane::test {

// The ID3v2 tag at the start of the test file `name`, as the save reads it.
inline Bytes id3v2TagOf(const char* name) {
  BinaryFile file;
  EXPECT_TRUE(file.open(dataPath(name).string(), "rb"));
  return readId3v2Tag(file);
}

// Main fields that differ from those of every tagged test file, a UTF-8 title among them.
inline const Id3v2MainFields kEditedMainFields = {.title = "Edited Title \xE2\x82\xAC",
                                                  .artist = "Edited Artist",
                                                  .album = "Edited Album",
                                                  .year = "2001",
                                                  .track = "5/6",
                                                  .genre = "Classical",
                                                  .comment = "edited in the dialog"};

// The frames of a tag (as id3v2FrameList gives them) that are none of the main
// fields the file info dialog edits, sorted.
inline std::vector<std::string> framesBesideMainFields(const Bytes& tag) {
  std::vector<std::string> frames = id3v2FrameList(tag);
  std::erase_if(frames, [](const std::string& frame) {
    for (const char* id : {"TIT2", "TPE1", "TALB", "TDRC", "TYER", "TRCK", "TCON", "COMM"})
      if (frame.rfind(id, 0) == 0) return true;
    return false;
  });
  std::sort(frames.begin(), frames.end());
  return frames;
}

}  // namespace quillane::test
