// The kit's own registry settings under HKLM\SOFTWARE\Brenix\FirewallKit: the
// state file location, the file-dialog answer, and the fault switches.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace BxKit {

constexpr wchar_t kKitKey[] = L"SOFTWARE\\Brenix\\FirewallKit";
constexpr wchar_t kFaultsKey[] = L"SOFTWARE\\Brenix\\FirewallKit\\Faults";
constexpr wchar_t kStateFileValue[] = L"StateFile";
constexpr wchar_t kOpenFilePathValue[] = L"OpenFilePath";

// A REG_SZ or REG_EXPAND_SZ value of HKLM (expanded); nothing when absent.
std::optional<std::wstring> ReadMachineText(const wchar_t* subkey, const wchar_t* value);
std::optional<DWORD> ReadMachineDword(const wchar_t* subkey, const wchar_t* value);

}  // namespace BxKit
