// The answer tables: one row for each member of an answer the module
// publishes, saying where its value comes from (a property of the result bag,
// or the handler) and what it may hold. The response classes build answers by
// these rows, and the request catalogue gives their schemas from them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "firewall/features/WordTables.h"
#include "message/JSONParser.h"

namespace Brenix {
namespace answer {

enum class Kind : unsigned char {
  Boolean,
  Integer,  // a signed 32-bit number
  Text,
  Word,    // one of the row's words
  Object,  // a nested object of its own rows
  IdList,  // ids in decimal, joined by ','
};

struct Member {
  const wchar_t* key;
  Kind kind;
  // The result bag's property it is read from (its index in the property name
  // table); -1 when the handler sets it.
  int property = -1;
  words::WordSet words = {nullptr, 0};
  const Member* members = nullptr;  // Object
  size_t memberCount = 0;
  bool optional = false;
  int64_t minimum = INT32_MIN;  // Integer
  int64_t maximum = INT32_MAX;
  // Word read from the bag: the line logged (file Module_responses, severity 4)
  // for a number without a word; the format takes the number.
  const wchar_t* function = nullptr;
  int line = 0;
  const wchar_t* refusal = nullptr;
};

// One answer message: its name and its members in the order they are added.
struct Answer {
  const wchar_t* name;
  const Member* members;
  size_t count;
  const wchar_t* note = nullptr;  // what else a reader of the catalogue should know
};

template <size_t N>
constexpr Answer answer(const wchar_t* name, const Member (&members)[N], const wchar_t* note = nullptr) {
  return {name, members, N, note};
}

// Adds the members read from the result bag (desc), in order. The first read
// that fails stops the building and answers false; members added before it stay.
bool build(const Member* members, size_t count, const VARIANT& desc, Ledra::JSONParser& json);
inline bool build(const Answer& answer, const VARIANT& desc, Ledra::JSONParser& json) {
  return build(answer.members, answer.count, desc, json);
}
// The word of a Word member's number in the bag; false (with the member's
// line when the number has no word) leaves word as it was.
bool readWord(const Member& member, const VARIANT& desc, std::wstring& word);

}  // namespace answer

// Every answer the module publishes (AnswerTables.cpp).
namespace answers {

extern const answer::Answer kTrafficController, kSmartAdvice, kHistory, kIntrusionDetection;
extern const answer::Answer kRestoreDefaultsButton, kUserState, kUploadedFilePath, kTrustLevel, kChangeResult;
extern const answer::Answer kState, kHipsState, kRefreshState;

}  // namespace answers
}  // namespace Brenix
