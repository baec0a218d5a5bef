// The registry reader the block list is read through: one key under
// HKEY_LOCAL_MACHINE and its string values, decoded by the support library's
// encoded-value reader.
#pragma once

#include <windows.h>

#include <string>

#include "Logging/ObfuscatedRegKey.h"

namespace Ledra {

class BlockListKey {
 public:
  virtual ~BlockListKey() = default;
  // Opens HKLM\subKey for reading; false when it does not open.
  virtual bool open(const std::wstring& subKey);
  // The text of a string value of the open key; false when it cannot be read.
  virtual bool readString(const std::wstring& name, std::wstring& value);

 private:
  Basalt::CObfuscatedRegKey key_;
};

}  // namespace Ledra
