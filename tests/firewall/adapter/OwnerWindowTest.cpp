// The owner of the file dialog: the user interface's visible, unowned
// top-level window in the caller's terminal session.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <type_traits>

#include "firewall/adapter/TarnIf.h"
#include "tests/firewall/FakeComponent.h"
#include "wrappers/ScopedVariant.h"

namespace {

constexpr wchar_t kUiClass[] = L"ChromiumContainerImpl";
constexpr wchar_t kOtherClass[] = L"ChromiumContainerImplOther";

// A top-level window destroyed with the test.
struct WindowDestroyer {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
Window window(const wchar_t* windowClass, bool visible, HWND owner = nullptr) {
  return Window(CreateWindowExW(0, windowClass, L"ui", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0, 0,
                                100, 100, owner, nullptr, GetModuleHandleW(nullptr), nullptr));
}

class OwnerWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const wchar_t* name : {kUiClass, kOtherClass}) {
      WNDCLASSW windowClass = {};
      windowClass.lpfnWndProc = DefWindowProcW;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = name;
      RegisterClassW(&windowClass);
    }
  }
  void SetUp() override {
    DWORD id = 0;
    ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &id));
    session.setLong(static_cast<long>(id));
  }
  Ledra::ScopedVariant session;
};

TEST_F(OwnerWindow, TakesOnlyAVisibleUnownedWindowOfTheUiClassInTheSession) {
  const Window hidden = window(kUiClass, false);
  const Window other = window(kOtherClass, true);
  const Window owned = window(kUiClass, true, other.get());
  ASSERT_TRUE(hidden && other && owned);
  const HWND found = Brenix::TarnIf::find_owner_window(session.get());
  EXPECT_NE(hidden.get(), found);
  EXPECT_NE(other.get(), found);
  EXPECT_NE(owned.get(), found);

  // Shown, the same window is taken, but not for another session.
  ShowWindow(hidden.get(), SW_SHOWNA);
  EXPECT_EQ(hidden.get(), Brenix::TarnIf::find_owner_window(session.get()));
  const Ledra::ScopedVariant otherSession(static_cast<long>(V_I4(&session.get()) + 1));
  EXPECT_NE(hidden.get(), Brenix::TarnIf::find_owner_window(otherSession.get()));
}

TEST_F(OwnerWindow, TheFileDialogIsOwnedByTheWindowFoundAndItsAnswerHandedBack) {
  const Window ui = window(kUiClass, true);
  ASSERT_NE(nullptr, ui.get());
  const auto creator = std::make_shared<tarn_test::FakeCreator>();
  creator->hub.answer.setText(L"C:\\a.exe");
  Brenix::TarnIf adapter(creator);
  Ledra::ScopedVariant path;
  EXPECT_EQ(0u, adapter.uploaded_filepath(session.get(), path.receive()));
  EXPECT_EQ(ui.get(), creator->hub.lastOwner);
  EXPECT_EQ(1, creator->hub.lastMode);
  EXPECT_EQ(L"C:\\a.exe", std::wstring(V_BSTR(&path.get())));
  EXPECT_EQ(1, creator->hub.refs()) << "the helper was not released";
}

}  // namespace
