// The owners of wrappers/: each kind runs through the same checks, and a kind
// whose value holds a counted object shows by the count that it was freed
// exactly once.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "wrappers/ScopedBstr.h"
#include "wrappers/ScopedHandle.h"
#include "wrappers/ScopedSafeArray.h"
#include "wrappers/ScopedVariant.h"

namespace {

// An object on the stack whose references are only counted (the test holds one).
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  long refs = 1;
};

Ledra::ScopedVariant variantOf(Counted& object) {
  VARIANT raw{};
  V_VT(&raw) = VT_UNKNOWN;
  V_UNKNOWN(&raw) = &object;
  object.AddRef();
  Ledra::ScopedVariant owner;
  owner.reset(raw);
  return owner;
}

Ledra::ScopedSafeArray arrayOf(Counted& object) {
  Ledra::ScopedSafeArray array(::SafeArrayCreateVector(VT_UNKNOWN, 0, 1));
  LONG index = 0;
  EXPECT_EQ(S_OK, ::SafeArrayPutElement(array.get(), &index, static_cast<IUnknown*>(&object)));
  return array;
}

const void* raw(const Ledra::ScopedVariant& owner) { return V_UNKNOWN(&owner.get()); }
template <class Owner>
const void* raw(const Owner& owner) {
  return owner.get();
}

// One row: make() gives a full owner; alive() tells whether its resource still
// lives (null where that cannot be seen, as for a BSTR).
template <class Owner>
void checkOwner(const char* kind, const std::function<Owner()>& make, const std::function<bool()>& alive) {
  SCOPED_TRACE(kind);
  const auto expectAlive = [&](bool expected) { EXPECT_TRUE(!alive || expected == alive()) << expected; };
  {
    Owner full = make();
    const void* held = raw(full);
    EXPECT_EQ(nullptr, full.receive());  // refused: the held value is not freed
    full.reset(full.get());              // nor is it when it is taken again
    EXPECT_EQ(held, raw(full));
    expectAlive(true);
    full.reset();
    EXPECT_FALSE(full.valid());
    expectAlive(false);
  }
  {
    Owner empty;
    Owner fresh = make();
    const void* value = raw(fresh);
    auto* slot = empty.receive();  // lent: what is written there is owned
    ASSERT_NE(nullptr, slot);
    *slot = fresh.release();
    EXPECT_FALSE(fresh.valid());
    EXPECT_EQ(value, raw(empty));
  }
  expectAlive(false);
  {
    Owner first = make();
    Owner second(std::move(first));
    Owner third;
    third = std::move(second);
    EXPECT_FALSE(first.valid());
    EXPECT_FALSE(second.valid());
    Owner& same = third;
    third = std::move(same);  // a move onto itself keeps the value
    EXPECT_TRUE(third.valid());
    expectAlive(true);
  }
  expectAlive(false);
  decltype(std::declval<Owner&>().release()) handedOut{};
  {
    Owner out = make();
    handedOut = out.release();
    EXPECT_FALSE(out.valid());
  }
  expectAlive(true);  // the caller owns it now
  Owner().reset(handedOut);
  expectAlive(false);
}

TEST(Owners, HoldLendAndHandOverTheirValueAndFreeItExactlyOnce) {
  Counted object;
  checkOwner<Ledra::ScopedVariant>(
      "VARIANT", [&] { return variantOf(object); }, [&] { return object.refs > 1; });
  checkOwner<Ledra::ScopedSafeArray>(
      "SAFEARRAY", [&] { return arrayOf(object); }, [&] { return object.refs > 1; });
  const std::wstring name = L"TarnOwnersTest." + std::to_wstring(::GetCurrentProcessId());
  checkOwner<Ledra::ScopedHandle>(
      "event", [&] { return Ledra::ScopedHandle(::CreateEventW(nullptr, TRUE, FALSE, name.c_str())); },
      [&] { return Ledra::ScopedHandle(::OpenEventW(SYNCHRONIZE, FALSE, name.c_str())).valid(); });
  checkOwner<Ledra::ScopedBstr>(
      "BSTR", [] { return Ledra::ScopedBstr(::SysAllocString(L"text")); }, nullptr);
  EXPECT_EQ(1, object.refs);  // every reference the owners took was given back once
}

TEST(Owners, AnInOutVariantIsClearedBeforeItIsFilledAndANullTextStaysNull) {
  Counted object;
  VARIANT caller = variantOf(object).release();
  Ledra::fillInOut(&caller, Ledra::ScopedVariant(7L));
  EXPECT_EQ(1, object.refs);
  EXPECT_EQ(VT_I4, V_VT(&caller));
  EXPECT_EQ(7, V_I4(&caller));
  Ledra::ScopedVariant nullText;
  ASSERT_EQ(S_OK, nullText.setText(nullptr));
  ASSERT_EQ(S_OK, nullText.copyTo(&caller));
  EXPECT_EQ(VT_BSTR, V_VT(&caller));
  EXPECT_EQ(nullptr, V_BSTR(&caller));
}

TEST(Owners, ASafeArrayLockUndoesItselfOnce) {
  Ledra::ScopedSafeArray array(::SafeArrayCreateVector(VT_I4, 0, 2));
  {
    Ledra::ScopedSafeArrayLock lock(array.get());
    ASSERT_TRUE(lock.locked());
    EXPECT_EQ(array.get()->pvData, lock.data());
    Ledra::ScopedSafeArrayLock moved(std::move(lock));
    EXPECT_FALSE(lock.locked());
    EXPECT_EQ(1u, array.get()->cLocks);
  }
  EXPECT_EQ(0u, array.get()->cLocks);
  EXPECT_FALSE(Ledra::ScopedSafeArrayLock(nullptr).locked());
}

}  // namespace
