#include <gtest/gtest.h>

#include "tests/wrappers/TestLogging.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  tarn_test::useOwnLogFolder(L"tarn_wrappers_");
  const int result = RUN_ALL_TESTS();
  if (result == 0) tarn_test::removeOwnLogFolder();
  return result;
}
