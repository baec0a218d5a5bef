#include <gtest/gtest.h>

#include <string>

#include "include/ModuleStatus.h"

namespace {

TEST(ModuleStatusName, NamesEveryListedCodeAndOnlyThose) {
  struct Case {
    Ledra::ModuleStatus code;
    const wchar_t* name;
  };
  const Case cases[] = {
      {0x00000000, L"MODULE_STATUS_SUCCESS"},           {0x80000001, L"MODULE_STATUS_NOT_SUPPORTED"},
      {0x80000002, L"MODULE_STATUS_UNSUCCESSFUL"},      {0x80000006, L"MODULE_STATUS_DATA_ERROR"},
      {0x80000008, L"MODULE_STATUS_INVALID_PARAMETER"}, {0x8000000D, L"MODULE_STATUS_TIMEOUT"},
      {0x8000000F, L"MODULE_STATUS_UNKNOWN_EXCEPTION"}, {0x80000015, L"MODULE_STATUS_SESSION_INVALID"},
      {0x800000FF, L"MODULE_STATUS_INVALID_STATE"},     {0x80000016, L"MODULE_STATUS_UNKNOWN"},
      {0x80000000, L"MODULE_STATUS_UNKNOWN"},           {0x00000001, L"MODULE_STATUS_UNKNOWN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::wstring(c.name), Ledra::moduleStatusName(c.code)) << std::hex << c.code;
  }
}

}  // namespace
