// The words requests and answers use for the component's numbers. Words are
// compared exactly, case included.
#pragma once

#include <cstddef>
#include <cwchar>

namespace Brenix {
namespace words {

struct Word {
  const wchar_t* text;
  long number;
};

// A word set as table rows carry it.
struct WordSet {
  const Word* words;
  size_t count;
};

// Security level of the traffic controller.
inline constexpr Word kSecurityLevels[] = {
    {L"smart_access", 1}, {L"monitored_access", 2}, {L"stealth", 3}, {L"lockdown", 4}};
// Level of intrusion detection.
inline constexpr Word kIntrusionLevels[] = {{L"basic", 0}, {L"medium", 1}, {L"high", 2}};
// The net guard of a program permission.
inline constexpr Word kNetGuard[] = {{L"on", 1}, {L"off", 0}};
// The firewall's switch.
inline constexpr Word kState[] = {{L"on", 1}, {L"off", 0}};

template <size_t N>
constexpr WordSet set(const Word (&table)[N]) {
  return {table, N};
}

// The word's number; false when text (up to its first NUL) is none of the words.
inline bool numberOf(const WordSet& set, const wchar_t* text, long& number) {
  for (size_t i = 0; i < set.count; ++i) {
    if (std::wcscmp(text, set.words[i].text) == 0) {
      number = set.words[i].number;
      return true;
    }
  }
  return false;
}

// Null when the number has no word.
inline const wchar_t* wordOf(const WordSet& set, long number) {
  for (size_t i = 0; i < set.count; ++i) {
    if (set.words[i].number == number) return set.words[i].text;
  }
  return nullptr;
}

}  // namespace words
}  // namespace Brenix
