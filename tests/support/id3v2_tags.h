#pragma once

#include <gtest/gtest.h>

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

}  // namespace quillane::test
