#include "wrappers/ShlObjAPI.h"

namespace Ledra {

HRESULT ShlObjAPI::getKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path) {
  return ::SHGetKnownFolderPath(id, flags, token, path);
}

}  // namespace Ledra
