// Creation of the firewall component's objects, allowed only when the file that
// serves the class object passes the trusted-signature check.
#pragma once

#include <windows.h>

namespace Ledra {
class ImageTrust;
}

namespace Brenix {

// The class context every component object is created in.
constexpr DWORD kComponentClassContext = 23;

// Asks COM for the class object through the first class-factory interface, then
// the second; checks the signature of the file holding the class object's code;
// then creates the instance for riid into *out.
//   E_POINTER (0x80004003): out is null
//   COM's code: neither factory interface was given
//   E_ACCESSDENIED (0x80070005): the serving file is not trusted; no instance is made
//   otherwise the factory's own answer
// The check keeps its verdict for the serving image while it stays loaded
// (the process's ImageTrust unless another is given).
HRESULT createVerified(REFCLSID clsid, DWORD context, REFIID riid, void** out);
HRESULT createVerified(REFCLSID clsid, DWORD context, REFIID riid, void** out, Ledra::ImageTrust& trust);

}  // namespace Brenix
