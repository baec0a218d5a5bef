#include "dll/BlockListKey.h"

namespace Ledra {

bool BlockListKey::open(const std::wstring& subKey) { return key_.open(subKey.c_str()) == ERROR_SUCCESS; }

LSTATUS BlockListKey::readString(const std::wstring& name, std::wstring& value) {
  return key_.readString(name.c_str(), value);
}

}  // namespace Ledra
