// The working part of SettingsManagerClient: builds the request payloads,
// sends them over the bus, waits for the replies and reads them. The typed
// forms and the conversions stay in the client itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bus/MessageBus.h"
#include "message/JSONFormatter.h"
#include "settings/SettingsManagerClient.h"

namespace Ledra {

class SettingsManagerClient::Impl {
 public:
  using NameFilter = std::function<bool(const std::wstring& name)>;

  explicit Impl(std::shared_ptr<MessageBus> bus);

  // operation: the qualified name of the caller's operation, for its log lines.
  bool setProperty(const std::wstring& name, const std::wstring& value, bool isVolatile,
                   const Timeout& timeout, const wchar_t* operation);
  bool getProperty(const std::wstring& name, std::wstring& out, const Timeout& timeout);
  bool removeProperty(const std::wstring& name, const Timeout& timeout);

  ResultMap setProperties(const NameValuePairs& properties, bool isVolatile, const Timeout& timeout,
                          const wchar_t* operation);
  ResultMap getProperties(const std::vector<std::wstring>& names, PropertyMap& out, const Timeout& timeout);
  bool getPropertiesByPrefix(const std::vector<std::wstring>& prefixes, PropertyMap& out,
                             const Timeout& timeout);
  ResultMap removeProperties(const std::vector<std::wstring>& names, const Timeout& timeout);
  ResultMap removePropertiesByPrefix(const std::vector<std::wstring>& prefixes, const Timeout& timeout);

  // An exact subscription to messageName (alias = messageName) whose payload's
  // name is handed to callback when filter accepts it.
  bool subscribeName(const wchar_t* messageName, NameCallback callback, NameFilter filter);
  bool subscribeNotifySet(NameValueCallback callback, const std::wstring& name);
  bool subscribeNotifyDelete(NameCallback callback, const std::wstring& name);
  // Drops the pattern subscription of prefix + name.
  bool unsubscribeNotify(const wchar_t* prefix, const std::wstring& name);
  // The subscriptions made under one alias (subscribeName uses the message name).
  bool unsubscribeAlias(const std::wstring& alias);

  // "^" + prefix + name + ".*": the name goes in as it is, so a dot in it
  // matches any character.
  static std::wstring notifyPattern(const wchar_t* prefix, const std::wstring& name);

 private:
  // The request with an empty sender, through the reply-handle form.
  unsigned long sendRequest(const wchar_t* messageName, const JSONFormatter& payload,
                            std::shared_ptr<Reply>& reply, const Timeout& timeout);
  // Waits for the reply and parses it into response. 0 on success; otherwise
  // MODULE_STATUS_TIMEOUT, MODULE_STATUS_DATA_ERROR (no usable reply, or one
  // that does not parse) or MODULE_STATUS_UNSUCCESSFUL, each logged.
  static uint32_t getSettingPropertyResponse(const std::shared_ptr<Reply>& reply, JSONFormatter& response);
  static uint32_t getSettingPropertyResponseList(const std::shared_ptr<Reply>& reply,
                                                 JSONFormatter& response);
  static uint32_t waitAndParse(const std::shared_ptr<Reply>& reply, JSONFormatter& response, bool list);
  static bool verifyPropertyName(const JSONFormatter& response, const std::wstring& expected);
  // A true "status" and a string "value", which becomes out.
  static bool getPropertyValue(const JSONFormatter& response, std::wstring& out);
  // "status" present and true; failedText is logged (with the property's
  // name when withName) when it is false.
  static bool readStatus(const JSONFormatter& response, const wchar_t* operation, const wchar_t* missingText,
                         const wchar_t* failedText, const std::wstring* name);

  static unsigned long onPropertyNotify(const std::shared_ptr<Message>& message, const NameCallback& callback,
                                        const NameFilter& filter);
  static unsigned long onPropertyNotifySet(const std::shared_ptr<Message>& message,
                                           const NameValueCallback& callback);
  static unsigned long onPropertyNotifyDelete(const std::shared_ptr<Message>& message,
                                              const NameCallback& callback);

  std::shared_ptr<MessageBus> bus_;
};

}  // namespace Ledra
