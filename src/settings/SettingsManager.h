// Named properties of the settings-manager service: read, write, remove and
// watch them. Every value travels as text; numbers as decimal text, bools as
// the digits 1 and 0. Calls never throw for bus, timeout or JSON errors: a
// single operation answers false, a list operation its map with false entries.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Ledra {

class SettingsManager {
 public:
  using Timeout = std::chrono::milliseconds;
  using NameValuePairs = std::vector<std::pair<std::wstring, std::wstring>>;  // in the caller's order
  using PropertyMap = std::unordered_map<std::wstring, std::wstring>;
  using ResultMap = std::unordered_map<std::wstring, bool>;
  using NameCallback = std::function<void(const std::wstring& name)>;
  using NameValueCallback = std::function<void(const std::wstring& name, const std::wstring& value)>;

  virtual ~SettingsManager() = default;

  virtual bool setProperty(const std::wstring& name, double value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, unsigned int value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, unsigned long long value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, unsigned long value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, long long value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, int value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, bool value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, const wchar_t* value, const Timeout& timeout) = 0;
  virtual bool setProperty(const std::wstring& name, const std::wstring& value, const Timeout& timeout) = 0;
  virtual ResultMap setProperties(const NameValuePairs& properties, const Timeout& timeout) = 0;

  virtual bool setVolatileProperty(const std::wstring& name, double value, const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, unsigned int value, const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, unsigned long long value,
                                   const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, unsigned long value, const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, long long value, const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, int value, const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, bool value, const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, const wchar_t* value,
                                   const Timeout& timeout) = 0;
  virtual bool setVolatileProperty(const std::wstring& name, const std::wstring& value,
                                   const Timeout& timeout) = 0;
  virtual ResultMap setVolatileProperties(const NameValuePairs& properties, const Timeout& timeout) = 0;

  virtual bool getProperty(const std::wstring& name, double& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, unsigned int& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, unsigned long long& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, unsigned long& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, long long& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, int& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, bool& out, const Timeout& timeout) = 0;
  virtual bool getProperty(const std::wstring& name, std::wstring& out, const Timeout& timeout) = 0;
  virtual ResultMap getProperties(const std::vector<std::wstring>& names, PropertyMap& out,
                                  const Timeout& timeout) = 0;
  virtual bool getPropertiesByPrefix(const std::vector<std::wstring>& prefixes, PropertyMap& out,
                                     const Timeout& timeout) = 0;
  virtual bool getPropertiesByPrefix(const std::wstring& prefix, PropertyMap& out,
                                     const Timeout& timeout) = 0;

  virtual bool removeProperty(const std::wstring& name, const Timeout& timeout) = 0;
  virtual ResultMap removeProperties(const std::vector<std::wstring>& names, const Timeout& timeout) = 0;
  virtual ResultMap removePropertiesByPrefix(const std::vector<std::wstring>& prefixes,
                                             const Timeout& timeout) = 0;
  virtual bool removePropertiesByPrefix(const std::wstring& prefix, const Timeout& timeout) = 0;

  // Notification callbacks run on the bus library's delivery threads.
  virtual bool subscribePropertySet(NameCallback callback, const std::wstring& name) = 0;
  virtual bool subscribePropertySet(NameCallback callback) = 0;
  // Ends every property-set watch of this client; a callback may still be
  // running, or be called once more by a delivery already under way.
  virtual bool unsubscribePropertySet() = 0;
  virtual bool subscribeNotifySet(NameValueCallback callback, const std::wstring& name) = 0;
  virtual bool unsubscribeNotifySet(const std::wstring& name) = 0;
  virtual bool subscribeNotifyDelete(NameCallback callback, const std::wstring& name) = 0;
  virtual bool unsubscribeNotifyDelete(const std::wstring& name) = 0;
  virtual bool subscribePropertyRemoved(NameCallback callback, const std::wstring& name) = 0;
  virtual bool subscribePropertyRemoved(NameCallback callback) = 0;
};

}  // namespace Ledra
