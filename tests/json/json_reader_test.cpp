#include "json/json_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "json/json_value.h"
#include "json/json_writer.h"

namespace {

JsonValue ParseOrFail(const std::string& text) {
  JsonReader reader;
  JsonValue root;
  EXPECT_TRUE(reader.parse(text.c_str(), root)) << text << ": " << reader.message();
  return root;
}

TEST(JsonReaderTest, ObjectWithModeOneReadsAndWritesBack) {
  const JsonValue root = ParseOrFail("{\"mode\":1}");
  ASSERT_EQ(root.kind(), JsonKind::Object);
  EXPECT_EQ(root["mode"].kind(), JsonKind::Integer);
  EXPECT_EQ(root["mode"].toInt64(), 1);
  EXPECT_EQ(JsonWriter().write(root), "{\"mode\":1}\n");
}

TEST(JsonReaderTest, UnicodeEscapeIsKeptAsSixCharacters) {
  const JsonValue root = ParseOrFail("\"caf\\u00e9!\"");
  EXPECT_STREQ(root.toCString(), "caf\\u00e9!");
  EXPECT_EQ(JsonWriter().write(root), "\"caf\\u00e9!\"\n");
}

TEST(JsonReaderTest, EscapesDecodeToTheirCharacters) {
  const JsonValue root = ParseOrFail(R"("q\" s\/ b\\ \b\f\n\r\t")");
  EXPECT_STREQ(root.toCString(), "q\" s/ b\\ \b\f\n\r\t");
}

TEST(JsonReaderTest, Utf8AndControlBytesAreCopiedUnchanged) {
  const JsonValue root = ParseOrFail("\"\xE4\xB8\xAD\xE6\x96\x87\x01\x7F\"");
  EXPECT_STREQ(root.toCString(), "\xE4\xB8\xAD\xE6\x96\x87\x01\x7F");
}

TEST(JsonReaderTest, LiteralsReadAsTheirValues) {
  EXPECT_EQ(ParseOrFail("true").kind(), JsonKind::Boolean);
  EXPECT_TRUE(ParseOrFail("true").toBool());
  EXPECT_EQ(ParseOrFail("false").kind(), JsonKind::Boolean);
  EXPECT_FALSE(ParseOrFail("false").toBool());
  EXPECT_EQ(ParseOrFail("null").kind(), JsonKind::Null);
}

TEST(JsonReaderTest, EmptyArrayAndObjectParse) {
  for (const char* text : {"[]", "[ \t\r\n]", "{}", "{ }"}) {
    SCOPED_TRACE(text);
    const JsonValue root = ParseOrFail(text);
    EXPECT_TRUE(root.kind() == JsonKind::Array || root.kind() == JsonKind::Object);
    EXPECT_EQ(root.size(), 0u);
  }
}

TEST(JsonReaderTest, NestedDocumentReadsCompletely) {
  const JsonValue root =
      ParseOrFail(" {\n\t\"a\" : [ 1 , \"two\" , { \"x\" : null } ] ,\r\n \"b\" : -2.5 } ");
  ASSERT_EQ(root["a"].size(), 3u);
  EXPECT_EQ(root["a"][0].toInt64(), 1);
  EXPECT_STREQ(root["a"][1].toCString(), "two");
  EXPECT_TRUE(root["a"][2].hasMember("x"));
  EXPECT_EQ(root["b"].toReal(), -2.5);
}

TEST(JsonReaderTest, ObjectAcceptsSeparatorBeforeClosingBrace) {
  const JsonValue root = ParseOrFail("{\"a\":1,}");
  EXPECT_EQ(root.size(), 1u);
  EXPECT_EQ(ParseOrFail("{\"a\":{},\"b\":[1],}")["b"].size(), 1u);
}

TEST(JsonReaderTest, LaterDuplicateMemberWins) {
  const JsonValue root = ParseOrFail("{\"a\":[1,2],\"a\":\"x\"}");
  EXPECT_EQ(root.size(), 1u);
  EXPECT_STREQ(root["a"].toCString(), "x");
}

TEST(JsonReaderTest, TextAfterTheFirstValueIsNotExamined) {
  EXPECT_EQ(ParseOrFail("1 garbage").toInt64(), 1);
  EXPECT_EQ(ParseOrFail("{}]").size(), 0u);
  EXPECT_EQ(ParseOrFail("[7]]]").size(), 1u);
}

TEST(JsonReaderTest, IntegersReadWithWrapAround) {
  struct Case {
    const char* text;
    int64_t expected;
  };
  const Case cases[] = {
      {"0", 0},
      {"-0", 0},
      {"007", 7},
      {"-", 0},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", INT64_MIN},
      {"18446744073709551615", -1},
      {"18446744073709551616", 0},
      // Twenty digits: 99999999999999999999 mod 2^64.
      {"99999999999999999999", int64_t{7766279631452241919}},
      {"-99999999999999999999", -int64_t{7766279631452241919}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const JsonValue root = ParseOrFail(c.text);
    EXPECT_EQ(root.kind(), JsonKind::Integer);
    EXPECT_EQ(root.toInt64(), c.expected);
  }
}

TEST(JsonReaderTest, RealsReadFromTheirLeadingNumber) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"1.5", 1.5},        {"-2.25", -2.25}, {"1e3", 1000.0},        {"1E+3", 1000.0},
      {"25e-1", 2.5},      {"-.5", -0.5},    {"0.000", 0.0},         {"1e-9999", 0.0},
      {"1.2.3", 1.2},      {"1e", 1.0},      {"2e+", 2.0},           {"3.5-1", 3.5},
      {"1.5e3e4", 1500.0}, {"1.", 1.0},      {"100000.0", 100000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const JsonValue root = ParseOrFail(c.text);
    EXPECT_EQ(root.kind(), JsonKind::Real);
    EXPECT_EQ(root.toReal(), c.expected);
  }
}

TEST(JsonReaderTest, HugeExponentGivesInfiniteReal) {
  const JsonValue positive = ParseOrFail("1e9999");
  EXPECT_EQ(positive.kind(), JsonKind::Real);
  EXPECT_TRUE(std::isinf(positive.toReal()));
  EXPECT_GT(positive.toReal(), 0);
  EXPECT_LT(ParseOrFail("-1e400").toReal(), 0);
  EXPECT_TRUE(std::isinf(ParseOrFail("-1e400").toReal()));
}

TEST(JsonReaderTest, NegativeZeroRealKeepsItsSign) {
  const JsonValue root = ParseOrFail("-0.0");
  EXPECT_EQ(root.kind(), JsonKind::Real);
  EXPECT_TRUE(std::signbit(root.toReal()));
}

TEST(JsonReaderTest, RealTokenOf512CharactersIsTheLimit) {
  const std::string longest = "1." + std::string(510, '0');
  ASSERT_EQ(longest.size(), 512u);
  EXPECT_EQ(ParseOrFail(longest).toReal(), 1.0);

  const std::string too_long = longest + "0";
  JsonReader reader;
  JsonValue root;
  EXPECT_FALSE(reader.parse(("[" + too_long + "]").c_str(), root));
  EXPECT_EQ(reader.message(), "'" + too_long + "' is too large or not a number.");
  EXPECT_EQ(reader.errorOffset(), 1u);
}

TEST(JsonReaderTest, CommentsAreSkippedBetweenTokens) {
  struct Case {
    const char* text;
    const char* written;
  };
  const Case cases[] = {
      {"// line\n5", "5"},
      {"//\r[1]", "[1]"},
      {"#/ hash line\n5", "5"},
      {";/ semicolon line\r\n5", "5"},
      {"/* block */ 5", "5"},
      {"/**/ 5", "5"},
      {"[1,/* a*b */ 2]", "[1,2]"},
      // The '/' that ends a block introduces a comment that takes one more character.
      {"/* block */x5", "5"},
      // Any other character after the introducer simply ends the comment.
      {"#x5", "5"},
      {"[1;x,2]", "[1,2]"},
      {"{\"a\"//\n:#!1}", "{\"a\":1}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(JsonWriter().write(ParseOrFail(c.text)), std::string(c.written) + "\n");
  }
}

TEST(JsonReaderTest, NestingUpTo1000LevelsIsAccepted) {
  const std::string arrays = std::string(1000, '[') + std::string(1000, ']');
  const JsonValue root = ParseOrFail(arrays);
  EXPECT_EQ(JsonWriter().write(root), arrays + "\n");

  std::string objects;
  for (int i = 0; i < 999; ++i) {
    objects += "{\"k\":";
  }
  objects += "{}" + std::string(999, '}');
  EXPECT_EQ(JsonWriter().write(ParseOrFail(objects)), objects + "\n");
}

TEST(JsonReaderTest, NestingBeyond1000LevelsFails) {
  struct Case {
    std::string text;
    size_t offset;
  };
  std::string objects;
  for (int i = 0; i < 1001; ++i) {
    objects += "{\"k\":";
  }
  const Case cases[] = {
      {std::string(1001, '[') + std::string(1001, ']'), 1000},
      {std::string(100000, '['), 1000},
      {objects, 5 * 1000},
  };
  for (const Case& c : cases) {
    JsonReader reader;
    JsonValue root;
    EXPECT_FALSE(reader.parse(c.text.c_str(), root));
    EXPECT_EQ(reader.message(), "Nesting too deep");
    EXPECT_EQ(reader.errorOffset(), c.offset);
  }
}

TEST(JsonReaderTest, FailuresReportMessageAndTokenStart) {
  const char* const kSyntax = "Syntax error: value, object or array expected.";
  const char* const kArray = "Missing ',' or ']' in array declaration";
  const char* const kObject = "Missing ',' or '}' in object declaration";
  const char* const kName = "Missing '}' or object member name";
  const char* const kColon = "Missing ':' after object member name";
  const char* const kEscape = "Bad escape sequence in string";
  struct Case {
    const char* text;
    std::string message;
    size_t offset;
  };
  const Case cases[] = {
      {"", kSyntax, 0},
      {"   ", kSyntax, 3},
      {"+1", kSyntax, 0},
      {"[+1]", kSyntax, 1},
      {"[1,]", kSyntax, 3},
      {"[,1]", kSyntax, 1},
      {"{\"a\":}", kSyntax, 5},
      {"\"abc", kSyntax, 0},
      {"[\"ok\",\"\\\"]", kSyntax, 6},
      {"tru", kSyntax, 0},
      {"[true, fals]", kSyntax, 7},
      {"nul", kSyntax, 0},
      {"True", kSyntax, 0},
      {"'a'", kSyntax, 0},
      {".5", kSyntax, 0},
      {"]", kSyntax, 0},
      {"/* only a comment */", kSyntax, 20},
      {"/* unterminated", kSyntax, 15},
      {"[/**/]", kSyntax, 6},
      {"[1 2]", kArray, 3},
      {"[1", kArray, 2},
      {"[\n1,\n2\n3]", kArray, 7},
      {"[1}", kArray, 2},
      {"{\"a\":1 \"b\":2}", kObject, 7},
      {"{\"a\":1", kObject, 6},
      {"{\"a\":1]", kObject, 6},
      {"{1:2}", kName, 1},
      {"{\"a\":1,,}", kName, 7},
      {"{\"ab", kName, 1},
      {"{", kName, 1},
      {"{\"a\" 1}", kColon, 5},
      {"{\"a\"}", kColon, 4},
      {"\"a\\x\"", kEscape, 0},
      {"[1,\"\\U0041\"]", kEscape, 3},
      {"{\"a\\q\":1}", kEscape, 1},
      {"1+2", "'1+2' is not a number.", 0},
      {"--1", "'--1' is not a number.", 0},
      {"[0, 12-3]", "'12-3' is not a number.", 4},
      {"-e", "'-e' is too large or not a number.", 0},
      {"-.", "'-.' is too large or not a number.", 0},
      {"{\"x\":-E5}", "'-E5' is too large or not a number.", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    JsonReader reader;
    JsonValue root;
    EXPECT_FALSE(reader.parse(c.text, root));
    EXPECT_EQ(reader.message(), c.message);
    EXPECT_EQ(reader.errorOffset(), c.offset);
  }
}

TEST(JsonReaderTest, NullTextReadsAsEmptyInput) {
  JsonReader reader;
  JsonValue root;
  EXPECT_FALSE(reader.parse(nullptr, root));
  EXPECT_EQ(reader.message(), "Syntax error: value, object or array expected.");
  EXPECT_EQ(reader.errorOffset(), 0u);
}

TEST(JsonReaderTest, SuccessClearsThePreviousErrorAndReplacesRoot) {
  JsonReader reader;
  JsonValue root;
  ASSERT_FALSE(reader.parse("[1, x]", root));
  EXPECT_EQ(reader.errorOffset(), 4u);
  root = JsonValue("previous");
  ASSERT_TRUE(reader.parse("[2]", root));
  EXPECT_EQ(reader.message(), "");
  EXPECT_EQ(reader.errorOffset(), 0u);
  ASSERT_EQ(root.kind(), JsonKind::Array);
  EXPECT_EQ(root[0].toInt64(), 2);
}

TEST(JsonReaderTest, ReadingStopsAtTheFirstNul) {
  const char text[] = "[1]\0garbage";
  EXPECT_EQ(ParseOrFail(text).size(), 1u);
  JsonReader reader;
  JsonValue root;
  const char cut[] = "[1,\0 2]";
  EXPECT_FALSE(reader.parse(cut, root));
  EXPECT_EQ(reader.errorOffset(), 3u);
}

}  // namespace
