// The words requests and answers use for the component's numbers. Words are
// compared exactly, case included.
#pragma once

#include <cstddef>
#include <string>

namespace Brenix {
namespace words {

struct Word {
  const wchar_t* text;
  long number;
};

// Security level of the traffic controller.
constexpr Word kSecurityLevels[] = {
    {L"smart_access", 1}, {L"monitored_access", 2}, {L"stealth", 3}, {L"lockdown", 4}};
// Level of intrusion detection.
constexpr Word kIntrusionLevels[] = {{L"basic", 0}, {L"medium", 1}, {L"high", 2}};

template <size_t N>
bool numberOf(const Word (&table)[N], const std::wstring& text, long& number) {
  for (const Word& word : table) {
    if (text == word.text) {
      number = word.number;
      return true;
    }
  }
  return false;
}

// Null when the number has no word.
template <size_t N>
const wchar_t* wordOf(const Word (&table)[N], long number) {
  for (const Word& word : table) {
    if (word.number == number) return word.text;
  }
  return nullptr;
}

}  // namespace words
}  // namespace Brenix
