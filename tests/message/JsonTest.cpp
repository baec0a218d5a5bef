// The JSON codecs: the parser on its own, the formatter on its own, the
// behaviours both share and the places where they differ, and the bound on
// nesting, so that no hostile text can exhaust a thread's stack in parsing,
// copying or writing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "message/JSONFormatter.h"
#include "message/JSONParser.h"
#include "tests/wrappers/TempFolder.h"

namespace Ledra {
namespace {

JSONParser parsed(const wchar_t* text) {
  JSONParser parser;
  EXPECT_TRUE(parser.parse(text)) << text;
  return parser;
}

// Long texts outgrow the document's first buffer; copies share the document,
// which outlives the parser it came from; a failed parse keeps it.
TEST(JSONParserTest, CopiesShareTheDocumentAndAFailedParseKeepsIt) {
  const std::wstring text(5000, L'x');
  std::wstring json = L"{\"long\":\"" + text + L"\"";
  for (int i = 0; i < 200; ++i) json += L",\"k" + std::to_wstring(i) + L"\":" + std::to_wstring(i);
  JSONParser copy;
  {
    JSONParser parser = parsed((json + L"}").c_str());
    copy = parser;
    for (const wchar_t* bad : {L"", L"{\"a\":1} x", static_cast<const wchar_t*>(nullptr)})
      EXPECT_FALSE(parser.parse(bad));
    parser.setBool(L"b", true);
  }
  std::wstring value;
  int32_t last = 0;
  EXPECT_TRUE(copy.getString(L"long", value));
  EXPECT_EQ(text, value);
  EXPECT_TRUE(copy.getInt(L"k199", last));
  EXPECT_EQ(199, last);
  EXPECT_EQ(json + L",\"b\":true}", copy.toString());
  EXPECT_EQ(JSONParser().toString(), L"null");
}

TEST(JSONParserTest, ArrayGettersWalkElementsAndStopAtTheFirstMisfit) {
  struct Case {
    const wchar_t* text;
    const wchar_t* subKey;
    bool result;
    std::vector<std::wstring> strings;
  };
  const Case cases[] = {
      {L"{\"a\":[\"x\",\"y\"]}", nullptr, true, {L"x", L"y"}},
      {L"{\"a\":[\"x\",\"y\"]}", L"", true, {L"x", L"y"}},
      {L"{\"a\":[]}", nullptr, true, {}},
      {L"{\"a\":[\"x\",1,\"y\"]}", nullptr, false, {L"x"}},
      {L"{\"a\":[{\"n\":\"x\"},{\"n\":\"y\",\"m\":1}]}", L"n", true, {L"x", L"y"}},
      {L"{\"a\":[{\"n\":\"x\"},{\"m\":\"y\"},{\"n\":\"z\"}]}", L"n", false, {L"x"}},
      {L"{\"a\":[{\"n\":\"x\"},\"y\"]}", L"n", false, {L"x"}},
      {L"{\"a\":[\"x\"]}", L"n", false, {}},
      {L"{\"a\":\"x\"}", nullptr, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " / " << (c.subKey ? c.subKey : L"(null)"));
    JSONParser parser = parsed(c.text);
    std::vector<std::wstring> out{L"earlier"};
    EXPECT_EQ(parser.getStringArray(L"a", out, c.subKey), c.result);
    std::vector<std::wstring> expected{L"earlier"};
    expected.insert(expected.end(), c.strings.begin(), c.strings.end());
    EXPECT_EQ(out, expected);
  }

  std::vector<int32_t> ints{0};
  EXPECT_TRUE(parsed(L"{\"a\":[{\"id\":4},{\"id\":-5}]}").getIntArray(L"a", ints, L"id"));
  EXPECT_FALSE(parsed(L"{\"a\":[7,3000000000,8]}").getIntArray(L"a", ints));
  EXPECT_EQ(ints, (std::vector<int32_t>{0, 4, -5, 7}));
}

TEST(JSONParserTest, ObjectArrayGivesEachElementRebuiltAsCompactText) {
  JSONParser parser = parsed(
      L"{\"list\":[ {\"name\" : \"a\", \"ports\": [1, 2], \"o\":{\"x\":null}, \"name\":\"b\"},"
      L" {\"n\":1.5, \"t\":true}, {} ], \"bad\":[{\"a\":1}, 2]}");
  std::vector<std::wstring> texts;
  EXPECT_TRUE(parser.getObjectArray(L"list", texts));
  // The rebuilt element replaces a repeated key; an empty one rebuilds nothing
  // and reads as a fresh parser's null root.
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"{\"o\":{\"x\":null},\"ports\":[1,2],\"name\":\"b\"}",
                                              L"{\"n\":1.5,\"t\":true}", L"null"}));
  std::vector<std::wstring> none;
  EXPECT_FALSE(parser.getObjectArray(L"bad", none));
  EXPECT_TRUE(none.empty());
}

TEST(JSONParserTest, ValueTextGivesNullStringOrCompactJson) {
  JSONParser parser = parsed(L"{\"n\":null,\"s\":\"t\\\"x\",\"o\":{ \"a\" : [1, \"b\"] },\"i\":12}");
  struct Case {
    const wchar_t* key;
    const wchar_t* expected;
  };
  const Case cases[] = {{L"n", L""}, {L"s", L"t\"x"}, {L"o", L"{\"a\":[1,\"b\"]}"}, {L"i", L"12"}};
  for (const Case& c : cases) {
    std::wstring text = L"previous";
    EXPECT_TRUE(parser.getValueText(c.key, text)) << c.key;
    EXPECT_EQ(text, c.expected) << c.key;
  }
  std::wstring untouched = L"previous";
  EXPECT_FALSE(parser.getValueText(L"absent", untouched));
  EXPECT_EQ(untouched, L"previous");
}

TEST(JSONParserTest, SetJsonStoresOnlyTextThatParses) {
  JSONParser parser = parsed(L"{\"keep\":1}");
  parser.setJson(L"o", L"{\"a\":[1,2]}");
  parser.setJson(L"o", L"{\"a\":");
  parser.setJson(L"p", L"not json");
  parser.setJson(L"q", L"");
  EXPECT_EQ(parser.toString(), L"{\"keep\":1,\"o\":{\"a\":[1,2]}}");

  parser.appendJson(L"list", L"{\"x\":1}");
  parser.appendJson(L"list", L"[");
  parser.appendJson(L"list", L"7");
  parser.appendJson(L"keep", L"2");  // not an array: nothing pushed
  EXPECT_EQ(parser.toString(), L"{\"keep\":1,\"o\":{\"a\":[1,2]},\"list\":[{\"x\":1},7]}");

  // Failing text does not turn a non-object root into an object either.
  JSONParser array = parsed(L"[1]");
  array.setJson(L"k", L"{");
  EXPECT_EQ(array.toString(), L"[1]");
}

TEST(JSONParserTest, AppendStringBuildsArraysButLeavesOtherMembersAlone) {
  JSONParser parser = parsed(L"{\"s\":\"text\"}");
  parser.appendString(L"plain", L"a");
  parser.appendString(L"plain", L"b", L"");
  parser.appendString(L"nested", L"c", L"path");
  parser.appendString(L"s", L"d");
  parser.appendString(L"plain", nullptr);
  parser.appendString(nullptr, L"e");
  EXPECT_EQ(parser.toString(), L"{\"s\":\"text\",\"plain\":[\"a\",\"b\"],\"nested\":[{\"path\":\"c\"}]}");
}

TEST(JSONParserTest, ArraySettersReplaceTheMemberAndSkipNullEntries) {
  JSONParser parser;
  parser.setIntArray(L"ints", {3, -1});
  parser.setStringArray(L"texts", std::vector<std::wstring>{L"x", L"y"});
  parser.setStringArray(L"ptrs", std::vector<const wchar_t*>{L"p", nullptr, L"q"});
  parser.setStringArray(L"ints", std::vector<const wchar_t*>{});
  EXPECT_EQ(parser.toString(), L"{\"ptrs\":[\"p\",\"q\"],\"texts\":[\"x\",\"y\"],\"ints\":[]}");

  parser.setString(std::wstring(L"a"), std::wstring(L"1"));
  parser.setString(std::wstring(L"b"), L"2");
  parser.setString(L"c", std::wstring(L"3"));
  parser.setString(static_cast<const wchar_t*>(nullptr), L"4");
  parser.setString(L"d", static_cast<const wchar_t*>(nullptr));
  parser.setUInt64(L"u", 18446744073709551615ull);
  parser.setDouble(L"f", 0.5);
  EXPECT_FALSE(parser.isEmpty());
  EXPECT_EQ(
      parser.toString(),
      L"{\"ptrs\":[\"p\",\"q\"],\"texts\":[\"x\",\"y\"],\"ints\":[],\"a\":\"1\",\"b\":\"2\",\"c\":\"3\","
      L"\"u\":18446744073709551615,\"f\":0.5}");
  parser.clear();
  EXPECT_TRUE(parser.isEmpty());
  EXPECT_EQ(parser.toString(), L"{}");
}

TEST(JSONParserTest, FileRoundTripWritesByteOrderMarkAndLittleEndianUnits) {
  const tarn_test::TempFolder folder;
  const std::wstring path = folder.path() + L"\\doc.json";
  const auto parseFile = [&path](JSONParser& parser) {
    FILE* in = _wfopen(path.c_str(), L"rb");
    const bool parsed = in != nullptr && parser.parseFile(in);
    if (in != nullptr) fclose(in);
    return parsed;
  };
  JSONParser written = parsed(L"{\"name\":\"\u00e9t\u00e9 \u6f22\",\"n\":[1]}");
  FILE* out = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(written.writeFile(out));
  fclose(out);
  std::string bytes(8, '\0');
  std::ifstream(std::filesystem::path(path), std::ios::binary).read(&bytes[0], 8);
  EXPECT_EQ(bytes, std::string("\xFF\xFE{\0\"\0n\0", 8));
  JSONParser read;
  EXPECT_TRUE(parseFile(read));
  std::wstring name;
  EXPECT_TRUE(read.getString(L"name", name));
  EXPECT_EQ(name, L"\u00e9t\u00e9 \u6f22");
  EXPECT_EQ(read.toString(), written.toString());

  // Without a byte-order mark the units are read just the same; a longer
  // text crosses the 256-byte buffer.
  const std::wstring longText = L"{\"k\":\"" + std::wstring(400, L'z') + L"\"}";
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(longText.data()), longText.size() * sizeof(wchar_t));
  EXPECT_TRUE(parseFile(read));
  EXPECT_EQ(read.toString(), longText);
  EXPECT_FALSE(read.parseFile(nullptr));
}

JSONFormatter fromText(const wchar_t* text) {
  JSONFormatter formatter;
  EXPECT_TRUE(formatter.fromString(text)) << text;
  return formatter;
}

TEST(JSONFormatterTest, StartsAsEmptyObjectAndAcceptsOnlyObjectRoots) {
  JSONFormatter formatter;
  EXPECT_EQ(formatter.toString(), L"{}");
  for (const wchar_t* text : {L"[1]", L"1", L"\"s\"", L"null", L"{", L""}) {
    EXPECT_FALSE(formatter.fromString(text)) << text;
  }
  EXPECT_TRUE(formatter.fromString(L" { \"a\" : [ ] } "));
  EXPECT_EQ(formatter.toString(), L"{\"a\":[]}");
}

TEST(JSONFormatterTest, CopiesAreDeepAndIndependent) {
  JSONFormatter original = fromText(L"{\"s\":\"one\",\"o\":{\"x\":[1]}}");
  JSONFormatter copy(original);
  JSONFormatter assigned;
  assigned = original;
  original.setString(L"s", L"two");
  EXPECT_EQ(copy.toString(), L"{\"s\":\"one\",\"o\":{\"x\":[1]}}");
  EXPECT_EQ(assigned.toString(), copy.toString());

  // A copy taken from an outside value owns its strings even when the value
  // only referenced them.
  std::wstring text = L"borrowed";
  json::Document outside(rapidjson::kObjectType);
  outside.AddMember(json::Value(rapidjson::StringRef(L"k")),
                    json::Value(rapidjson::StringRef(text.c_str(), text.size())), outside.GetAllocator());
  JSONFormatter owner(static_cast<const json::Value&>(outside));
  text.assign(text.size(), L'#');
  std::wstring value;
  EXPECT_TRUE(owner.getString(L"k", value));
  EXPECT_EQ(value, L"borrowed");
}

TEST(JSONFormatterTest, ObjectGettersHandOutDeepCopies) {
  JSONFormatter source =
      fromText(L"{\"o\":{\"a\":1},\"list\":[{\"b\":2},{\"c\":[3]}],\"mixed\":[{\"d\":4},5],\"n\":1}");
  JSONFormatter target = fromText(L"{\"old\":true}");
  EXPECT_TRUE(source.getObject(L"o", target));
  EXPECT_EQ(target.toString(), L"{\"a\":1}");
  EXPECT_FALSE(source.getObject(L"n", target));
  EXPECT_FALSE(source.getObject(L"absent", target));
  EXPECT_EQ(target.toString(), L"{\"a\":1}");

  std::vector<JSONFormatter> objects;
  EXPECT_TRUE(source.getObjectArray(L"list", objects));
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[1].toString(), L"{\"c\":[3]}");
  EXPECT_FALSE(source.getObjectArray(L"mixed", objects));
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[2].toString(), L"{\"d\":4}");

  objects[0].setInt(L"b", 9);
  target.setInt(L"a", 9);
  EXPECT_EQ(source.toString(),
            L"{\"o\":{\"a\":1},\"list\":[{\"b\":2},{\"c\":[3]}],\"mixed\":[{\"d\":4},5],\"n\":1}");
}

TEST(JSONFormatterTest, SettersBuildNestedValuesFromCopies) {
  JSONFormatter inner = fromText(L"{\"x\":1}");
  JSONFormatter outer;
  outer.setObject(L"o", inner);
  outer.setObjectArray(L"list", {inner, fromText(L"{\"y\":2}")});
  outer.appendObject(L"more", inner);
  outer.appendObject(L"more", fromText(L"{}"));
  outer.appendString(L"names", L"a");
  outer.appendString(L"names", L"b");
  outer.setStringArray(L"texts", {L"t", L"u"});
  outer.setBool(L"flag", false);
  outer.setUInt(L"u", 4000000000u);
  outer.setInt64(L"big", -5000000000LL);
  outer.setUInt64(L"huge", 18446744073709551615ull);
  outer.setDouble(L"d", 2.5);
  outer.appendString(L"flag", L"ignored");
  outer.appendObject(L"u", inner);
  inner.setInt(L"x", 2);
  EXPECT_EQ(
      outer.toString(),
      L"{\"o\":{\"x\":1},\"list\":[{\"x\":1},{\"y\":2}],\"more\":[{\"x\":1},{}],\"names\":[\"a\",\"b\"],"
      L"\"texts\":[\"t\",\"u\"],\"flag\":false,\"u\":4000000000,\"big\":-5000000000,"
      L"\"huge\":18446744073709551615,\"d\":2.5}");

  std::vector<std::wstring> names{L"earlier"};
  EXPECT_TRUE(outer.getStringArray(L"names", names));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"earlier", L"a", L"b"}));
  EXPECT_FALSE(fromText(L"{\"m\":[\"a\",1,\"b\"]}").getStringArray(L"m", names));
  EXPECT_EQ(names.back(), L"a");
  bool flag = true;
  EXPECT_TRUE(outer.getBool(L"flag", flag));
  EXPECT_FALSE(flag);
}

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
  parser.setInt(L"a", 1);                      // a setter turns a non-object root into an object first
  EXPECT_EQ(parser.toString(), L"{\"a\":1}");  // the formatter refuses it (see above)
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

// depth levels of arrays, or of objects under the key "k", around a 1.
std::wstring nested(size_t depth, bool objects) {
  std::wstring text;
  for (size_t i = 0; i < depth; ++i) text += objects ? L"{\"k\":" : L"[";
  text += L"1";
  text.append(depth, objects ? L'}' : L']');
  return text;
}

TEST(JsonDepthTest, NestingUpTo256LevelsParsesAndDeeperIsRefused) {
  struct Case {
    size_t depth;
    bool accepted;
  };
  const Case cases[] = {{1, true}, {255, true}, {256, true}, {257, false}, {1000, false}};
  for (bool objects : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.depth << (objects ? " objects" : " arrays"));
      const std::wstring text = nested(c.depth, objects);
      JSONParser parser;
      ASSERT_TRUE(parser.parse(L"{\"before\":1}"));
      EXPECT_EQ(parser.parse(text), c.accepted);
      EXPECT_EQ(parser.toString(), c.accepted ? text : L"{\"before\":1}");
      if (objects) {
        JSONFormatter formatter;
        EXPECT_EQ(formatter.fromString(text), c.accepted);
        EXPECT_EQ(formatter.toString(), c.accepted ? text : L"{}");
      }
    }
  }
}

TEST(JsonDepthTest, BracketsInsideStringsDoNotCount) {
  const std::wstring text = L"{\"k\":\"" + std::wstring(300, L'[') + L"\\\"{{\"}";
  JSONParser parser;
  EXPECT_TRUE(parser.parse(text));
  JSONFormatter formatter;
  EXPECT_TRUE(formatter.fromString(text));
}

// Nesting built by the setters stays within the limit too, so every document
// written out can be read back: a value that would sit deeper is skipped.
TEST(JsonDepthTest, SettersNeverNestADocumentBeyondTheLimit) {
  for (size_t depth : {254u, 255u, 256u}) {
    SCOPED_TRACE(depth);
    const std::wstring text = nested(depth, true);
    JSONFormatter value;
    ASSERT_TRUE(value.fromString(text));
    JSONFormatter one, two, three;
    one.setObject(L"s", value);     // value one level down
    two.appendObject(L"a", value);  // two levels down
    three.setObjectArray(L"a", {value});
    EXPECT_EQ(one.toString(), depth <= 255 ? L"{\"s\":" + text + L"}" : L"{}");
    EXPECT_EQ(two.toString(), depth <= 254 ? L"{\"a\":[" + text + L"]}" : L"{}");
    EXPECT_EQ(three.toString(), two.toString());

    JSONParser parser;
    ASSERT_TRUE(parser.parse(L"{}"));
    parser.setJson(L"s", text);
    parser.appendJson(L"a", text);
    std::wstring expected = L"{";
    if (depth <= 255) expected += L"\"s\":" + text;
    if (depth <= 254) expected += L",\"a\":[" + text + L"]";
    EXPECT_EQ(parser.toString(), expected + L"}");
    JSONParser reparsed;
    EXPECT_TRUE(reparsed.parse(parser.toString()));
  }

  // An outside value nested too deeply is not copied at all.
  json::Document deep;
  deep.SetArray();
  for (int i = 0; i < 100000; ++i) {
    json::Value outer(rapidjson::kArrayType);
    outer.PushBack(static_cast<json::Value&>(deep), deep.GetAllocator());
    static_cast<json::Value&>(deep) = outer;
  }
  EXPECT_EQ(JSONFormatter(deep).toString(), L"{}");
}

}  // namespace
}  // namespace Ledra
