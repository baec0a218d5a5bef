// The settings-manager protocol on the service's side, apart from the bus:
// one request (its name and payload) in, the reply payload and the
// notifications to publish out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kit/SettingsManager/PropertyStore.h"
#include "message/JSONFormatter.h"

namespace SettingsKit {

struct Outgoing {
  std::wstring name;
  std::wstring payload;
};

struct Answer {
  std::wstring reply;                   // a JSON object; "status": false when the request was malformed
  std::vector<Outgoing> notifications;  // in publishing order, after the reply
};

class SettingsService {
 public:
  explicit SettingsService(std::shared_ptr<PropertyStore> store);

  // The six request names the service answers.
  static const std::vector<std::wstring>& requestNames();
  // The reply's name for a request: distinct from every request name, so the
  // ordinary copy the bus client sends of each reply is never taken for a request.
  static std::wstring replyName(const std::wstring& requestName);

  // An unknown name is answered like a malformed request.
  Answer handle(const std::wstring& requestName, const std::wstring& payload);

 private:
  Answer setOne(const Ledra::JSONFormatter& request);
  Answer getOne(const Ledra::JSONFormatter& request);
  Answer removeOne(const Ledra::JSONFormatter& request);
  Answer setList(const std::vector<Ledra::JSONFormatter>& entries);
  Answer getList(const std::vector<Ledra::JSONFormatter>& entries);
  Answer removeList(const std::vector<Ledra::JSONFormatter>& entries);

  // Stores one write and queues its two notifications; false for an entry
  // without a text value.
  bool write(const std::wstring& name, const Ledra::JSONFormatter& entry, Answer& answer);
  void notifyRemoved(const std::wstring& name, Answer& answer);

  std::shared_ptr<PropertyStore> store_;
};

}  // namespace SettingsKit
