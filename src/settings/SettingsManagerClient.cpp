#include "settings/SettingsManagerClient.h"

#include <new>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "Logging/Log.h"
#include "bus/MessageBusClient.h"
#include "include/ModuleException.h"
#include "settings/SettingsManagerClientImpl.h"
#include "settings/SettingsProtocol.h"

namespace Ledra {
namespace {

namespace sp = settings_protocol;

constexpr wchar_t kLogFile[] = L"SettingsManagerClient";

constexpr wchar_t kFnSetProperty[] = L"Ledra::SettingsManagerClient::setProperty";
constexpr wchar_t kFnSetProperties[] = L"Ledra::SettingsManagerClient::setProperties";
constexpr wchar_t kFnSetVolatileProperty[] = L"Ledra::SettingsManagerClient::setVolatileProperty";
constexpr wchar_t kFnSetVolatileProperties[] = L"Ledra::SettingsManagerClient::setVolatileProperties";
constexpr wchar_t kFnTryConvert[] = L"Ledra::SettingsManagerClient::tryConvert";
constexpr wchar_t kFnGetInstance[] = L"Ledra::SettingsManagerClient::getInstance";

constexpr wchar_t kConversionInvalid[] = L"Conversion failed due to invalid arguments.";
constexpr wchar_t kConversionRange[] = L"Conversion failed, out of range for destination type.";

constexpr wchar_t kCaughtModuleException[] =
    L"Failed to create settings manager client. Caught ModuleException - what: %hs.";
constexpr wchar_t kCaughtBadAlloc[] =
    L"Failed to create settings manager client. Caught bad_alloc - Failed to alllocate resources.";
constexpr wchar_t kCaughtStdException[] =
    L"Faield to create setting smanager client. Caught standard exception - what: %hs.";
constexpr wchar_t kCaughtUnknown[] =
    L"Failed to create settings manager client. Caught unexpected exception.";

std::shared_ptr<MessageBus> busOrDefault(std::shared_ptr<MessageBus> bus) {
  if (bus) return bus;
  return std::make_shared<MessageBusClient>();
}

// Writes: doubles with 16 significant digits, so 0.1 stays 0.1.
std::wstring preciseText(double value) {
  std::wostringstream stream;
  stream.precision(16);
  stream << value;
  return stream.str();
}

std::wstring boolText(bool value) { return value ? L"1" : L"0"; }
std::wstring pointerText(const wchar_t* value) {
  return value == nullptr ? std::wstring() : std::wstring(value);
}

// Reads: the standard conversions in base 10; out changes only on success.
template <typename T, typename Convert>
bool tryConvert(const std::wstring& text, T& out, Convert convert) {
  try {
    out = static_cast<T>(convert(text));
    return true;
  } catch (const std::invalid_argument&) {
    LEDRA_LOG(logging::Warning, kFnTryConvert, __LINE__, kConversionInvalid);
  } catch (const std::out_of_range&) {
    LEDRA_LOG(logging::Warning, kFnTryConvert, __LINE__, kConversionRange);
  }
  return false;
}

}  // namespace

SettingsManagerClient::SettingsManagerClient() : SettingsManagerClient(nullptr) {}

SettingsManagerClient::SettingsManagerClient(std::shared_ptr<MessageBus> bus)
    : impl_(std::make_unique<Impl>(busOrDefault(std::move(bus)))) {}

SettingsManagerClient::~SettingsManagerClient() = default;

std::unique_ptr<SettingsManager> SettingsManagerClient::getInstance() {
  try {
    return std::make_unique<SettingsManagerClient>();
  } catch (const ModuleException& e) {
    LEDRA_LOG(logging::Error, kFnGetInstance, __LINE__, kCaughtModuleException, e.what());
  } catch (const std::bad_alloc&) {
    LEDRA_LOG(logging::Error, kFnGetInstance, __LINE__, kCaughtBadAlloc);
  } catch (const std::exception& e) {
    LEDRA_LOG(logging::Error, kFnGetInstance, __LINE__, kCaughtStdException, e.what());
  } catch (...) {
    LEDRA_LOG(logging::Error, kFnGetInstance, __LINE__, kCaughtUnknown);
  }
  return nullptr;
}

// Writes.

bool SettingsManagerClient::setProperty(const std::wstring& name, double value, const Timeout& timeout) {
  return setProperty(name, preciseText(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, unsigned int value,
                                        const Timeout& timeout) {
  return setProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, unsigned long long value,
                                        const Timeout& timeout) {
  return setProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, unsigned long value,
                                        const Timeout& timeout) {
  return setProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, long long value, const Timeout& timeout) {
  return setProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, int value, const Timeout& timeout) {
  return setProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, bool value, const Timeout& timeout) {
  return setProperty(name, boolText(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, const wchar_t* value,
                                        const Timeout& timeout) {
  return setProperty(name, pointerText(value), timeout);
}
bool SettingsManagerClient::setProperty(const std::wstring& name, const std::wstring& value,
                                        const Timeout& timeout) {
  return impl_->setProperty(name, value, false, timeout, kFnSetProperty);
}
SettingsManager::ResultMap SettingsManagerClient::setProperties(const NameValuePairs& properties,
                                                                const Timeout& timeout) {
  return impl_->setProperties(properties, false, timeout, kFnSetProperties);
}

// Volatile writes. Doubles go through std::to_wstring here: six decimals.

bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, double value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, unsigned int value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, unsigned long long value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, unsigned long value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, long long value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, int value, const Timeout& timeout) {
  return setVolatileProperty(name, std::to_wstring(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, bool value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, boolText(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, const wchar_t* value,
                                                const Timeout& timeout) {
  return setVolatileProperty(name, pointerText(value), timeout);
}
bool SettingsManagerClient::setVolatileProperty(const std::wstring& name, const std::wstring& value,
                                                const Timeout& timeout) {
  return impl_->setProperty(name, value, true, timeout, kFnSetVolatileProperty);
}
SettingsManager::ResultMap SettingsManagerClient::setVolatileProperties(const NameValuePairs& properties,
                                                                        const Timeout& timeout) {
  return impl_->setProperties(properties, true, timeout, kFnSetVolatileProperties);
}

// Reads.

bool SettingsManagerClient::getProperty(const std::wstring& name, double& out, const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stod(t); });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, unsigned int& out, const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stoul(t, nullptr, 10); });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, unsigned long long& out,
                                        const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stoull(t, nullptr, 10); });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, unsigned long& out,
                                        const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stoul(t, nullptr, 10); });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, long long& out, const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stoll(t, nullptr, 10); });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, int& out, const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stoi(t, nullptr, 10); });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, bool& out, const Timeout& timeout) {
  std::wstring text;
  return getProperty(name, text, timeout) &&
         tryConvert(text, out, [](const std::wstring& t) { return std::stoi(t, nullptr, 10) != 0; });
}
bool SettingsManagerClient::getProperty(const std::wstring& name, std::wstring& out, const Timeout& timeout) {
  return impl_->getProperty(name, out, timeout);
}
SettingsManager::ResultMap SettingsManagerClient::getProperties(const std::vector<std::wstring>& names,
                                                                PropertyMap& out, const Timeout& timeout) {
  return impl_->getProperties(names, out, timeout);
}
bool SettingsManagerClient::getPropertiesByPrefix(const std::vector<std::wstring>& prefixes, PropertyMap& out,
                                                  const Timeout& timeout) {
  return impl_->getPropertiesByPrefix(prefixes, out, timeout);
}
bool SettingsManagerClient::getPropertiesByPrefix(const std::wstring& prefix, PropertyMap& out,
                                                  const Timeout& timeout) {
  return getPropertiesByPrefix(std::vector<std::wstring>{prefix}, out, timeout);
}

// Removes.

bool SettingsManagerClient::removeProperty(const std::wstring& name, const Timeout& timeout) {
  return impl_->removeProperty(name, timeout);
}
SettingsManager::ResultMap SettingsManagerClient::removeProperties(const std::vector<std::wstring>& names,
                                                                   const Timeout& timeout) {
  return impl_->removeProperties(names, timeout);
}
SettingsManager::ResultMap SettingsManagerClient::removePropertiesByPrefix(
    const std::vector<std::wstring>& prefixes, const Timeout& timeout) {
  return impl_->removePropertiesByPrefix(prefixes, timeout);
}
bool SettingsManagerClient::removePropertiesByPrefix(const std::wstring& prefix, const Timeout& timeout) {
  const ResultMap results = removePropertiesByPrefix(std::vector<std::wstring>{prefix}, timeout);
  const auto entry = results.find(prefix);
  return entry != results.end() && entry->second;
}

// Notifications.

bool SettingsManagerClient::subscribePropertySet(NameCallback callback, const std::wstring& name) {
  return impl_->subscribeName(sp::kPropertySet, std::move(callback),
                              [name](const std::wstring& changed) { return changed == name; });
}
bool SettingsManagerClient::subscribePropertySet(NameCallback callback) {
  return impl_->subscribeName(sp::kPropertySet, std::move(callback),
                              [](const std::wstring&) { return true; });
}
bool SettingsManagerClient::unsubscribePropertySet() { return impl_->unsubscribeAlias(sp::kPropertySet); }
bool SettingsManagerClient::subscribeNotifySet(NameValueCallback callback, const std::wstring& name) {
  return impl_->subscribeNotifySet(std::move(callback), name);
}
bool SettingsManagerClient::unsubscribeNotifySet(const std::wstring& name) {
  return impl_->unsubscribeNotify(sp::kNotifySetPrefix, name);
}
bool SettingsManagerClient::subscribeNotifyDelete(NameCallback callback, const std::wstring& name) {
  return impl_->subscribeNotifyDelete(std::move(callback), name);
}
bool SettingsManagerClient::unsubscribeNotifyDelete(const std::wstring& name) {
  return impl_->unsubscribeNotify(sp::kNotifyDeletePrefix, name);
}
bool SettingsManagerClient::subscribePropertyRemoved(NameCallback callback, const std::wstring& name) {
  return impl_->subscribeName(sp::kPropertyRemoved, std::move(callback),
                              [name](const std::wstring& removed) { return removed == name; });
}
bool SettingsManagerClient::subscribePropertyRemoved(NameCallback callback) {
  return impl_->subscribeName(sp::kPropertyRemoved, std::move(callback),
                              [](const std::wstring&) { return true; });
}

}  // namespace Ledra
