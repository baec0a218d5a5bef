// The as_Get operations publish their lists on the process-wide bus of the
// real MessageBus.dll beside the component and count them into the bag. The
// four lists as the module's refreshes publish them are in the end-to-end
// case "features"; here, a file name that needs escaping.
#include "KitTestSupport.h"

namespace BxKitTest {
namespace {

using kit_test::Recorder;
using V = Values;
using BusPublishTest = KitTest;

TEST_F(BusPublishTest, ProgramsArePublishedAsJsonAndCountedInTheBag) {
  kit_test::LoadedBus bus;
  ASSERT_NE(bus.table(), nullptr);
  kit_test::BusHandle listener(bus.table());
  Recorder published;
  ASSERT_NE(0u, bus.table()->subscribe(listener.get(), &published, Recorder::deliveryAdapter,
                                       L"Core.Firewall.Component.ProgramPermissions"));

  ComPtr<IBxFWSettings> settings = Settings();
  Bag bag;
  long result = -1;
  ASSERT_HRESULT_SUCCEEDED(settings->AddProgramPermission(V::Text(L"C:\\Apps\\\"quoted\".exe").get(),
                                                          V::Int(1).get(), V::Int(0).get(), V::Int(1).get(),
                                                          bag.desc(), &result));
  ASSERT_EQ(result, 0);
  ASSERT_HRESULT_SUCCEEDED(settings->as_GetProgramPermissions(bag.desc(), &result));
  ASSERT_EQ(result, 0);
  EXPECT_EQ(bag.Get(L"length").get().lVal, 3);

  ASSERT_TRUE(published.waitFor(1));
  const std::wstring programs = published.items()[0].payload;
  EXPECT_EQ(programs.rfind(L"{\"programs\":[{\"id\":1,", 0), 0u) << programs;
  EXPECT_NE(
      programs.find(L"{\"id\":3,\"file\":\"C:\\\\Apps\\\\\\\"quoted\\\".exe\",\"permission\":1,\"scope\":0,"
                    L"\"net_guard\":1}]}"),
      std::wstring::npos)
      << programs;
}

}  // namespace
}  // namespace BxKitTest
