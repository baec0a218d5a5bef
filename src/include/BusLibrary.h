// The contract of the bus library "MessageBus.dll": its CreateObject(2001000)
// answers a table of functions that take the bus handle first. Strings are
// NUL-terminated UTF-16, results 32-bit. Shared by the framework's binding and
// the kit's bus.
#pragma once

#include <cstdint>

#include "include/MessageHeader.h"

namespace Ledra {

constexpr uint32_t kBusLibraryVersion = 2001000;

// Called by the bus for each delivered message; answers the subscriber's status.
using BusDeliveryAdapter = uint32_t (*)(void* context, const MessageHeader* header, const wchar_t* name,
                                        const wchar_t* sender, const wchar_t* payload);

// Called once per accepted request: with status 0 and the reply, or with a
// failure status (MODULE_STATUS_TIMEOUT when no reply came in time).
using BusReplyAdapter = uint32_t (*)(void* context, uint64_t replyIndex, const MessageHeader* header,
                                     const wchar_t* name, const wchar_t* sender, const wchar_t* payload,
                                     uint32_t status);

using BusCreateFn = uint32_t (*)(void** handle);
using BusReleaseFn = uint32_t (*)(void* handle);
using BusPublishFn = uint32_t (*)(void* handle, const MessageHeader* header, const wchar_t* name,
                                  const wchar_t* sender, const wchar_t* payload);
using BusRequestFn = uint32_t (*)(void* handle, uint64_t replyIndex, void* context, BusReplyAdapter adapter,
                                  const MessageHeader* header, const wchar_t* name, const wchar_t* sender,
                                  const wchar_t* payload, uint32_t timeoutMs);
// Answers the subscription id, 0 when the subscription failed.
using BusSubscribeFn = uint32_t (*)(void* handle, void* context, BusDeliveryAdapter adapter,
                                    const wchar_t* nameOrPattern);
using BusUnsubscribeFn = uint32_t (*)(void* handle, uint32_t subscriptionId);
using BusReleaseReplyAdapterFn = uint32_t (*)(void* handle, BusReplyAdapter adapter);

struct BusFunctions {
  BusCreateFn create;                              // 0
  BusReleaseFn release;                            // 1
  BusPublishFn publish;                            // 2
  BusRequestFn request;                            // 3
  BusSubscribeFn subscribe;                        // 4: exact name
  BusSubscribeFn subscribeFilter;                  // 5: ECMAScript pattern on names
  BusUnsubscribeFn unsubscribe;                    // 6
  BusReleaseReplyAdapterFn releaseReplyAdapter;    // 7: no more reply calls
  BusPublishFn publishVariant;                     // 8
  BusRequestFn requestVariant;                     // 9
};

static_assert(sizeof(BusFunctions) == 10 * sizeof(void*), "the host and the bus read the table by slot");

// "CreateObject" of the bus library.
using BusCreateObjectFn = const BusFunctions* (*)(uint32_t version);

}  // namespace Ledra
