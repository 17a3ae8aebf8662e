#include <gtest/gtest.h>

#include <QCoreApplication>

#include "audio/exit_after_sound.h"

// The devices deliver their notices through the event loop of this thread.
int main(int argc, char** argv) {
  int status = 0;
  {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  quillane::exitAfterSound(status);
}
