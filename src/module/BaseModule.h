// The framework base of a module: holds what the host hands over at
// initialization, lets the module unload itself through the host, routes
// messages the host delivers directly, and makes the module itself usable as a
// message bus by forwarding every bus operation to the bus client.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "bus/MessageBus.h"
#include "module/IOCContainer.h"
#include "module/Module.h"
#include "module/ModuleManagerShim.h"

namespace Ledra {

using ModuleSettings = std::unordered_map<std::wstring, std::wstring>;

class BaseModule : public Module, private MessageBus {
 public:
  explicit BaseModule(std::shared_ptr<Basalt::IOCContainer> container);
  ~BaseModule() override;

  ModuleStatus initialize() override { return MODULE_STATUS_SUCCESS; }
  ModuleStatus start() override { return MODULE_STATUS_SUCCESS; }
  ModuleStatus stop() override { return MODULE_STATUS_SUCCESS; }
  ModuleStatus uninitialize() override { return MODULE_STATUS_SUCCESS; }
  virtual ModuleStatus baseInitialize(const std::wstring& name, const std::wstring& secondName,
                                      const ModuleSettings& settings,
                                      std::shared_ptr<internal::ModuleManagerShim> moduleManager,
                                      std::shared_ptr<MessageBus> messageBus);

  // Hands a message the host delivered directly to the bus client's subscribers.
  ModuleStatus directMessage(std::shared_ptr<Message> message);
  // Asks the host to unload this module.
  ModuleStatus unload();

  const std::wstring& getName() const { return name_; }
  const std::wstring& getSecondName() const { return secondName_; }
  const ModuleSettings& getSettings() const { return settings_; }
  const std::shared_ptr<Basalt::IOCContainer>& getContainer() const { return container_; }

 protected:
  // The bus operations, callable on the module itself once baseInitialize succeeded.
  unsigned long publish(const std::shared_ptr<Message>& message) override;
  unsigned long publishVariant(const std::shared_ptr<Message>& message) override;
  unsigned long request(const std::shared_ptr<Message>& message, ReplyCallback callback,
                        const Timeout& timeout) override;
  unsigned long request(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                        const Timeout& timeout) override;
  unsigned long requestVariant(const std::shared_ptr<Message>& message, ReplyCallback callback,
                               const Timeout& timeout) override;
  unsigned long requestVariant(const std::shared_ptr<Message>& message, std::shared_ptr<Reply>& reply,
                               const Timeout& timeout) override;
  unsigned long subscribe(const std::wstring& name, const std::wstring& alias, Callback callback) override;
  unsigned long subscribe(const std::wstring& name, Callback callback) override;
  unsigned long subscribeInSession(const std::wstring& name, const std::wstring& alias,
                                   Callback callback) override;
  unsigned long subscribeInSession(const std::wstring& name, Callback callback) override;
  unsigned long subscribeFilter(const std::wstring& nameRegex, const std::wstring& alias,
                                Callback callback) override;
  unsigned long subscribeFilter(const std::wstring& nameRegex, Callback callback) override;
  unsigned long subscribeFilterInSession(const std::wstring& nameRegex, const std::wstring& alias,
                                         Callback callback) override;
  unsigned long subscribeFilterInSession(const std::wstring& nameRegex, Callback callback) override;
  unsigned long unsubscribe(const std::wstring& alias) override;

 private:
  std::wstring name_;
  std::wstring secondName_;
  ModuleSettings settings_;
  std::shared_ptr<internal::ModuleManagerShim> moduleManager_;
  std::shared_ptr<MessageBus> messageBus_;
  std::shared_ptr<Basalt::IOCContainer> container_;
};

}  // namespace Ledra
