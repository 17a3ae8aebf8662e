// The window program as built: what it loads when it starts.
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace quillane {
namespace {

// Qt Multimedia, and with it the sound server's libraries, load only with the
// sound module, at the first play, record or look at the devices.
TEST(WindowProgram, StartsWithoutQtMultimedia) {
  const auto needed = test::runCommand("readelf -d " + test::shellQuote(QUILLANE_APP_PATH));
  ASSERT_EQ(needed.status, 0) << needed.err;
  EXPECT_NE(needed.out.find("libQt6Widgets"), std::string::npos) << needed.out;
  for (const char* library : {"libQt6Multimedia", "libpulse", "libavcodec"}) {
    EXPECT_EQ(needed.out.find(library), std::string::npos) << library << " in\n" << needed.out;
  }
}

}  // namespace
}  // namespace quillane
