#include "message/JSONFormatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Ledra {
namespace {

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

}  // namespace
}  // namespace Ledra
