// The payload tables: one row for each value a request carries, saying how the
// payload classes read it (key, JSON type, accepted values, what they write
// into the handler's VARIANT) and what they log when they refuse it. Handlers
// read requests by these rows, and the request catalogue is generated from them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "firewall/features/WordTables.h"

namespace Brenix {
namespace payload {

// The JSON type a key must hold; a value of another type counts as missing.
enum class JsonType : unsigned char {
  Boolean,
  Integer,   // fits a signed 32-bit number
  Unsigned,  // fits an unsigned 32-bit number
  Text,
};

// What the getter writes into the handler's VARIANT.
enum class Written : unsigned char {
  Bool,          // VT_BOOL: VARIANT_TRUE for true, 0 for false
  BoolAsNumber,  // VT_I4: 1 for true, 0 for false
  Number,        // VT_I4: the number
  NumberAsBool,  // VT_BOOL: 0 as 0, 1 as VARIANT_TRUE
  Text,          // VT_BSTR: a copy of the text
  Word,          // VT_I4: the number of the word
  OnAsTrue,      // VT_BOOL: "on" as VARIANT_TRUE, any other text as 0
  IdList,        // VT_ARRAY | VT_VARIANT of VT_I4: decimal ids separated by ','
};

// How the handler prepares the VARIANT before the payload is read.
enum class Prepared : unsigned char { Empty, MinusOne, Zero, False, EmptyText };

// How the handler hands the value to the component.
enum class HandedOn : unsigned char { AsWritten, AsUnsigned, NotHandedOn };

constexpr wchar_t kNotFound[] = L"%s not found in JSON";

// One value of a request. Refusals are logged with file Requests at severity 4.
struct Field {
  const wchar_t* key;
  JsonType type;
  Written written;
  Prepared prepared;
  const wchar_t* function;  // the getter's qualified name in its log lines
  int line;                 // the line of its missing-key text
  // The member (an object, or a string holding an object's JSON) that holds
  // key; null when key is a member of the payload itself.
  const wchar_t* container = nullptr;
  // Numbers outside [minimum, maximum] are refused, after -1 is written when
  // minusOneWhenRefused says so.
  int64_t minimum = INT32_MIN;
  int64_t maximum = INT32_MAX;
  bool minusOneWhenRefused = false;
  words::WordSet words = {nullptr, 0};
  const wchar_t* missingFormat = kNotFound;  // takes the key
  const wchar_t* refusalFormat = nullptr;    // takes the refused number where there is one
  int refusalLine = 0;
  HandedOn handedOn = HandedOn::AsWritten;
  const wchar_t* note = nullptr;  // what a reader of the catalogue should know besides

  constexpr Field in(const wchar_t* member) const {
    Field f = *this;
    f.container = member;
    return f;
  }
  constexpr Field range(int64_t low, int64_t high, bool minusOne = false) const {
    Field f = *this;
    f.minimum = low;
    f.maximum = high;
    f.minusOneWhenRefused = minusOne;
    return f;
  }
  constexpr Field of(words::WordSet set) const {
    Field f = *this;
    f.words = set;
    return f;
  }
  constexpr Field missing(const wchar_t* format) const {
    Field f = *this;
    f.missingFormat = format;
    return f;
  }
  constexpr Field refused(const wchar_t* format, int atLine = 0) const {
    Field f = *this;
    f.refusalFormat = format;
    f.refusalLine = atLine != 0 ? atLine : line;
    return f;
  }
  constexpr Field handedOnAs(HandedOn how) const {
    Field f = *this;
    f.handedOn = how;
    return f;
  }
  constexpr Field noted(const wchar_t* text) const {
    Field f = *this;
    f.note = text;
    return f;
  }
};

// The values of one request, in the order its handler reads them; the first
// refusal ends the request.
struct RequestPayload {
  const Field* const* fields;
  size_t count;
  // A field the handler does not read when another holds a given word
  // ("reenable" of "Core.Firewall.SetState" when "state" is "on").
  const Field* waived = nullptr;
  const Field* waivedBy = nullptr;
  const wchar_t* waivingWord = nullptr;
};

template <size_t N>
constexpr RequestPayload request(const Field* const (&fields)[N]) {
  return {fields, N};
}

}  // namespace payload
}  // namespace Brenix
