// The settings manager as the program uses it: every operation is a request to
// the settings-manager service over the message bus, answered by a JSON reply.
// The client keeps no state besides its bus, so it may be called from several
// threads; each request blocks its caller until the reply arrives or the
// reply's deadline (the caller's timeout plus a second of grace) passes.
#pragma once

#include <memory>
#include <string>

#include "bus/MessageBus.h"
#include "settings/SettingsManager.h"

namespace Ledra {

class SettingsManagerClient : public SettingsManager {
 public:
  // Opens a bus client of its own on the bus library; throws ModuleException
  // when the library cannot be had.
  SettingsManagerClient();
  // Works on the given bus; a null bus is replaced as above.
  explicit SettingsManagerClient(std::shared_ptr<MessageBus> bus);
  ~SettingsManagerClient() override;

  SettingsManagerClient(const SettingsManagerClient&) = delete;
  SettingsManagerClient& operator=(const SettingsManagerClient&) = delete;

  // A client without a bus of its own choosing; an empty pointer (logged) when
  // it cannot be made.
  static std::unique_ptr<SettingsManager> getInstance();

  bool setProperty(const std::wstring& name, double value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, unsigned int value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, unsigned long long value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, unsigned long value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, long long value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, int value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, bool value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, const wchar_t* value, const Timeout& timeout) override;
  bool setProperty(const std::wstring& name, const std::wstring& value, const Timeout& timeout) override;
  ResultMap setProperties(const NameValuePairs& properties, const Timeout& timeout) override;

  bool setVolatileProperty(const std::wstring& name, double value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, unsigned int value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, unsigned long long value,
                           const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, unsigned long value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, long long value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, int value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, bool value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, const wchar_t* value, const Timeout& timeout) override;
  bool setVolatileProperty(const std::wstring& name, const std::wstring& value,
                           const Timeout& timeout) override;
  ResultMap setVolatileProperties(const NameValuePairs& properties, const Timeout& timeout) override;

  bool getProperty(const std::wstring& name, double& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, unsigned int& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, unsigned long long& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, unsigned long& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, long long& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, int& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, bool& out, const Timeout& timeout) override;
  bool getProperty(const std::wstring& name, std::wstring& out, const Timeout& timeout) override;
  ResultMap getProperties(const std::vector<std::wstring>& names, PropertyMap& out,
                          const Timeout& timeout) override;
  bool getPropertiesByPrefix(const std::vector<std::wstring>& prefixes, PropertyMap& out,
                             const Timeout& timeout) override;
  bool getPropertiesByPrefix(const std::wstring& prefix, PropertyMap& out, const Timeout& timeout) override;

  bool removeProperty(const std::wstring& name, const Timeout& timeout) override;
  ResultMap removeProperties(const std::vector<std::wstring>& names, const Timeout& timeout) override;
  ResultMap removePropertiesByPrefix(const std::vector<std::wstring>& prefixes,
                                     const Timeout& timeout) override;
  bool removePropertiesByPrefix(const std::wstring& prefix, const Timeout& timeout) override;

  bool subscribePropertySet(NameCallback callback, const std::wstring& name) override;
  bool subscribePropertySet(NameCallback callback) override;
  bool unsubscribePropertySet() override;
  bool subscribeNotifySet(NameValueCallback callback, const std::wstring& name) override;
  bool unsubscribeNotifySet(const std::wstring& name) override;
  bool subscribeNotifyDelete(NameCallback callback, const std::wstring& name) override;
  bool unsubscribeNotifyDelete(const std::wstring& name) override;
  bool subscribePropertyRemoved(NameCallback callback, const std::wstring& name) override;
  bool subscribePropertyRemoved(NameCallback callback) override;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace Ledra
