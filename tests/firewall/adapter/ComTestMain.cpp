// Test programs of the adapter run in COM's multithreaded apartment, as the
// module's worker thread does.
#include <objbase.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 2;
  int rc = RUN_ALL_TESTS();
  ::CoUninitialize();
  return rc;
}
