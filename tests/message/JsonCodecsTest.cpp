// Behaviours both JSON codecs share, and the places where they differ.
#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "message/JSONFormatter.h"
#include "message/JSONParser.h"

namespace Ledra {
namespace {

struct NumberKind {
  const wchar_t* literal;
  bool int32, int64, uint32, uint64, floating;
};

const NumberKind kNumberKinds[] = {
    {L"5", true, true, true, true, false},
    {L"5.0", false, false, false, false, true},
    {L"-1", true, true, false, false, false},
    {L"3000000000", false, true, true, true, false},
    {L"-3000000000", false, true, false, false, false},
    {L"2147483647", true, true, true, true, false},
    {L"-2147483648", true, true, false, false, false},
    {L"4294967296", false, true, false, true, false},
    {L"18446744073709551615", false, false, false, true, false},
    {L"1e3", false, false, false, false, true},
    {L"\"5\"", false, false, false, false, false},
    {L"true", false, false, false, false, false},
    {L"null", false, false, false, false, false},
};

template <typename Codec>
void expectNumberKinds(Codec& codec, bool (Codec::*load)(const std::wstring&)) {
  for (const NumberKind& kind : kNumberKinds) {
    SCOPED_TRACE(kind.literal);
    ASSERT_TRUE((codec.*load)(std::wstring(L"{\"n\":") + kind.literal + L"}"));
    int32_t i32 = 77;
    int64_t i64 = 77;
    uint32_t u32 = 77;
    uint64_t u64 = 77;
    double d = 77;
    EXPECT_EQ(codec.getInt(L"n", i32), kind.int32);
    EXPECT_EQ(codec.getInt64(L"n", i64), kind.int64);
    EXPECT_EQ(codec.getUInt(L"n", u32), kind.uint32);
    EXPECT_EQ(codec.getUInt64(L"n", u64), kind.uint64);
    EXPECT_EQ(codec.getDouble(L"n", d), kind.floating);
    // A getter that succeeds gives the number; one that fails leaves its output as it was.
    const wchar_t* text = kind.literal;
    EXPECT_EQ(i32, kind.int32 ? std::wcstol(text, nullptr, 10) : 77);
    EXPECT_EQ(i64, kind.int64 ? std::wcstoll(text, nullptr, 10) : 77);
    EXPECT_EQ(u32, kind.uint32 ? std::wcstoul(text, nullptr, 10) : 77u);
    EXPECT_EQ(u64, kind.uint64 ? std::wcstoull(text, nullptr, 10) : 77u);
    EXPECT_EQ(d, kind.floating ? std::wcstod(text, nullptr) : 77.0);
  }
}

TEST(JsonCodecsTest, NumberGettersFollowTheStoredKind) {
  JSONParser parser;
  expectNumberKinds<JSONParser>(parser, &JSONParser::parse);
  JSONFormatter formatter;
  expectNumberKinds<JSONFormatter>(formatter, &JSONFormatter::fromString);
}

TEST(JsonCodecsTest, AbsentArrayKeyIsEmptyForFormatterButFailsForParser) {
  JSONParser parser;
  JSONFormatter formatter;
  ASSERT_TRUE(parser.parse(L"{\"x\":1}"));
  ASSERT_TRUE(formatter.fromString(L"{\"x\":1}"));
  std::vector<std::wstring> texts{L"kept"};
  EXPECT_FALSE(parser.getStringArray(L"list", texts));
  EXPECT_TRUE(formatter.getStringArray(L"list", texts));
  EXPECT_FALSE(parser.getObjectArray(L"list", texts));
  std::vector<JSONFormatter> objects;
  EXPECT_TRUE(formatter.getObjectArray(L"list", objects));
  EXPECT_EQ(texts, std::vector<std::wstring>{L"kept"});
  EXPECT_TRUE(objects.empty());
  // Present but not an array fails in both.
  EXPECT_FALSE(formatter.getStringArray(L"x", texts));
  EXPECT_FALSE(formatter.getObjectArray(L"x", objects));
}

TEST(JsonCodecsTest, ArrayRootParsesButIsNoFormatterObject) {
  JSONParser parser;
  EXPECT_TRUE(parser.parse(L"[1]"));
  EXPECT_EQ(parser.toString(), L"[1]");
  EXPECT_TRUE(parser.isEmpty());
  parser.setInt(L"a", 1);  // a setter turns a non-object root into an object first
  EXPECT_EQ(parser.toString(), L"{\"a\":1}");
  JSONFormatter formatter;
  EXPECT_FALSE(formatter.fromString(L"[1]"));
}

TEST(JsonCodecsTest, ReplacingAMemberMovesTheLastIntoItsPlace) {
  struct Case {
    const wchar_t* key;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"a", L"{\"c\":3,\"b\":2,\"a\":9}"},
      {L"c", L"{\"a\":1,\"b\":2,\"c\":9}"},
      {L"d", L"{\"a\":1,\"b\":2,\"c\":3,\"d\":9}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    JSONParser parser;
    ASSERT_TRUE(parser.parse(L"{\"a\":1,\"b\":2,\"c\":3}"));
    parser.setInt(c.key, 9);
    EXPECT_EQ(parser.toString(), c.expected);
    JSONFormatter formatter;
    ASSERT_TRUE(formatter.fromString(L"{\"a\":1,\"b\":2,\"c\":3}"));
    formatter.setInt(c.key, 9);
    EXPECT_EQ(formatter.toString(), c.expected);
  }
}

TEST(JsonCodecsTest, EmbeddedNulEndsParserStringsButNotFormatterStrings) {
  const wchar_t* text = L"{\"s\":\"ab\\u0000cd\"}";
  JSONParser parser;
  ASSERT_TRUE(parser.parse(text));
  std::wstring value;
  EXPECT_TRUE(parser.getString(L"s", value));
  EXPECT_EQ(value, L"ab");

  JSONFormatter formatter;
  ASSERT_TRUE(formatter.fromString(text));
  EXPECT_TRUE(formatter.getString(L"s", value));
  EXPECT_EQ(value, std::wstring(L"ab\0cd", 5));
  EXPECT_EQ(formatter.toString(), text);

  // The formatter stores NUL units it is given, too, and finds keys holding them.
  JSONFormatter built;
  const std::wstring key(L"k\0x", 3);
  built.setString(key, std::wstring(L"1\0002", 3));
  EXPECT_FALSE(built.getString(L"k", value));
  EXPECT_TRUE(built.getString(key, value));
  EXPECT_EQ(value.size(), 3u);
}

TEST(JsonCodecsTest, KeysMatchExactlyAndTheFirstDuplicateWins) {
  JSONParser parser;
  ASSERT_TRUE(parser.parse(L"{\"Key\":1,\"key\":2,\"key\":3}"));
  JSONFormatter formatter;
  ASSERT_TRUE(formatter.fromString(L"{\"Key\":1,\"key\":2,\"key\":3}"));
  int32_t fromParser = 0, fromFormatter = 0;
  EXPECT_TRUE(parser.getInt(L"key", fromParser));
  EXPECT_TRUE(formatter.getInt(L"key", fromFormatter));
  EXPECT_EQ(fromParser, 2);
  EXPECT_EQ(fromFormatter, 2);
  EXPECT_FALSE(parser.getInt(L"KEY", fromParser));
  EXPECT_FALSE(parser.getInt(static_cast<const wchar_t*>(nullptr), fromParser));
}

}  // namespace
}  // namespace Ledra
