// main() of a test program whose tests read their log lines: the program logs
// into a folder of its own, removed after a run in which every test passed (a
// failed run's folder is kept to read).
#include <gtest/gtest.h>

#include "tests/support/LogScope.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  tarn_test::useOwnLogFolder();
  const int result = RUN_ALL_TESTS();
  if (result == 0) tarn_test::removeOwnLogFolder();
  return result;
}
