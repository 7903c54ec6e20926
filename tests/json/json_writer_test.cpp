#include "json/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "json/json_reader.h"
#include "json/json_value.h"

namespace {

std::string Write(const JsonValue& value) { return JsonWriter().write(value); }

TEST(JsonWriterTest, ScalarsUseTheirCompactForms) {
  struct Case {
    JsonValue value;
    const char* expected;
  };
  const Case cases[] = {
      {JsonValue(), "null\n"},
      {JsonValue(true), "true\n"},
      {JsonValue(false), "false\n"},
      {JsonValue(0), "0\n"},
      {JsonValue(-42), "-42\n"},
      {JsonValue(INT64_MAX), "9223372036854775807\n"},
      {JsonValue(INT64_MIN), "-9223372036854775808\n"},
      {JsonValue(1.5), "1.5\n"},
      {JsonValue(0.1), "0.1\n"},
      {JsonValue(-2.0), "-2\n"},
      {JsonValue(100000.0), "100000\n"},
      {JsonValue(1e6), "1e+06\n"},
      {JsonValue(1e20), "1e+20\n"},
      {JsonValue(1e-5), "1e-05\n"},
      {JsonValue(123456789.0), "1.23457e+08\n"},
      {JsonValue(3.14159265358979), "3.14159\n"},
      {JsonValue(""), "\"\"\n"},
      {JsonValue(static_cast<const char*>(nullptr)), "\"\"\n"},
      {JsonValue("plain text"), "\"plain text\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(Write(c.value), c.expected);
  }
}

TEST(JsonWriterTest, RealsThatPrintfCannotRoundTripAreWrittenReadably) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Write(JsonValue(-0.0)), "-0.0\n");
  EXPECT_EQ(Write(JsonValue(inf)), "1e9999\n");
  EXPECT_EQ(Write(JsonValue(-inf)), "-1e9999\n");
  EXPECT_EQ(Write(JsonValue(std::numeric_limits<double>::quiet_NaN())), "null\n");
  EXPECT_EQ(Write(JsonValue(-std::numeric_limits<double>::quiet_NaN())), "null\n");

  JsonReader reader;
  JsonValue root;
  ASSERT_TRUE(reader.parse(Write(JsonValue(-0.0)).c_str(), root));
  EXPECT_EQ(root.kind(), JsonKind::Real);
  EXPECT_TRUE(std::signbit(root.toReal()));
  ASSERT_TRUE(reader.parse(Write(JsonValue(-inf)).c_str(), root));
  EXPECT_EQ(root.toReal(), -inf);
}

TEST(JsonWriterTest, StringsEscapeTheSevenSpecialCharacters) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"say \"hi\"", R"("say \"hi\"")"},
      {"C:\\dir\\file", R"("C:\\dir\\file")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {"a/b", R"("a/b")"},
      // A backslash before 'u' is kept single, so a kept Unicode escape writes back as read.
      {"\\u00e9", R"("\u00e9")"},
      {"\\u00e9\n", R"("\u00e9\n")"},
      {"\\\\u", R"("\\\u")"},
      {"end\\", R"("end\\")"},
      // Other control characters and bytes from 0x80 pass unescaped.
      {"\x01\x1F\x7F\xE4\xB8\xAD", "\"\x01\x1F\x7F\xE4\xB8\xAD\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Write(JsonValue(c.text)), std::string(c.expected) + "\n");
  }
}

TEST(JsonWriterTest, ArraysAndObjectsAreCompact) {
  JsonValue root;
  root["list"][0] = JsonValue(1);
  root["list"][1] = JsonValue("two");
  root["list"][2] = JsonValue(JsonKind::Array);
  root["list"][3] = JsonValue(JsonKind::Object);
  root["flag"] = JsonValue(true);
  root["say \"x\""] = JsonValue();
  EXPECT_EQ(Write(root), "{\"flag\":true,\"list\":[1,\"two\",[],{}],\"say \\\"x\\\"\":null}\n");
  EXPECT_EQ(Write(JsonValue(JsonKind::Array)), "[]\n");
  EXPECT_EQ(Write(JsonValue(JsonKind::Object)), "{}\n");
}

TEST(JsonWriterTest, KeysInsertedDescendingAreWrittenAscending) {
  JsonValue root;
  for (const char* key : {"\xC3\xA9", "z", "b", "a", "B", "A"}) {
    root[key] = JsonValue(1);
  }
  EXPECT_EQ(Write(root), "{\"A\":1,\"B\":1,\"a\":1,\"b\":1,\"z\":1,\"\xC3\xA9\":1}\n");
}

TEST(JsonWriterTest, WrittenConfigReadsBackToTheSameText) {
  JsonValue config;
  config["setup"]["root"] = JsonValue("QzpcUHJvZ3JhbSBGaWxlc1xWZWx0bw==");
  config["setup"]["files"][0] = JsonValue("\xE4\xB8\xAD\\u4e2d\"");
  config["setup"]["count"] = JsonValue(int64_t{1} << 40);
  config["mode"] = JsonValue(1);
  config["ratio"] = JsonValue(0.25);
  config["sizes"][2] = JsonValue(-1e-300);
  const std::string written = Write(config);

  JsonReader reader;
  JsonValue root;
  ASSERT_TRUE(reader.parse(written.c_str(), root)) << reader.message();
  EXPECT_EQ(Write(root), written);
  EXPECT_STREQ(root["setup"]["files"][0].toCString(), "\xE4\xB8\xAD\\u4e2d\"");
}

}  // namespace
