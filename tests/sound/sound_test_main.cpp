#include <gtest/gtest.h>

#include <QCoreApplication>

// The devices deliver their notices through the event loop of this thread.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
