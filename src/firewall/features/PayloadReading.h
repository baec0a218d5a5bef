// The one reader of request values: a table row (PayloadTable.h) says which
// key to read, what it must hold and what to write into the handler's VARIANT.
#pragma once

#include <windows.h>

#include "firewall/features/PayloadTable.h"
#include "message/JSONParser.h"
#include "wrappers/ScopedVariant.h"

namespace Brenix {
namespace payload {

// Reads field from a parsed payload into out. A missing key, or a key of
// another JSON type, logs the row's missing-key text with the key; a value the
// row refuses logs its refusal text. Either answers false, leaving out as the
// handler prepared it unless the row writes -1 first. A value nested in a
// member is read where it lies when the member is an object, and from the
// member's text, parsed anew, when it is a string (a text that does not parse
// answers false without a log).
bool read(const Ledra::JSONParser& payload, const Field& field, Ledra::ScopedVariant& out);

// Prepares a VARIANT as the row says; false when an empty text cannot be made.
bool prepare(const Field& field, Ledra::ScopedVariant& out);

}  // namespace payload
}  // namespace Brenix
