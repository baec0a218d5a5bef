// The reading rules every payload getter shares. Each reader takes the getter's
// qualified name and line for its log line; a missing key, or a key of another
// JSON type, logs "%s not found in JSON" (file Requests) with the key and
// answers false, leaving the VARIANT as the handler prepared it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "message/JSONParser.h"

namespace Brenix {
namespace payload {

// Names the getter in its log lines; missingFormat replaces "%s not found in
// JSON" for getters that log their own text (it takes the key through %s).
struct Site {
  const wchar_t* function;
  int line;
  const wchar_t* missingFormat = nullptr;
};

// Logs the missing-key line.
void logMissing(const Site& site, const wchar_t* key);
// Logs a fixed refusal text.
void logRefusal(const Site& site, const wchar_t* text);

// A JSON boolean as VT_BOOL: VARIANT_TRUE or 0.
bool readBool(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, VARIANT* out);
// A JSON integer that fits int32, as VT_I4.
bool readInt(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, VARIANT* out);
// The same, into a plain number (for range checks by the caller).
bool readInt(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, int32_t& out);
// A JSON string as VT_BSTR (a new copy).
bool readText(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, VARIANT* out);
// The same, into a plain string.
bool readText(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, std::wstring& out);
// A JSON string of ids separated by ',' converted to an array of VT_I4 ids.
// A refused conversion logs refusedText (severity 4) and answers false.
bool readIdList(const Ledra::JSONParser& json, const wchar_t* key, const Site& site, const wchar_t* refusedText,
                VARIANT* out);
// The member outerKey (an object, or a string holding an object's JSON) parsed
// anew into inner. A missing outer key is logged; a text that does not parse is not.
bool readNested(const Ledra::JSONParser& json, const wchar_t* outerKey, const Site& site,
                Ledra::JSONParser& inner);

}  // namespace payload
}  // namespace Brenix
