// The two shapes the feature handlers take, as rows that HandlerRows.cpp fills
// and TarnModuleImpl::refresh_group and handle_change (HandlerSteps.cpp) run.
// The lines are the ones the product's log readers know; the handlers' lines
// carry file TarnModuleImpl.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "firewall/adapter/TarnIf.h"
#include "firewall/features/AnswerTable.h"
#include "firewall/features/PayloadTable.h"
#include "firewall/features/Request.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {

// One line a handler logs: its line number and its text.
struct Said {
  int line;
  const wchar_t* text;
};

// A settings group's refresh: log the request, let the adapter read the group
// into a result bag on the handler's stack, build the answer from the bag and
// publish it. A failed read answers the adapter's status; an answer that
// cannot be built is logged and answers 0x80000006, publishing nothing.
struct RefreshGroup {
  const wchar_t* function;  // the handler's qualified name
  Said request;
  Said badData;
  uint32_t (TarnIf::*read)(const VARIANT& desc, TarnIf::SettingsPtr settings);
  const answer::Answer* answer;
};

// A list's refresh: log the request and let the adapter ask the component,
// which publishes the list itself; the payload is not read.
struct ListRefresh {
  const wchar_t* function;
  Said request;
  uint32_t (TarnIf::*get)(TarnIf::SettingsPtr settings);
};
uint32_t refresh_list(const ListRefresh& list, TarnIf& adapter, TarnIf::SettingsPtr settings);

// The id and error code a change result carries.
enum class ResultId : unsigned char { None, Value, NewId };  // VT_I4 -1, a read value, the adapter's new id
enum class ResultError : unsigned char { MinusOne, ResultCode };  // -1, or the component's result code

// The change result a request publishes after the adapter was called;
// featureId 0 publishes none, and the handler answers the adapter's status.
struct ChangeResult {
  int32_t featureId;
  int32_t functionId;
  ResultId id;
  size_t idValue;  // the value's index, for ResultId::Value
  ResultError error;
};

// A request read by its payload table: log it ("Processing: %s" takes the
// message name), prepare its values, parse, read the values in order (the
// first refusal ends it), call the adapter and publish the change result.
struct ChangeRequest {
  const wchar_t* function;  // the handler's qualified name
  Said processing;
  Said parseFailed;
  uint32_t parseStatus;
  Said invalid;
  uint32_t invalidStatus;
  const payload::RequestPayload* payload;
  ChangeResult result;
};

// A change request's values as the component takes them, in the payload
// table's order, and what the adapter answers besides its status.
class ChangeValues {
 public:
  static constexpr size_t kMaxValues = 10;

  // Prepares each value as its row says (throws std::bad_alloc when an empty
  // text cannot be made).
  explicit ChangeValues(const payload::RequestPayload& payload);
  // Reads every value the handler reads; false at the first refusal.
  bool read(const Request& request);

  const VARIANT& operator[](size_t index) const { return values_[index].get(); }
  // The new entry's id an add answers (VT_I4 -1 until then).
  Ledra::ScopedVariant* newId() { return &newId_; }
  // The component's result code, for the operations that hand it back (0 until then).
  long* resultCode() { return &resultCode_; }

  const VARIANT& id(const ChangeResult& result) const;
  int32_t errorCode(const ChangeResult& result) const;

 private:
  bool waived(size_t index) const;

  const payload::RequestPayload& payload_;
  std::array<Ledra::ScopedVariant, kMaxValues> values_;
  Ledra::ScopedVariant newId_{-1L};
  Ledra::ScopedVariant noId_{-1L};
  long resultCode_ = 0;
};

// Calls the adapter with the values; answers its status.
using AdapterStep = std::function<uint32_t(ChangeValues& values)>;

}  // namespace Brenix
