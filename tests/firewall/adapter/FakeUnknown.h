// Reference counting and QueryInterface shared by the fakes. A fake lives on
// the test's stack: refs() starts at 1 (the test's own reference) and Release
// never deletes, so a test can check that every reference came back.
#pragma once

#include <objbase.h>
#include <oaidl.h>

#include <initializer_list>

#define FAKE_UNKNOWN(Primary, ...)                                                       \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {        \
    *object = nullptr;                                                                   \
    for (const IID* iid : std::initializer_list<const IID*>{&IID_IUnknown, __VA_ARGS__}) \
      if (IsEqualIID(riid, *iid)) *object = static_cast<Primary*>(this);                 \
    if (IsEqualIID(riid, IID_IDispatch)) *object = dispatchOrNull();                     \
    if (!*object) return E_NOINTERFACE;                                                  \
    AddRef();                                                                            \
    return S_OK;                                                                         \
  }                                                                                      \
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }                          \
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }                         \
  long refs() const { return refs_; }                                                    \
  long refs_ = 1

// IDispatch methods of a fake that travels in a VT_DISPATCH but is never
// called through IDispatch, as the component's objects do.
#define FAKE_DISPATCH_STUBS                                                                              \
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }                       \
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }          \
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {             \
    return E_NOTIMPL;                                                                                    \
  }                                                                                                      \
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) \
      override {                                                                                         \
    return E_NOTIMPL;                                                                                    \
  }                                                                                                      \
  IDispatch* dispatchOrNull() { return static_cast<IDispatch*>(this); }                                  \
  IDispatch* dispatch() { return static_cast<IDispatch*>(this); }
