// Payload nesting is bounded, so no hostile text can exhaust a thread's stack
// in parsing, copying or writing.
#include <gtest/gtest.h>

#include <string>

#include "message/JSONFormatter.h"
#include "message/JSONParser.h"

namespace Ledra {
namespace {

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
