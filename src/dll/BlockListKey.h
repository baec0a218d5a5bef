// The registry reader the block list is read through: one key under
// HKEY_LOCAL_MACHINE and its string values, decoded by the support library's
// encoded-value reader.
#pragma once

#include <windows.h>

#include <string>

#include "wrappers/ObfuscatedRegKey.h"

namespace Ledra {

class BlockListKey {
 public:
  virtual ~BlockListKey() = default;
  // Opens HKLM\subKey for reading; false when it does not open.
  virtual bool open(const std::wstring& subKey);
  // The text of a value of the open key, as the encoded-value reader gives
  // it: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a value that is not there, or
  // why a value that is there cannot be read as text.
  virtual LSTATUS readString(const std::wstring& name, std::wstring& value);

 private:
  Basalt::CObfuscatedRegKey key_;
};

}  // namespace Ledra
