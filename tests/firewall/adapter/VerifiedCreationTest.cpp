// Verified creation before any component is at hand: the argument check and
// COM's own refusal.
#include <gtest/gtest.h>

#include "firewall/adapter/VerifiedCreation.h"
#include "include/BxFWInterfaces.h"

namespace {

// No server is registered for this class.
constexpr CLSID kUnregistered = {
    0x3C1E27A0, 0x5B0D, 0x4F7E, {0x9A, 0x11, 0x2D, 0x6E, 0x40, 0x8B, 0x71, 0xC5}};

TEST(AdapterVerifiedCreation, RefusesANullOutPointerAndPassesOnComsRefusalLeavingOutNull) {
  EXPECT_EQ(E_POINTER, Brenix::createVerified(CLSID_BxFWSettings, Brenix::kComponentClassContext,
                                              IID_IBxFWSettings, nullptr));
  void* out = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(REGDB_E_CLASSNOTREG,
            Brenix::createVerified(kUnregistered, Brenix::kComponentClassContext, IID_IBxFWSettings, &out));
  EXPECT_EQ(nullptr, out);
}

}  // namespace
