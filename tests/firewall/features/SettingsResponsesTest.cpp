// The answers built from the component's result bag and from the services'
// answers: exact JSON, and what makes a building operation give up.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "firewall/adapter/BxDynamicInterface.h"
#include "firewall/features/ServiceResponses.h"
#include "firewall/features/SettingsResponses.h"
#include "firewall/features/NotifyCudResult.h"
#include "tests/firewall/FakeComponent.h"
#include "tests/firewall/features/FeatureTests.h"
#include "wrappers/ScopedVariant.h"

namespace {

using feature_test::LogScope;
using feature_test::narrow;
using Ledra::ScopedVariant;

// A result bag on the stack, filled the way the component fills it.
class Bag {
 public:
  Bag() { desc_.setDispatch(&bag_); }
  Bag& put(const wchar_t* name, const VARIANT& value) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    EXPECT_EQ(S_OK, bag_.GetIDsOfNames(IID_NULL, names, 1, 0, &id)) << narrow(name);
    VARIANT argument = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    EXPECT_EQ(S_OK, bag_.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr));
    return *this;
  }
  Bag& boolean(const wchar_t* name, VARIANT_BOOL value) {
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value;
    return put(name, v);
  }
  Bag& number(const wchar_t* name, long value) { return put(name, ScopedVariant(value).get()); }
  Bag& text(const wchar_t* name, const wchar_t* value) { return put(name, ScopedVariant(value).get()); }
  const VARIANT& desc() const { return desc_.get(); }

 private:
  Brenix::BxDynamicInterface bag_;
  ScopedVariant desc_;  // released before the bag it points to
};

void fillHistory(Bag& bag) {
  bag.boolean(L"bEnable", VARIANT_TRUE)
      .boolean(L"bBlockedProgs", VARIANT_TRUE)
      .boolean(L"bIcmpPings", VARIANT_FALSE)
      .boolean(L"bBannedIpAddActivity", VARIANT_TRUE)
      .boolean(L"bSystemPortEvents", VARIANT_FALSE)
      .boolean(L"bIdsEvents", VARIANT_TRUE)
      .boolean(L"bUnknownPortEvents", VARIANT_FALSE)
      .boolean(L"bDoNotLogOnPort", VARIANT_TRUE);
}

TEST(SettingsResponses, AWordMemberGivesTheWordOfItsNumberAndLogsANumberWithoutOne) {
  struct Case {
    const wchar_t* property;
    long level;
    const wchar_t* result;   // the security level's word, or the intrusion detection answer
    const wchar_t* refusal;  // logged at line, file Module_responses; the answer is then refused
    int line;
  };
  const Case cases[] = {
      {L"Level", 3, L"stealth", nullptr, 0},
      {L"Level", 0, L"", L"get_security_level: Invalid parameter received", 46},
      {L"Level", 5, L"", L"get_security_level: Invalid parameter received", 46},
      {L"iHipsLevel", 1, L"{\"enable_intrusion_detection\":true,\"intrusion_detection_level\":\"medium\"}",
       nullptr, 0},
      {L"iHipsLevel", 3, L"", L"Invalid HIPS vLevel=3", 99},
      {L"iHipsLevel", -1, L"", L"Invalid HIPS vLevel=-1", 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.property) + " " + std::to_string(c.level));
    Bag bag;
    bag.boolean(L"bHipsEnable", VARIANT_TRUE).number(c.property, c.level);
    const LogScope log;
    std::wstring result = L"before";
    bool built = false;
    if (c.property == std::wstring(L"Level")) {
      built = Brenix::Refresh_trafficcontroller_response().get_security_level(bag.desc(), result);
    } else {
      Brenix::Refresh_intrudetection_response response;
      built = response.build(bag.desc());
      result = built ? response.toString() : L"";
    }
    EXPECT_EQ(c.refusal == nullptr, built);
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.refusal ? 1u : 0u, log.lines().size());
    EXPECT_EQ(c.refusal ? 1u : 0u,
              log.count({L"Error", c.refusal ? c.refusal : L"", L"Module_responses", L"", c.line}));
  }
}

TEST(SettingsResponses, SmartAdviceAndHistoryGiveTheirMembersInOrderTheEventKindsAsAnObject) {
  Bag smart, history;
  smart
      .boolean(L"bShowSmartRecos", 1)  // 1 is not VARIANT_TRUE
      .boolean(L"bAutomatic", VARIANT_TRUE)
      .boolean(L"bEnableProtStartup", VARIANT_FALSE)
      .boolean(L"bAllowIcmp", VARIANT_TRUE)
      .boolean(L"bEnableUdp", VARIANT_TRUE);
  fillHistory(history);
  history.text(L"sPort", L"80,1000-2000");
  Brenix::Refresh_smartadvice_response smartAdvice;
  Brenix::Refresh_history_response events;
  ASSERT_TRUE(smartAdvice.build(smart.desc()));
  ASSERT_TRUE(events.build(history.desc()));
  EXPECT_EQ(
      L"{\"enable_smart_advice\":false,\"automatic_smart_advice\":true,"
      L"\"enable_protection_at_startup\":false,\"allow_icmp_ping\":true,\"enable_udp_tracking\":true}",
      smartAdvice.toString());
  EXPECT_EQ(
      L"{\"log_events\":true,\"what_events_to_log\":{\"blocked_programs\":true,\"icmp_pings\":false,"
      L"\"banned_ips\":true,\"system_service_ports\":false,\"intrusion_detection\":true,"
      L"\"unknown_events\":false},\"dont_log_events_on_ports\":true,\"what_ports_not_to_log\":\"80,1000-"
      L"2000\"}",
      events.toString());
}

TEST(SettingsResponses, AnAnswerStopsAtTheFirstPropertyItCannotReadKeepingTheMembersBefore) {
  Bag noPorts;
  fillHistory(noPorts);
  const LogScope log;
  Brenix::Refresh_history_response history;
  EXPECT_FALSE(history.build(noPorts.desc()));
  EXPECT_EQ(1u,
            log.countMessage(L" tarn_moduleutil::get_property_byname failed for sPort atribute: hr 0xe8"));
  EXPECT_NE(std::wstring::npos, history.toString().find(L",\"dont_log_events_on_ports\":true}"));

  std::wstring word;
  EXPECT_FALSE(
      Brenix::Refresh_trafficcontroller_response().get_security_level(ScopedVariant(3L).get(), word));
  EXPECT_EQ(1u, log.countMessage(L"tarn_moduleutil::get_property_byname:- Incorrect type of vtDesp."));
}

// An array of VARIANTs holding copies of the given elements.
ScopedVariant arrayOf(const std::vector<const VARIANT*>& elements) {
  Ledra::ScopedSafeArray array(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size())));
  for (LONG i = 0; i < static_cast<LONG>(elements.size()); ++i) {
    SafeArrayPutElement(array.get(), &i, const_cast<VARIANT*>(elements[i]));
  }
  ScopedVariant v;
  v.setArray(std::move(array));
  return v;
}

TEST(SettingsResponses, FilePathAcceptsEmptyOrAnArrayWhoseFirstElementIsText) {
  const ScopedVariant path(L"C:\\Tools\\app.exe");
  const ScopedVariant other(L"D:\\second.exe");
  const ScopedVariant number(7L);
  struct Case {
    const char* name;
    ScopedVariant answer;
    const wchar_t* json;
    const wchar_t* refusal;  // logged at line, file Module_responses; the answer is then refused
    int line;
  };
  Case cases[] = {
      {"empty", ScopedVariant(), L"{\"FilePath\":\"\"}", nullptr, 0},
      {"array", arrayOf({&path.get(), &other.get()}), L"{\"FilePath\":\"C:\\\\Tools\\\\app.exe\"}", nullptr,
       0},
      {"empty array", arrayOf({}), L"{\"FilePath\":\"\"}", nullptr, 0},
      {"number element", arrayOf({&number.get()}), L"{}",
       L" IN prepare_getuploadedfilepath_payload not VT_BSTRs. Type=3", 44},
      {"bare text", ScopedVariant(L"C:\\x.exe"), L"{}",
       L" IN prepare_getuploadedfilepath_payload unexpected type. Type=8", 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LogScope log;
    Brenix::Notify_getuploaded_filepath_response response;
    EXPECT_EQ(c.refusal == nullptr, response.prepare_getuploadedfilepath_payload(c.answer.get()));
    EXPECT_EQ(c.json, response.toString());
    EXPECT_EQ(c.refusal ? 1u : 0u, log.lines().size());
    EXPECT_EQ(c.refusal ? 1u : 0u,
              log.count({L"Error", c.refusal ? c.refusal : L"", L"Module_responses", L"", c.line}));
  }
}

TEST(SettingsResponses, TrustLevelTakesOnlyAFourByteLevelAndATextMac) {
  Brenix::Notify_network_trust_level answer;
  answer.build(ScopedVariant(2L).get(), ScopedVariant(L"00-1A-2B-3C-4D-5E").get());
  EXPECT_EQ(L"{\"trust_level\":2,\"mac_address\":\"00-1A-2B-3C-4D-5E\"}", answer.toString());

  Brenix::Notify_network_trust_level other;
  other.build(ScopedVariant(2L, VT_UI4).get(), ScopedVariant(5L).get());
  EXPECT_EQ(L"{\"trust_level\":-1,\"mac_address\":\"\"}", other.toString());
}

// A script engine's array: "length" gives the count, "0", "1", ... the elements.
class ArrayObject : public IDispatch {
 public:
  explicit ArrayObject(std::vector<long> items) : items_(std::move(items)) {}
  FAKE_UNKNOWN(IDispatch, &IID_IDispatch);
  IDispatch* dispatchOrNull() { return this; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
    *id = std::wstring(names[0]) == L"length" ? 1000 : std::stol(names[0]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* out, EXCEPINFO*,
                                   UINT*) override {
    V_VT(out) = VT_I4;
    V_I4(out) = id == 1000 ? static_cast<long>(items_.size()) : items_[static_cast<size_t>(id)];
    return S_OK;
  }

 private:
  std::vector<long> items_;
};

TEST(SettingsResponses, ChangeResultListsIdsGivenByValueByReferenceOrAsAnObject) {
  const ScopedVariant seven(7L), twelve(12L);
  ScopedVariant array = arrayOf({&seven.get(), &twelve.get()});
  VARIANT byReference;
  V_VT(&byReference) = VT_BYREF | VT_ARRAY | VT_VARIANT;
  V_ARRAYREF(&byReference) = &V_ARRAY(array.asInput());
  ArrayObject object({3, -4});
  ScopedVariant dispatch;
  dispatch.setDispatch(&object);
  EXPECT_EQ(L"7,12", Brenix::Notify_cud_result::idList(array.get()));
  EXPECT_EQ(L"7,12", Brenix::Notify_cud_result::idList(byReference));
  EXPECT_EQ(L"3,-4", Brenix::Notify_cud_result::idList(dispatch.get()));
  EXPECT_EQ(L"", Brenix::Notify_cud_result::idList(ScopedVariant(L"7").get()));

  Brenix::Notify_cud_result result;
  result.build(1, 2, ScopedVariant(-1L).get(), true, -1);
  EXPECT_EQ(L"{\"Successful\":true,\"ErrCode\":-1,\"feature_id\":1,\"func_id\":2,\"id_list\":\"-1\"}",
            result.toString());
}

}  // namespace
