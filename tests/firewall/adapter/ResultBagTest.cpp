// The result bag: which names it knows, the codes it answers, what it keeps
// and the module lock its counted form holds; and tarn_moduleutil's reads of
// its properties back into plain values and of id lists into component
// arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firewall/adapter/CountedBxDynamicInterface.h"
#include "firewall/adapter/ModuleLock.h"
#include "firewall/adapter/TarnModuleUtil.h"
#include "tests/firewall/FakeComponent.h"

namespace {

using Brenix::BxDynamicInterface;
using Ledra::ScopedVariant;
using namespace Brenix::tarn_moduleutil;

HRESULT idOf(IDispatch& bag, const wchar_t* name, DISPID& id, REFIID riid = IID_NULL) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return bag.GetIDsOfNames(riid, names, 1, 1024, &id);
}

HRESULT invoke(IDispatch& bag, DISPID id, WORD flags, VARIANT* result, VARIANT* arg = nullptr,
               REFIID riid = IID_NULL) {
  DISPPARAMS params = {arg, nullptr, arg ? 1u : 0u, 0};
  return bag.Invoke(id, riid, 1024, flags, &params, result, nullptr, nullptr);
}

TEST(AdapterBag, KnowsExactlyTheTableNamesByIndex) {
  BxDynamicInterface bag;
  const std::pair<const wchar_t*, DISPID> hits[] = {
      {L"bEnableUiVisible", 0}, {L"Level", 26}, {L"SytemServiceID", 28}, {L"IPId", 30}};
  for (const auto& [name, expected] : hits) {
    DISPID id = -5;
    EXPECT_EQ(S_OK, idOf(bag, name, id));
    EXPECT_EQ(expected, id) << name;
  }
  for (const wchar_t* miss : {L"level", L"SystemServiceID", L"bEnable ", L""}) {
    DISPID id = -5;
    EXPECT_EQ(2, idOf(bag, miss, id)) << miss;
    EXPECT_EQ(-5, id);  // a miss writes nothing
  }
  DISPID id = -5;
  EXPECT_EQ(static_cast<HRESULT>(0x80020001), idOf(bag, L"Level", id, IID_IDispatch));
  EXPECT_EQ(-5, id);
}

TEST(AdapterBag, AnswersDocumentedCodes) {
  BxDynamicInterface bag;
  ScopedVariant result, level(3);
  UINT count = 0;
  EXPECT_EQ(S_OK, bag.GetTypeInfoCount(&count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(S_OK, bag.GetTypeInfo(0, 0, nullptr));
  const HRESULT kUnknownInterface = 0x80020001, kMemberNotFound = 0x80020007;
  EXPECT_EQ(kUnknownInterface,
            invoke(bag, 26, DISPATCH_PROPERTYGET, result.receive(), nullptr, IID_IDispatch));
  EXPECT_EQ(kMemberNotFound, invoke(bag, 31, DISPATCH_PROPERTYGET, result.receive()));
  EXPECT_EQ(kMemberNotFound, invoke(bag, -1, DISPATCH_PROPERTYGET, result.receive()));
  EXPECT_EQ(232, invoke(bag, 26, DISPATCH_PROPERTYGET, result.receive()));  // never put
  ASSERT_EQ(S_OK, invoke(bag, 26, DISPATCH_PROPERTYPUT, nullptr, level.asInOut()));
  EXPECT_EQ(static_cast<HRESULT>(0x80070057), invoke(bag, 26, DISPATCH_PROPERTYGET, nullptr));
  EXPECT_EQ(kMemberNotFound, invoke(bag, 26, DISPATCH_METHOD, result.receive()));
  EXPECT_EQ(kMemberNotFound, invoke(bag, 26, DISPATCH_METHOD | DISPATCH_PROPERTYGET, result.receive()));
  ASSERT_EQ(S_OK, invoke(bag, 26, DISPATCH_PROPERTYGET, result.receive()));
  EXPECT_EQ(VT_I4, result.type());
  EXPECT_EQ(3, V_I4(&result.get()));
}

TEST(AdapterBag, PutReplacesTheValueAndEveryGetIsACopy) {
  BxDynamicInterface bag;
  ScopedVariant first(L"first"), second(L"second"), read, again;
  ASSERT_EQ(S_OK, invoke(bag, 16, DISPATCH_PROPERTYPUT, nullptr, first.asInOut()));
  ASSERT_EQ(S_OK, invoke(bag, 16, DISPATCH_PROPERTYPUT, nullptr, second.asInOut()));
  ASSERT_EQ(S_OK, invoke(bag, 16, DISPATCH_PROPERTYGET, read.receive()));
  ASSERT_EQ(S_OK, invoke(bag, 16, DISPATCH_PROPERTYGET, again.receive()));
  ASSERT_EQ(VT_BSTR, read.type());
  EXPECT_STREQ(L"second", V_BSTR(&read.get()));
  EXPECT_NE(V_BSTR(&second.get()), V_BSTR(&read.get()));
  EXPECT_NE(V_BSTR(&read.get()), V_BSTR(&again.get()));
}

TEST(AdapterBag, DestructionReleasesStoredObjects) {
  tarn_test::FakeConfig held;
  {
    BxDynamicInterface bag;
    ScopedVariant object;
    object.setDispatch(held.dispatch());
    ASSERT_EQ(S_OK, invoke(bag, 8, DISPATCH_PROPERTYPUT, nullptr, object.asInOut()));
    object.reset();
    EXPECT_EQ(2, held.refs());  // the bag's copy
  }
  EXPECT_EQ(1, held.refs());
}

TEST(AdapterBag, OnlyTheCountedFormHoldsTheModuleLockAndOnlyWhileReferenced) {
  ASSERT_EQ(0, Brenix::moduleLockCount());
  {
    BxDynamicInterface stackBag;
    EXPECT_EQ(1u, stackBag.AddRef());
    EXPECT_EQ(1u, stackBag.Release());
    EXPECT_EQ(0, Brenix::moduleLockCount());

    auto bag = Brenix::CountedBxDynamicInterface::create();
    ASSERT_TRUE(bag);
    Microsoft::WRL::ComPtr<IDispatch> other;
    ASSERT_EQ(S_OK, bag.As(&other));
    bag.Reset();
    EXPECT_EQ(1, Brenix::moduleLockCount());  // still referenced
  }
  EXPECT_EQ(0, Brenix::moduleLockCount());
}

// The ids of an array of VARIANTs that starts at 0; -1 stands for an element that is no VT_I4.
std::vector<long> idsOf(const VARIANT& list) {
  LONG lower = -1, upper = -1;
  EXPECT_EQ(S_OK, ::SafeArrayGetLBound(V_ARRAY(&list), 1, &lower));
  EXPECT_EQ(0, lower);
  ::SafeArrayGetUBound(V_ARRAY(&list), 1, &upper);
  std::vector<long> ids;
  for (LONG index = 0; index <= upper; ++index) {
    ScopedVariant element;
    ::SafeArrayGetElement(V_ARRAY(&list), &index, element.receive());
    ids.push_back(element.type() == VT_I4 ? V_I4(&element.get()) : -1);
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

TEST(AdapterPropertyRead, ReadsBooleansTextsAndNumbersByName) {
  BxDynamicInterface bag;
  ScopedVariant yes, one, no, text(L"80,443"), none(static_cast<const wchar_t*>(nullptr)), level(3), desc;
  yes.setBool(true);
  one.setBool(true);
  V_BOOL(one.asInOut()) = 1;  // not VARIANT_TRUE
  no.setBool(false);
  const std::pair<DISPID, VARIANT> stored[] = {{8, yes.get()},   {9, one.get()},  {10, no.get()},
                                               {16, text.get()}, {1, none.get()}, {26, level.get()}};
  for (auto [id, value] : stored) ASSERT_EQ(S_OK, invoke(bag, id, DISPATCH_PROPERTYPUT, nullptr, &value));
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
  std::wstring nullText = L"before";
  EXPECT_TRUE(get_property_byname(desc.get(), L"bBlockedProgsUiVisible", nullText));
  EXPECT_EQ(L"", nullText);
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
