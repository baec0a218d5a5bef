// Hostile payloads: for every request, one valid payload taken apart in every
// way a caller could get wrong, and a seeded stream of random ones; after each
// request's batch the module must still answer a state request.
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "kit/Kiln/Text.h"
#include "tests/stress/StressRun.h"
#include "tests/support/KilnRun.h"
#include "tests/support/RequestTable.h"

namespace tarn_test {
namespace {

using Json = rapidjson::GenericValue<rapidjson::UTF16<wchar_t>>;
using JsonDocument = rapidjson::GenericDocument<rapidjson::UTF16<wchar_t>>;

std::wstring repeated(const std::wstring& unit, size_t times) {
  std::wstring text;
  for (size_t i = 0; i < times; ++i) text += unit;
  return text;
}

std::wstring idList(int count) {
  std::wstring text;
  for (int id = 1; id <= count; ++id) text += (id > 1 ? L"," : L"") + std::to_wstring(id);
  return L"\"" + text + L"\"";
}

// What each member's value is replaced by: every JSON type, the numbers at the
// edges of what the getters read, texts the component cannot take, broken
// UTF-16, and id lists with odd separators.
const std::vector<std::wstring>& hostileValues() {
  static const std::vector<std::wstring> values = {L"null",
                                                   L"true",
                                                   L"false",
                                                   L"0",
                                                   L"-1",
                                                   L"2147483647",
                                                   L"2147483648",
                                                   L"-2147483649",
                                                   L"1e308",
                                                   L"1.5",
                                                   L"\"\"",
                                                   L"\"on\"",
                                                   L"\"" + repeated(L"x", 100000) + L"\"",
                                                   LR"("\ud800")",
                                                   LR"("\udc00x")",
                                                   std::wstring(L"\"a") + wchar_t(0xD800) + L"\"",
                                                   LR"("a\u0000b")",
                                                   L"[]",
                                                   LR"([1,"a",null])",
                                                   L"{}",
                                                   LR"({"a":{"b":[]}})",
                                                   repeated(L"[", 100000) + repeated(L"]", 100000),
                                                   LR"("1;2")",
                                                   LR"("1,,2")",
                                                   LR"(",")",
                                                   LR"(" 1")",
                                                   LR"("-1")",
                                                   LR"("1 2")",
                                                   LR"("99999999999")",
                                                   LR"("\t1,2")",
                                                   LR"("0x10")",
                                                   idList(10000)};
  return values;
}

std::wstring quoted(const wchar_t* text, size_t length) {
  std::wstring out = L"\"";
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == L'"' || text[i] == L'\\') out += L'\\';
    out += text[i];
  }
  return out + L"\"";
}

// The value as JSON text, with `target` dropped (no replacement) or replaced.
std::wstring write(const Json& value, const Json* target, const std::wstring* replacement) {
  if (value.IsObject()) {
    std::wstring out;
    for (auto member = value.MemberBegin(); member != value.MemberEnd(); ++member) {
      if (&member->value == target && replacement == nullptr) continue;
      out += (out.empty() ? L"" : L",") + quoted(member->name.GetString(), member->name.GetStringLength()) +
             L":" + (&member->value == target ? *replacement : write(member->value, target, replacement));
    }
    return L"{" + out + L"}";
  }
  if (value.IsString()) return quoted(value.GetString(), value.GetStringLength());
  if (value.IsBool()) return value.GetBool() ? L"true" : L"false";
  if (value.IsInt()) return std::to_wstring(value.GetInt());
  return L"null";  // the valid payloads hold nothing else
}

void members(const Json& value, std::vector<const Json*>& out) {
  if (!value.IsObject()) return;
  for (auto member = value.MemberBegin(); member != value.MemberEnd(); ++member) {
    out.push_back(&member->value);
    members(member->value, out);
  }
}

// Every payload of one request's batch, in a fixed order from the seed.
std::vector<std::wstring> hostilePayloads(const std::wstring& valid, unsigned randomCount,
                                          std::mt19937& random) {
  std::vector<std::wstring> payloads;
  JsonDocument document;
  document.Parse(valid.c_str());
  std::vector<const Json*> targets;
  members(document, targets);
  for (const Json* target : targets) {
    payloads.push_back(write(document, target, nullptr));
    for (const std::wstring& value : hostileValues()) payloads.push_back(write(document, target, &value));
  }
  for (size_t cut = 0; cut < 8; ++cut) payloads.push_back(valid.substr(0, valid.size() * cut / 8));
  payloads.push_back(repeated(L"{\"a\":", 100000));
  const std::wstring significant = L"{}[]\":,\\-0123456789.eEtrufalsn ";
  auto unit = [&]() -> wchar_t {
    return random() % 2 ? significant[random() % significant.size()]
                        : static_cast<wchar_t>(1 + random() % 0xFFFF);
  };
  for (unsigned i = 0; i < randomCount; ++i) {
    std::wstring text;
    if (i % 2 == 0) {  // random units
      text.resize(1 + random() % 64);
      for (wchar_t& c : text) c = unit();
    } else {  // the valid payload with a few random edits
      text = valid;
      for (unsigned edits = 1 + random() % 4; edits > 0; --edits) {
        const size_t at = random() % (text.size() + 1);
        switch (random() % 3) {
          case 0:
            text.insert(at, 1, unit());
            break;
          case 1:
            text.erase(at, 1 + random() % 8);
            break;
          default:
            text.insert(at, text.substr(at, random() % 16));
            break;
        }
      }
    }
    payloads.push_back(text);
  }
  return payloads;
}

TEST(HostilePayloads, EveryRequestSurvivesItsPayloadTakenApartAndTheModuleKeepsAnswering) {
  const unsigned total = stressCount("TARN_STRESS_MESSAGES", 5000);
  const unsigned seed = stressCount("TARN_STRESS_SEED", 12);
  KilnRun run({L"stress_payloads", Kiln::InitializeEntry::V2, L"", kEverySeverity});
  ASSERT_TRUE(run.ready());
  run.host().traffic().hide(L".*");  // the console would hold every payload
  std::mt19937 random(seed);
  // The fixed part of every batch, so that the random part brings the sum to the total.
  size_t fixed = 0;
  for (const RequestRow& row : kRequests) fixed += hostilePayloads(row.payload, 0, random).size();
  const unsigned perRequest =
      total > fixed ? static_cast<unsigned>((total - fixed) / std::size(kRequests)) : 0;

  size_t sent = 0;
  size_t answered = 0;
  for (const RequestRow& row : kRequests) {
    SCOPED_TRACE(Kiln::toUtf8(row.name));
    for (const std::wstring& payload : hostilePayloads(row.payload, perRequest, random)) {
      ASSERT_EQ(0u, run.probe().publish(row.name, payload));
      ++sent;
    }
    // The name's own delivery thread keeps the batch in order: once this is taken up, the batch was handled.
    const std::wstring marker = uniqueMarker(L"batch");
    ASSERT_EQ(0u, run.probe().publish(row.name, L"{\"probe\":\"" + marker + L"\"}"));
    ASSERT_TRUE(run.waitForWorker(row.name, marker)) << "the worker never reached the end of the batch";
    // Back to the defaults, so that what the batch added does not slow the next one.
    ASSERT_EQ(0u, run.probe().publish(L"Core.Firewall.RestoreDefaults", L"{}"));
    Kiln::SeenMessage state;
    ASSERT_TRUE(run.probe().ask(L"Core.Firewall.RefreshState", L"", kPatienceMs, &state))
        << "no state answer after the batch of " << Kiln::toUtf8(row.name);
    ASSERT_EQ(L"Core.Firewall.State", state.name);
    ++answered;
    run.probe().forget();
  }
  stressSummary("hostile payloads: seed " + std::to_string(seed) + ", sent " + std::to_string(sent) +
                " messages in " + std::to_string(std::size(kRequests)) + " batches, state answered after " +
                std::to_string(answered));
}

}  // namespace
}  // namespace tarn_test
