// The one place where the null component's objects count references, answer
// QueryInterface and keep the DLL loaded while they live.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>
#include <utility>

namespace NullComponent {

// Objects alive in this DLL; DllCanUnloadNow answers from it.
inline std::atomic<long> g_liveObjects{0};

// A COM object serving Interfaces (IUnknown is the first of them).
template <typename First, typename... Rest>
class NullObject : public First, public Rest... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *out = static_cast<First*>(this);
    } else {
      (void)(Offer<First>(riid, out) || ... || Offer<Rest>(riid, out));
    }
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  NullObject(const NullObject&) = delete;
  NullObject& operator=(const NullObject&) = delete;

 protected:
  NullObject() { ++g_liveObjects; }
  virtual ~NullObject() { --g_liveObjects; }

 private:
  template <typename Interface>
  bool Offer(REFIID riid, void** out) {
    if (!IsEqualIID(riid, __uuidof(Interface))) return false;
    *out = static_cast<Interface*>(this);
    return true;
  }

  std::atomic<ULONG> references_{1};
};

// Makes a T and answers it as riid; the caller's reference is the only one.
template <typename T, typename... Args>
HRESULT CreateAs(REFIID riid, void** out, Args&&... args) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

}  // namespace NullComponent
