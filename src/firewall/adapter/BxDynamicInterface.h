// The result bag handed to the firewall component as "desc": an IDispatch over
// named VARIANTs. The component puts its results by name, the module reads them
// back by name. Only the names of the property table exist; their indexes are
// the dispatch identifiers.
//
// This is the form that lives on its caller's stack: its reference counting does
// nothing, and it must outlive every use the component makes of it during the
// call. CountedBxDynamicInterface is the heap form.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <string>

#include "wrappers/ScopedVariant.h"

namespace Brenix {

class BxDynamicInterface : public IDispatch {
 public:
  BxDynamicInterface() = default;
  virtual ~BxDynamicInterface();

  BxDynamicInterface(const BxDynamicInterface&) = delete;
  BxDynamicInterface& operator=(const BxDynamicInterface&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;  // 0
  ULONG STDMETHODCALLTYPE AddRef() override;                                      // 1
  ULONG STDMETHODCALLTYPE Release() override;                                     // 2
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;                           // 3
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;  // 4
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;  // 5
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;  // 6

 private:
  HRESULT getProperty(const wchar_t* name, VARIANT* result) const;
  HRESULT putProperty(const wchar_t* name, const DISPPARAMS* params);

  std::map<std::wstring, Ledra::ScopedVariant> properties_;
};

// Codes the bag answers with.
constexpr HRESULT kBagUnknownName = 2;      // a name outside the property table
constexpr HRESULT kBagPropertyEmpty = 232;  // a get of a name that holds nothing
constexpr HRESULT kBagUnknownInterface = static_cast<HRESULT>(0x80020001);  // DISP_E_UNKNOWNINTERFACE
constexpr HRESULT kBagMemberNotFound = static_cast<HRESULT>(0x80020007);    // DISP_E_MEMBERNOTFOUND

}  // namespace Brenix
