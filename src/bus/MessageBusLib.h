// The bus library "MessageBus.dll", loaded through SharedLibrary: creates one
// bus handle from its function table and forwards every shim call to a
// MessageBusShimImpl over that handle.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "bus/MessageBusShim.h"
#include "bus/MessageBusShimImpl.h"
#include "include/BusLibrary.h"

namespace Ledra {

class SharedLibrary;

class MessageBusLib : public MessageBusShim {
 public:
  // Searches "$(App.Folder)", then "$(Kiln.InstallDir)". Throws
  // ModuleException when the library, its functions or a handle cannot be had.
  MessageBusLib();
  // Searches the given folders; an empty list means the host's installation
  // folder from the registry, or Common Program Files "\Brenix\Kiln".
  explicit MessageBusLib(std::vector<std::wstring> searchFolders);
  // Releases the reply adapter, then the handle (entry 1), then the library.
  ~MessageBusLib() override;

  MessageBusLib(const MessageBusLib&) = delete;
  MessageBusLib& operator=(const MessageBusLib&) = delete;

  uint32_t publish(const std::shared_ptr<Message>& message, bool variant) override;
  uint32_t request(const std::shared_ptr<Message>& message, uint64_t replyIndex, ReplyFunction* replyFunction,
                   uint32_t timeoutMs, bool variant) override;
  uint32_t subscribe(const std::wstring& name, Callback* callback) override;
  uint32_t subscribeFilter(const std::wstring& pattern, Callback* callback) override;
  uint32_t unsubscribe(uint32_t subscriptionId) override;
  uint32_t releaseReplyAdapter() override;

  // The search list the library is loaded from by default.
  static const std::vector<std::wstring>& defaultSearchFolders();

 private:
  // The bus handle from entry 0, released through entry 1.
  class BusHandle {
   public:
    BusHandle() = default;
    ~BusHandle();
    BusHandle(const BusHandle&) = delete;
    BusHandle& operator=(const BusHandle&) = delete;
    void reset(void* handle, const BusFunctions* functions);
    void* get() const { return handle_; }

   private:
    void* handle_ = nullptr;
    const BusFunctions* functions_ = nullptr;
  };

  // Members are destroyed bottom up: shim, handle, library.
  std::shared_ptr<SharedLibrary> library_;
  BusHandle handle_;
  std::unique_ptr<MessageBusShimImpl> shim_;
};

}  // namespace Ledra
