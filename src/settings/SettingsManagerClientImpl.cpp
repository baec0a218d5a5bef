#include "settings/SettingsManagerClientImpl.h"

#include <utility>

#include "Logging/Log.h"
#include "include/ModuleStatus.h"
#include "message/Message.h"
#include "message/Reply.h"
#include "settings/SettingsProtocol.h"

namespace Ledra {
namespace {

namespace sp = settings_protocol;
using logging::Error;
using logging::Warning;

constexpr wchar_t kLogFile[] = L"SettingsManagerClient";

constexpr wchar_t kFnGetProperty[] = L"Ledra::SettingsManagerClient::getProperty";
constexpr wchar_t kFnRemoveProperty[] = L"Ledra::SettingsManagerClient::removeProperty";
constexpr wchar_t kFnGetProperties[] = L"Ledra::SettingsManagerClient::getProperties";
constexpr wchar_t kFnGetByPrefix[] = L"Ledra::SettingsManagerClient::getPropertiesByPrefix";
constexpr wchar_t kFnRemoveProperties[] = L"Ledra::SettingsManagerClient::removeProperties";
constexpr wchar_t kFnRemoveByPrefix[] = L"Ledra::SettingsManagerClient::removePropertiesByPrefix";
constexpr wchar_t kFnResponse[] = L"Ledra::SettingsManagerClient::getSettingPropertyResponse";
constexpr wchar_t kFnResponseList[] = L"Ledra::SettingsManagerClient::getSettingPropertyResponseList";
constexpr wchar_t kFnVerifyName[] = L"Ledra::SettingsManagerClient::verifyPropertyName";
constexpr wchar_t kFnGetValue[] = L"Ledra::SettingsManagerClient::getPropertyValue";
constexpr wchar_t kFnOnNotify[] = L"Ledra::SettingsManagerClient::onPropertyNotify";
constexpr wchar_t kFnOnNotifySet[] = L"Ledra::SettingsManagerClient::onPropertyNotifySet";
constexpr wchar_t kFnOnNotifyDelete[] = L"Ledra::SettingsManagerClient::onPropertyNotifyDelete";

// Sending.
constexpr wchar_t kMakeSetFailed[] = L"Failed to make set property request. Error code: %ls(%lu)";
constexpr wchar_t kMakeGetFailed[] = L"Failed to make get property request. Error code: %ls(%lu)";
constexpr wchar_t kMakeRemoveFailed[] = L"Failed to make remove property request. Error code: %ls(%lu)";
constexpr wchar_t kMakeGetListFailed[] = L"Failed to make get properties request. Error code: %ls(%lu)";
constexpr wchar_t kMakeSetListFailed[] = L"Failed to make set properties request. Error code: %ls(%lu)";
constexpr wchar_t kSetListNoRequest[] = L"Failed to set properties. Unable to make request.";
constexpr wchar_t kMakeRemoveListFailed[] = L"Failed to make remove properties request. Error code: %ls(%lu)";
constexpr wchar_t kMakeRemovePrefixFailed[] =
    L"Failed to make remove properties by prefix request. Error code: %ls(%lu)";

// Waiting.
constexpr wchar_t kTimedOut[] = L"Property request timed out. Returning.";
constexpr wchar_t kListTimedOut[] = L"Property list request timed out. Returning.";
constexpr wchar_t kDataError[] = L"Property request failed with DATA_ERROR. Returning.";
constexpr wchar_t kListDataError[] = L"Property list request failed with DATA_ERROR. Returning.";
constexpr wchar_t kWaitUnknown[] = L"Property request failed on wait() with unknown error.";
constexpr wchar_t kListWaitUnknown[] = L"Property list request failed on wait() with unknown error.";
constexpr wchar_t kParseFailed[] = L"Failed to parse settings manager response message. Returning.";

// Reading single replies.
constexpr wchar_t kNoName[] = L"Failed to read settings manager response property name.";
constexpr wchar_t kNameMismatch[] =
    L"Response property name (%ls) does not match expected property name (%ls).";
constexpr wchar_t kNoStatus[] = L"Failed to read settings manager response status.";
constexpr wchar_t kSetFailed[] = L"Settings Manager failed to set property value.";
constexpr wchar_t kRemoveFailed[] = L"Settings Manager failed to remove property.";
constexpr wchar_t kNoValue[] = L"Failed to read settings manager response value.";

// Reading list replies.
constexpr wchar_t kSetListParse[] = L"Failed to set properties. Unable to parse responses.";
constexpr wchar_t kRemoveListReplyFailed[] =
    L"Failed to parse remove properties response. Error code: %ls(%lu)";
constexpr wchar_t kRemoveListNoStatuses[] = L"Failed to parse statuses from remove properties response.";
constexpr wchar_t kItemNoName[] = L"Failed to read settings property response name.";
constexpr wchar_t kPrefixItemNoName[] = L"Failed to read settings property response name. Skipping";
constexpr wchar_t kUnexpectedGet[] = L"Received an unexpected setting property. Name: %ls.";
constexpr wchar_t kUnexpectedSet[] = L"Received unexpected setting property response. Name: %ls.";
constexpr wchar_t kUnexpectedRemove[] = L"Received unexpected setting property. Name: %ls.";
constexpr wchar_t kItemNoStatus[] = L"Failed to read settings manager response status. Property Name: %ls";
constexpr wchar_t kItemSetFailed[] = L"Settings Manager failed to set property value. Property Name: %ls";
constexpr wchar_t kItemRemoveFailed[] = L"Settings Manager failed to remove property. Property Name: %ls";

// Notifications.
constexpr wchar_t kNotifyParse[] = L"Failed to parse setting property data.";
constexpr wchar_t kNotifyName[] = L"Failed to read setting property name.";
constexpr wchar_t kNotifyValue[] = L"Failed to read setting value.";

using ResultMap = SettingsManager::ResultMap;

unsigned long code(uint32_t status) { return status; }
const wchar_t* statusName(uint32_t status) { return moduleStatusName(static_cast<ModuleStatus>(status)); }

ResultMap allFalse(const std::vector<std::wstring>& names) {
  ResultMap results;
  for (const auto& name : names) results[name] = false;
  return results;
}

// {"properties": [{"name": N}, ...]}, with "isPrefix": true in each entry when asked.
JSONFormatter nameListPayload(const std::vector<std::wstring>& names, bool isPrefix) {
  std::vector<JSONFormatter> entries;
  entries.reserve(names.size());
  for (const auto& name : names) {
    JSONFormatter entry;
    entry.setString(sp::kName, name);
    if (isPrefix) entry.setBool(sp::kIsPrefix, true);
    entries.push_back(std::move(entry));
  }
  JSONFormatter payload;
  payload.setObjectArray(sp::kProperties, entries);
  return payload;
}

// The payload of a notification, parsed; logs and answers false when it does not parse.
bool parseNotification(const std::shared_ptr<Message>& message, JSONFormatter& data,
                       const wchar_t* function) {
  if (!message || !data.fromString(message->getPayload())) {
    LEDRA_LOG(Warning, function, __LINE__, kNotifyParse);
    return false;
  }
  return true;
}

}  // namespace

SettingsManagerClient::Impl::Impl(std::shared_ptr<MessageBus> bus) : bus_(std::move(bus)) {}

unsigned long SettingsManagerClient::Impl::sendRequest(const wchar_t* messageName,
                                                       const JSONFormatter& payload,
                                                       std::shared_ptr<Reply>& reply,
                                                       const Timeout& timeout) {
  // An empty sender: the message names this module's file instead. A message
  // that cannot be built reaches the bus empty and is refused there.
  std::shared_ptr<Message> message = Message::create(messageName, std::wstring(), payload.toString());
  return bus_->request(message, reply, timeout);
}

uint32_t SettingsManagerClient::Impl::getSettingPropertyResponse(const std::shared_ptr<Reply>& reply,
                                                                 JSONFormatter& response) {
  return waitAndParse(reply, response, false);
}

uint32_t SettingsManagerClient::Impl::getSettingPropertyResponseList(const std::shared_ptr<Reply>& reply,
                                                                     JSONFormatter& response) {
  return waitAndParse(reply, response, true);
}

uint32_t SettingsManagerClient::Impl::waitAndParse(const std::shared_ptr<Reply>& reply,
                                                   JSONFormatter& response, bool list) {
  const wchar_t* function = list ? kFnResponseList : kFnResponse;
  // A bus that accepted the request but handed back no reply is as good as no reply.
  const uint32_t status = reply ? reply->wait() : kReplyNoReply;
  switch (status) {
    case kReplyArrived:
      break;
    case kReplyTimedOut:
      LEDRA_LOG(Warning, function, __LINE__, list ? kListTimedOut : kTimedOut);
      return MODULE_STATUS_TIMEOUT;
    case kReplyNoReply:
      LEDRA_LOG(Warning, function, __LINE__, list ? kListDataError : kDataError);
      return MODULE_STATUS_DATA_ERROR;
    default:
      LEDRA_LOG(Warning, function, __LINE__, list ? kListWaitUnknown : kWaitUnknown);
      return MODULE_STATUS_UNSUCCESSFUL;
  }
  const std::shared_ptr<Message> message = reply->getMessage();
  if (!message || !response.fromString(message->getPayload())) {
    LEDRA_LOG(Warning, function, __LINE__, kParseFailed);
    return MODULE_STATUS_DATA_ERROR;
  }
  return MODULE_STATUS_SUCCESS;
}

bool SettingsManagerClient::Impl::verifyPropertyName(const JSONFormatter& response,
                                                     const std::wstring& expected) {
  std::wstring name;
  if (!response.getString(sp::kName, name)) {
    LEDRA_LOG(Warning, kFnVerifyName, __LINE__, kNoName);
    return false;
  }
  if (name != expected) {
    LEDRA_LOG(Warning, kFnVerifyName, __LINE__, kNameMismatch, name.c_str(), expected.c_str());
    return false;
  }
  return true;
}

bool SettingsManagerClient::Impl::getPropertyValue(const JSONFormatter& response, std::wstring& out) {
  bool status = false;
  if (!response.getBool(sp::kStatus, status)) {
    LEDRA_LOG(Warning, kFnGetValue, __LINE__, kNoStatus);
    return false;
  }
  if (!status) return false;  // the service does not have it: not worth a line
  std::wstring value;
  if (!response.getString(sp::kValue, value)) {
    LEDRA_LOG(Warning, kFnGetValue, __LINE__, kNoValue);
    return false;
  }
  out = std::move(value);
  return true;
}

bool SettingsManagerClient::Impl::readStatus(const JSONFormatter& response, const wchar_t* operation,
                                             const wchar_t* missingText, const wchar_t* failedText,
                                             const std::wstring* name) {
  bool status = false;
  if (!response.getBool(sp::kStatus, status)) {
    if (name == nullptr) {
      LEDRA_LOG(Warning, operation, __LINE__, missingText);
    } else {
      LEDRA_LOG(Warning, operation, __LINE__, missingText, name->c_str());
    }
    return false;
  }
  if (!status) {
    if (name == nullptr) {
      LEDRA_LOG(Warning, operation, __LINE__, failedText);
    } else {
      LEDRA_LOG(Warning, operation, __LINE__, failedText, name->c_str());
    }
    return false;
  }
  return true;
}

// Single properties.

bool SettingsManagerClient::Impl::setProperty(const std::wstring& name, const std::wstring& value,
                                              bool isVolatile, const Timeout& timeout,
                                              const wchar_t* operation) {
  JSONFormatter payload;
  payload.setString(sp::kName, name);
  payload.setString(sp::kValue, value);
  payload.setBool(sp::kVolatile, isVolatile);
  std::shared_ptr<Reply> reply;
  const unsigned long result = sendRequest(sp::kSetProperty, payload, reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, operation, __LINE__, kMakeSetFailed, statusName(static_cast<uint32_t>(result)),
              result);
    return false;
  }
  JSONFormatter response;
  if (getSettingPropertyResponse(reply, response) != MODULE_STATUS_SUCCESS) return false;
  if (!verifyPropertyName(response, name)) return false;
  return readStatus(response, operation, kNoStatus, kSetFailed, nullptr);
}

bool SettingsManagerClient::Impl::getProperty(const std::wstring& name, std::wstring& out,
                                              const Timeout& timeout) {
  JSONFormatter payload;
  payload.setString(sp::kName, name);
  std::shared_ptr<Reply> reply;
  const unsigned long result = sendRequest(sp::kGetProperty, payload, reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, kFnGetProperty, __LINE__, kMakeGetFailed, statusName(static_cast<uint32_t>(result)),
              result);
    return false;
  }
  JSONFormatter response;
  if (getSettingPropertyResponse(reply, response) != MODULE_STATUS_SUCCESS) return false;
  if (!verifyPropertyName(response, name)) return false;
  return getPropertyValue(response, out);
}

bool SettingsManagerClient::Impl::removeProperty(const std::wstring& name, const Timeout& timeout) {
  JSONFormatter payload;
  payload.setString(sp::kName, name);
  std::shared_ptr<Reply> reply;
  const unsigned long result = sendRequest(sp::kRemoveProperty, payload, reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, kFnRemoveProperty, __LINE__, kMakeRemoveFailed,
              statusName(static_cast<uint32_t>(result)), result);
    return false;
  }
  JSONFormatter response;
  if (getSettingPropertyResponse(reply, response) != MODULE_STATUS_SUCCESS) return false;
  if (!verifyPropertyName(response, name)) return false;
  return readStatus(response, kFnRemoveProperty, kNoStatus, kRemoveFailed, nullptr);
}

// Lists.

ResultMap SettingsManagerClient::Impl::setProperties(const NameValuePairs& properties, bool isVolatile,
                                                     const Timeout& timeout, const wchar_t* operation) {
  ResultMap results;
  std::vector<JSONFormatter> entries;
  entries.reserve(properties.size());
  for (const auto& property : properties) {
    results[property.first] = false;
    JSONFormatter entry;
    entry.setString(sp::kName, property.first);
    entry.setString(sp::kValue, property.second);
    entry.setBool(sp::kVolatile, isVolatile);
    entries.push_back(std::move(entry));
  }
  JSONFormatter payload;
  payload.setObjectArray(sp::kProperties, entries);

  std::shared_ptr<Reply> reply;
  const unsigned long result = sendRequest(sp::kSetProperties, payload, reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, operation, __LINE__, kMakeSetListFailed, statusName(static_cast<uint32_t>(result)),
              result);
    LEDRA_LOG(Error, operation, __LINE__, kSetListNoRequest);
    return results;
  }
  JSONFormatter response;
  std::vector<JSONFormatter> items;
  if (getSettingPropertyResponseList(reply, response) != MODULE_STATUS_SUCCESS ||
      !response.getObjectArray(sp::kResponses, items)) {
    LEDRA_LOG(Error, operation, __LINE__, kSetListParse);
    return results;
  }
  for (const auto& item : items) {
    std::wstring name;
    if (!item.getString(sp::kName, name)) {
      LEDRA_LOG(Warning, operation, __LINE__, kItemNoName);
      continue;
    }
    const auto entry = results.find(name);
    if (entry == results.end()) {
      LEDRA_LOG(Warning, operation, __LINE__, kUnexpectedSet, name.c_str());
      continue;
    }
    if (readStatus(item, operation, kItemNoStatus, kItemSetFailed, &name)) entry->second = true;
  }
  return results;
}

ResultMap SettingsManagerClient::Impl::getProperties(const std::vector<std::wstring>& names, PropertyMap& out,
                                                     const Timeout& timeout) {
  ResultMap results = allFalse(names);
  std::shared_ptr<Reply> reply;
  const unsigned long result = sendRequest(sp::kGetProperties, nameListPayload(names, false), reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, kFnGetProperties, __LINE__, kMakeGetListFailed,
              statusName(static_cast<uint32_t>(result)), result);
    return results;
  }
  JSONFormatter response;
  if (getSettingPropertyResponseList(reply, response) != MODULE_STATUS_SUCCESS) return results;
  std::vector<JSONFormatter> items;
  if (!response.getObjectArray(sp::kResponses, items)) return results;
  for (const auto& item : items) {
    std::wstring name;
    if (!item.getString(sp::kName, name)) {
      LEDRA_LOG(Warning, kFnGetProperties, __LINE__, kItemNoName);
      continue;
    }
    const auto entry = results.find(name);
    if (entry == results.end()) {
      LEDRA_LOG(Warning, kFnGetProperties, __LINE__, kUnexpectedGet, name.c_str());
      continue;
    }
    std::wstring value;
    if (!getPropertyValue(item, value)) continue;
    entry->second = true;
    out[name] = std::move(value);
  }
  return results;
}

bool SettingsManagerClient::Impl::getPropertiesByPrefix(const std::vector<std::wstring>& prefixes,
                                                        PropertyMap& out, const Timeout& timeout) {
  std::shared_ptr<Reply> reply;
  const unsigned long result =
      sendRequest(sp::kGetProperties, nameListPayload(prefixes, true), reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, kFnGetByPrefix, __LINE__, kMakeGetListFailed,
              statusName(static_cast<uint32_t>(result)), result);
    return false;
  }
  JSONFormatter response;
  if (getSettingPropertyResponseList(reply, response) != MODULE_STATUS_SUCCESS) return false;
  std::vector<JSONFormatter> items;
  if (!response.getObjectArray(sp::kResponses, items)) return false;
  // Any name the service reports belongs to the answer: the prefixes select on its side.
  for (const auto& item : items) {
    std::wstring name;
    if (!item.getString(sp::kName, name)) {
      LEDRA_LOG(Warning, kFnGetByPrefix, __LINE__, kPrefixItemNoName);
      continue;
    }
    std::wstring value;
    if (getPropertyValue(item, value)) out[name] = std::move(value);
  }
  return true;
}

ResultMap SettingsManagerClient::Impl::removeProperties(const std::vector<std::wstring>& names,
                                                        const Timeout& timeout) {
  ResultMap results = allFalse(names);
  std::shared_ptr<Reply> reply;
  const unsigned long result =
      sendRequest(sp::kRemoveProperties, nameListPayload(names, false), reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, kFnRemoveProperties, __LINE__, kMakeRemoveListFailed,
              statusName(static_cast<uint32_t>(result)), result);
    return results;
  }
  JSONFormatter response;
  const uint32_t waited = getSettingPropertyResponseList(reply, response);
  if (waited != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(Warning, kFnRemoveProperties, __LINE__, kRemoveListReplyFailed, statusName(waited),
              code(waited));
    return results;
  }
  std::vector<JSONFormatter> items;
  if (!response.getObjectArray(sp::kResponses, items)) {
    LEDRA_LOG(Error, kFnRemoveProperties, __LINE__, kRemoveListNoStatuses);
    return results;
  }
  for (const auto& item : items) {
    std::wstring name;
    if (!item.getString(sp::kName, name)) {
      LEDRA_LOG(Warning, kFnRemoveProperties, __LINE__, kItemNoName);
      continue;
    }
    const auto entry = results.find(name);
    if (entry == results.end()) {
      LEDRA_LOG(Warning, kFnRemoveProperties, __LINE__, kUnexpectedRemove, name.c_str());
      continue;
    }
    if (readStatus(item, kFnRemoveProperties, kItemNoStatus, kItemRemoveFailed, &name)) entry->second = true;
  }
  return results;
}

ResultMap SettingsManagerClient::Impl::removePropertiesByPrefix(const std::vector<std::wstring>& prefixes,
                                                                const Timeout& timeout) {
  ResultMap results = allFalse(prefixes);
  std::shared_ptr<Reply> reply;
  const unsigned long result =
      sendRequest(sp::kRemoveProperties, nameListPayload(prefixes, true), reply, timeout);
  if (result != 0) {
    LEDRA_LOG(Warning, kFnRemoveByPrefix, __LINE__, kMakeRemovePrefixFailed,
              statusName(static_cast<uint32_t>(result)), result);
    return results;
  }
  JSONFormatter response;
  const uint32_t waited = getSettingPropertyResponseList(reply, response);
  if (waited != MODULE_STATUS_SUCCESS) {
    LEDRA_LOG(Warning, kFnRemoveByPrefix, __LINE__, kRemoveListReplyFailed, statusName(waited), code(waited));
    return results;
  }
  std::vector<JSONFormatter> items;
  if (!response.getObjectArray(sp::kResponses, items)) {
    LEDRA_LOG(Error, kFnRemoveByPrefix, __LINE__, kRemoveListNoStatuses);
    return results;
  }
  for (const auto& item : items) {
    std::wstring name;
    if (!item.getString(sp::kName, name)) {
      LEDRA_LOG(Warning, kFnRemoveByPrefix, __LINE__, kPrefixItemNoName);
      continue;
    }
    if (readStatus(item, kFnRemoveByPrefix, kItemNoStatus, kItemRemoveFailed, &name)) results[name] = true;
  }
  return results;
}

// Notifications.

std::wstring SettingsManagerClient::Impl::notifyPattern(const wchar_t* prefix, const std::wstring& name) {
  return L"^" + std::wstring(prefix) + name + L".*";
}

bool SettingsManagerClient::Impl::subscribeName(const wchar_t* messageName, NameCallback callback,
                                                NameFilter filter) {
  MessageBus::Callback wrapper = [callback = std::move(callback),
                                  filter = std::move(filter)](std::shared_ptr<Message> message) {
    return onPropertyNotify(message, callback, filter);
  };
  return bus_->subscribe(messageName, std::move(wrapper)) == 0;
}

bool SettingsManagerClient::Impl::subscribeNotifySet(NameValueCallback callback, const std::wstring& name) {
  if (name.empty()) return true;
  const std::wstring pattern = notifyPattern(sp::kNotifySetPrefix, name);
  MessageBus::Callback wrapper = [callback = std::move(callback)](std::shared_ptr<Message> message) {
    return onPropertyNotifySet(message, callback);
  };
  return bus_->subscribeFilter(pattern, pattern, std::move(wrapper)) == 0;
}

bool SettingsManagerClient::Impl::subscribeNotifyDelete(NameCallback callback, const std::wstring& name) {
  if (name.empty()) return true;
  const std::wstring pattern = notifyPattern(sp::kNotifyDeletePrefix, name);
  MessageBus::Callback wrapper = [callback = std::move(callback)](std::shared_ptr<Message> message) {
    return onPropertyNotifyDelete(message, callback);
  };
  return bus_->subscribeFilter(pattern, pattern, std::move(wrapper)) == 0;
}

bool SettingsManagerClient::Impl::unsubscribeNotify(const wchar_t* prefix, const std::wstring& name) {
  if (name.empty()) return true;
  return bus_->unsubscribe(notifyPattern(prefix, name)) == 0;
}

bool SettingsManagerClient::Impl::unsubscribeAlias(const std::wstring& alias) {
  return bus_->unsubscribe(alias) == 0;
}

unsigned long SettingsManagerClient::Impl::onPropertyNotify(const std::shared_ptr<Message>& message,
                                                            const NameCallback& callback,
                                                            const NameFilter& filter) {
  JSONFormatter data;
  if (!parseNotification(message, data, kFnOnNotify)) return MODULE_STATUS_DATA_ERROR;
  std::wstring name;
  if (!data.getString(sp::kName, name)) {
    LEDRA_LOG(Warning, kFnOnNotify, __LINE__, kNotifyName);
    return MODULE_STATUS_DATA_ERROR;
  }
  if ((!filter || filter(name)) && callback) callback(name);
  return MODULE_STATUS_SUCCESS;
}

unsigned long SettingsManagerClient::Impl::onPropertyNotifySet(const std::shared_ptr<Message>& message,
                                                               const NameValueCallback& callback) {
  JSONFormatter data;
  if (!parseNotification(message, data, kFnOnNotifySet)) return MODULE_STATUS_DATA_ERROR;
  std::wstring name;
  if (!data.getString(sp::kName, name)) {
    LEDRA_LOG(Warning, kFnOnNotifySet, __LINE__, kNotifyName);
    return MODULE_STATUS_DATA_ERROR;
  }
  std::wstring value;
  if (!data.getString(sp::kValue, value)) {
    LEDRA_LOG(Warning, kFnOnNotifySet, __LINE__, kNotifyValue);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (callback) callback(name, value);
  return MODULE_STATUS_SUCCESS;
}

unsigned long SettingsManagerClient::Impl::onPropertyNotifyDelete(const std::shared_ptr<Message>& message,
                                                                  const NameCallback& callback) {
  JSONFormatter data;
  if (!parseNotification(message, data, kFnOnNotifyDelete)) return MODULE_STATUS_DATA_ERROR;
  std::wstring name;
  if (!data.getString(sp::kName, name)) {
    LEDRA_LOG(Warning, kFnOnNotifyDelete, __LINE__, kNotifyName);
    return MODULE_STATUS_DATA_ERROR;
  }
  if (callback) callback(name);
  return MODULE_STATUS_SUCCESS;
}

}  // namespace Ledra
