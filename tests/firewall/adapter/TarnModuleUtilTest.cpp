// Id lists into component arguments, and result bag properties back into
// plain values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firewall/adapter/BxDynamicInterface.h"
#include "firewall/adapter/TarnModuleUtil.h"
#include "wrappers/ScopedSafeArray.h"

namespace {

using Ledra::ScopedVariant;
using namespace Brenix::tarn_moduleutil;

std::vector<long> idsOf(const VARIANT& list) {
  LONG lower = -1, upper = -1;
  ::SafeArrayGetLBound(V_ARRAY(&list), 1, &lower);
  ::SafeArrayGetUBound(V_ARRAY(&list), 1, &upper);
  EXPECT_EQ(0, lower);
  std::vector<long> ids;
  Ledra::ScopedSafeArrayLock lock;
  EXPECT_EQ(S_OK, lock.lock(V_ARRAY(&list)));
  for (LONG index = 0; index <= upper; ++index) {
    const VARIANT& element = static_cast<const VARIANT*>(lock.data())[index];
    EXPECT_EQ(VT_I4, V_VT(&element));
    ids.push_back(V_I4(&element));
  }
  return ids;
}

TEST(AdapterIdList, ConvertsDecimalListsAndRefusesAnythingElse) {
  const std::pair<const wchar_t*, std::vector<long>> converted[] = {{L"12,15", {12, 15}},
                                                                    {L"12,,3", {12, 3}},
                                                                    {L",5,,7,", {5, 7}},
                                                                    {L"", {}},
                                                                    {L"2147483647", {2147483647}}};
  for (const auto& [text, ids] : converted) {
    ScopedVariant out(77);
    ASSERT_TRUE(convert_strnumtovariant_safearray(text, out)) << text;
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, out.type()) << text;
    EXPECT_EQ(ids, idsOf(out.get())) << text;
  }
  for (const wchar_t* text : {L"12,-3", L"1 2", L"12, 15", L"+4", L"2147483648", L"5,99999999999"}) {
    ScopedVariant out(77);
    EXPECT_FALSE(convert_strnumtovariant_safearray(text, out)) << text;
    EXPECT_EQ(VT_I4, out.type()) << text;  // left untouched
  }
}

VARIANT boolean(VARIANT_BOOL value) {
  VARIANT v{};
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value;
  return v;
}

TEST(AdapterPropertyRead, ReadsBooleansTextsAndNumbersByName) {
  Brenix::BxDynamicInterface bag;
  ScopedVariant text(L"80,443"), level(3), desc;
  const std::pair<DISPID, VARIANT> stored[] = {{8, boolean(VARIANT_TRUE)},
                                               {9, boolean(1)},
                                               {10, boolean(VARIANT_FALSE)},
                                               {16, text.get()},
                                               {26, level.get()}};
  for (const auto& [id, value] : stored) {
    VARIANT arg = value;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    ASSERT_EQ(S_OK, bag.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr));
  }
  desc.setDispatch(&bag);

  // Only VARIANT_TRUE reads as true; 1 does not.
  for (const auto& [name, expected] :
       {std::make_pair(L"bEnable", true), std::make_pair(L"bBlockedProgs", false),
        std::make_pair(L"bIcmpPings", false)}) {
    bool value = !expected;
    EXPECT_TRUE(get_property_byname(desc.get(), name, value));
    EXPECT_EQ(expected, value) << name;
  }
  std::wstring words = L"before";
  EXPECT_TRUE(get_property_byname(desc.get(), L"sPort", words));
  EXPECT_EQ(L"80,443", words);
  long number = 0;
  EXPECT_TRUE(get_property_byname(desc.get(), L"Level", number));
  EXPECT_EQ(3, number);

  // Unknown or never-put names, and a desc that is no bag, are refused.
  EXPECT_FALSE(get_property_byname(desc.get(), L"SytemServiceID", number));
  EXPECT_EQ(-1, number);
  bool flag = true;
  EXPECT_FALSE(get_property_byname(desc.get(), L"bNoSuchThing", flag));
  EXPECT_FALSE(get_property_byname(level.get(), L"bEnable", flag));
  EXPECT_TRUE(flag);
  EXPECT_FALSE(get_property_byname(level.get(), L"sPort", words));
  EXPECT_EQ(L"80,443", words);
}

}  // namespace
