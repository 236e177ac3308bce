#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // The tests themselves show nothing; the event loop serves the processes
  // they start.
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
