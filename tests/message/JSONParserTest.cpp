#include "message/JSONParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace Ledra
