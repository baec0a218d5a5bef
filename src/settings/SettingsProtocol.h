// The words of the settings-manager protocol: request and notification names
// and the JSON keys of their payloads. Shared by the client and the kit's
// service so that both spell them alike.
#pragma once

namespace Ledra {
namespace settings_protocol {

// Requests.
constexpr wchar_t kSetProperty[] = L"SETTINGS_MANAGER_SET_PROPERTY";
constexpr wchar_t kGetProperty[] = L"SETTINGS_MANAGER_GET_PROPERTY";
constexpr wchar_t kRemoveProperty[] = L"SETTINGS_MANAGER_REMOVE_PROPERTY";
constexpr wchar_t kSetProperties[] = L"SettingsManager.SetProperties.Request";
constexpr wchar_t kGetProperties[] = L"SettingsManager.GetProperties.Request";
constexpr wchar_t kRemoveProperties[] = L"SettingsManager.RemoveProperties.Request";

// Notifications. The two prefixes are followed by the property's name.
constexpr wchar_t kPropertySet[] = L"SETTINGS_MANAGER_PROPERTY_SET";
constexpr wchar_t kPropertyRemoved[] = L"SETTINGS_MANAGER_PROPERTY_REMOVED";
constexpr wchar_t kNotifySetPrefix[] = L"SettingsManager.Notify.Set.";
constexpr wchar_t kNotifyDeletePrefix[] = L"SettingsManager.Notify.Delete.";

// JSON keys.
constexpr wchar_t kName[] = L"name";
constexpr wchar_t kValue[] = L"value";
constexpr wchar_t kVolatile[] = L"volatile";
constexpr wchar_t kIsPrefix[] = L"isPrefix";
constexpr wchar_t kProperties[] = L"properties";
constexpr wchar_t kStatus[] = L"status";
constexpr wchar_t kResponses[] = L"responses";

}  // namespace settings_protocol
}  // namespace Ledra
