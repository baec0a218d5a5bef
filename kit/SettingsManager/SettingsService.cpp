#include "kit/SettingsManager/SettingsService.h"

#include <utility>

#include "settings/SettingsProtocol.h"

namespace SettingsKit {
namespace {

namespace sp = Ledra::settings_protocol;
using Ledra::JSONFormatter;

constexpr wchar_t kReplyPrefix[] = L"SettingsManager.Reply.";

JSONFormatter nameStatus(const std::wstring& name, bool status) {
  JSONFormatter item;
  item.setString(sp::kName, name);
  item.setBool(sp::kStatus, status);
  return item;
}

// {"name"?, "status": false}: what a request that cannot be served gets.
Answer refusal(const std::wstring* name) {
  JSONFormatter reply;
  if (name != nullptr) reply.setString(sp::kName, *name);
  reply.setBool(sp::kStatus, false);
  return Answer{reply.toString(), {}};
}

Answer listRefusal() {
  JSONFormatter reply;
  reply.setObjectArray(sp::kResponses, {});
  reply.setBool(sp::kStatus, false);
  return Answer{reply.toString(), {}};
}

std::wstring listReply(const std::vector<JSONFormatter>& responses) {
  JSONFormatter reply;
  reply.setObjectArray(sp::kResponses, responses);
  return reply.toString();
}

bool isPrefixEntry(const JSONFormatter& entry) {
  bool isPrefix = false;
  return entry.getBool(sp::kIsPrefix, isPrefix) && isPrefix;
}

}  // namespace

SettingsService::SettingsService(std::shared_ptr<PropertyStore> store) : store_(std::move(store)) {}

const std::vector<std::wstring>& SettingsService::requestNames() {
  static const std::vector<std::wstring> names = {sp::kSetProperty,    sp::kGetProperty,
                                                  sp::kRemoveProperty, sp::kSetProperties,
                                                  sp::kGetProperties,  sp::kRemoveProperties};
  return names;
}

std::wstring SettingsService::replyName(const std::wstring& requestName) {
  return kReplyPrefix + requestName;
}

Answer SettingsService::handle(const std::wstring& requestName, const std::wstring& payload) {
  JSONFormatter request;
  const bool parsed = request.fromString(payload);
  const bool single = requestName == sp::kSetProperty || requestName == sp::kGetProperty ||
                      requestName == sp::kRemoveProperty;
  if (single) {
    if (!parsed) return refusal(nullptr);
    if (requestName == sp::kSetProperty) return setOne(request);
    if (requestName == sp::kGetProperty) return getOne(request);
    return removeOne(request);
  }
  std::vector<JSONFormatter> entries;
  if (!parsed || !request.getObjectArray(sp::kProperties, entries)) return listRefusal();
  if (requestName == sp::kSetProperties) return setList(entries);
  if (requestName == sp::kGetProperties) return getList(entries);
  if (requestName == sp::kRemoveProperties) return removeList(entries);
  return refusal(nullptr);
}

bool SettingsService::write(const std::wstring& name, const JSONFormatter& entry, Answer& answer) {
  std::wstring value;
  if (!entry.getString(sp::kValue, value)) return false;
  bool isVolatile = false;  // absent (or not a bool): persistent
  entry.getBool(sp::kVolatile, isVolatile);
  store_->set(name, value, isVolatile);

  JSONFormatter set;
  set.setString(sp::kName, name);
  answer.notifications.push_back({sp::kPropertySet, set.toString()});
  JSONFormatter notify;
  notify.setString(sp::kName, name);
  notify.setString(sp::kValue, value);
  answer.notifications.push_back({sp::kNotifySetPrefix + name, notify.toString()});
  return true;
}

void SettingsService::notifyRemoved(const std::wstring& name, Answer& answer) {
  JSONFormatter removed;
  removed.setString(sp::kName, name);
  answer.notifications.push_back({sp::kPropertyRemoved, removed.toString()});
  answer.notifications.push_back({sp::kNotifyDeletePrefix + name, removed.toString()});
}

Answer SettingsService::setOne(const JSONFormatter& request) {
  std::wstring name;
  if (!request.getString(sp::kName, name)) return refusal(nullptr);
  Answer answer;
  const bool written = write(name, request, answer);
  answer.reply = nameStatus(name, written).toString();
  return answer;
}

Answer SettingsService::getOne(const JSONFormatter& request) {
  std::wstring name;
  if (!request.getString(sp::kName, name)) return refusal(nullptr);
  std::wstring value;
  const bool found = store_->get(name, value);
  JSONFormatter reply = nameStatus(name, found);
  reply.setString(sp::kValue, value);
  return Answer{reply.toString(), {}};
}

Answer SettingsService::removeOne(const JSONFormatter& request) {
  std::wstring name;
  if (!request.getString(sp::kName, name)) return refusal(nullptr);
  Answer answer;
  const bool removed = store_->remove(name);
  if (removed) notifyRemoved(name, answer);
  answer.reply = nameStatus(name, removed).toString();
  return answer;
}

Answer SettingsService::setList(const std::vector<JSONFormatter>& entries) {
  Answer answer;
  std::vector<JSONFormatter> responses;
  for (const auto& entry : entries) {
    std::wstring name;
    if (!entry.getString(sp::kName, name)) {
      JSONFormatter nameless;
      nameless.setBool(sp::kStatus, false);
      responses.push_back(std::move(nameless));
      continue;
    }
    responses.push_back(nameStatus(name, write(name, entry, answer)));
  }
  answer.reply = listReply(responses);
  return answer;
}

Answer SettingsService::getList(const std::vector<JSONFormatter>& entries) {
  std::vector<JSONFormatter> responses;
  for (const auto& entry : entries) {
    std::wstring name;
    if (!entry.getString(sp::kName, name)) {
      JSONFormatter nameless;
      nameless.setBool(sp::kStatus, false);
      responses.push_back(std::move(nameless));
      continue;
    }
    if (isPrefixEntry(entry)) {
      for (const auto& property : store_->withPrefix(name)) {
        JSONFormatter item = nameStatus(property.first, true);
        item.setString(sp::kValue, property.second);
        responses.push_back(std::move(item));
      }
      continue;
    }
    std::wstring value;
    const bool found = store_->get(name, value);
    JSONFormatter item = nameStatus(name, found);
    if (found) item.setString(sp::kValue, value);
    responses.push_back(std::move(item));
  }
  return Answer{listReply(responses), {}};
}

Answer SettingsService::removeList(const std::vector<JSONFormatter>& entries) {
  Answer answer;
  std::vector<JSONFormatter> responses;
  for (const auto& entry : entries) {
    std::wstring name;
    if (!entry.getString(sp::kName, name)) {
      JSONFormatter nameless;
      nameless.setBool(sp::kStatus, false);
      responses.push_back(std::move(nameless));
      continue;
    }
    if (isPrefixEntry(entry)) {
      // Each removed name, then the prefix itself: removing by a prefix that
      // matches nothing still succeeds.
      bool prefixReported = false;
      for (const auto& removed : store_->removePrefix(name)) {
        responses.push_back(nameStatus(removed, true));
        notifyRemoved(removed, answer);
        prefixReported = prefixReported || removed == name;
      }
      if (!prefixReported) responses.push_back(nameStatus(name, true));
      continue;
    }
    const bool removed = store_->remove(name);
    if (removed) notifyRemoved(name, answer);
    responses.push_back(nameStatus(name, removed));
  }
  answer.reply = listReply(responses);
  return answer;
}

}  // namespace SettingsKit
