#include "json/json_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

JsonValue MakeArray(std::vector<JsonValue> elements) {
  JsonValue array(JsonKind::Array);
  for (size_t i = 0; i < elements.size(); ++i) {
    array[i] = std::move(elements[i]);
  }
  return array;
}

TEST(JsonValueTest, DefaultIsNullWithNeutralConversions) {
  JsonValue value;
  EXPECT_EQ(value.kind(), JsonKind::Null);
  EXPECT_EQ(value.toInt64(), 0);
  EXPECT_EQ(value.toReal(), 0.0);
  EXPECT_FALSE(value.toBool());
  EXPECT_STREQ(value.toCString(), "");
  EXPECT_EQ(value.size(), 0u);
  EXPECT_TRUE(value.memberNames().empty());
}

TEST(JsonValueTest, KindCodesAreFixed) {
  EXPECT_EQ(static_cast<int>(JsonKind::Null), 0);
  EXPECT_EQ(static_cast<int>(JsonKind::Integer), 1);
  EXPECT_EQ(static_cast<int>(JsonKind::Boolean), 2);
  EXPECT_EQ(static_cast<int>(JsonKind::Real), 3);
  EXPECT_EQ(static_cast<int>(JsonKind::Array), 4);
  EXPECT_EQ(static_cast<int>(JsonKind::Object), 5);
  EXPECT_EQ(static_cast<int>(JsonKind::String), 6);
}

TEST(JsonValueTest, ConstructorsGiveTheirKind) {
  EXPECT_EQ(JsonValue(int64_t{1} << 40).kind(), JsonKind::Integer);
  EXPECT_EQ(JsonValue(7).kind(), JsonKind::Integer);
  EXPECT_EQ(JsonValue(true).kind(), JsonKind::Boolean);
  EXPECT_EQ(JsonValue(0.5).kind(), JsonKind::Real);
  EXPECT_EQ(JsonValue("text").kind(), JsonKind::String);
  EXPECT_EQ(JsonValue(std::string("text")).kind(), JsonKind::String);
  EXPECT_EQ(JsonValue(int64_t{1} << 40).toInt64(), int64_t{1} << 40);
  EXPECT_STREQ(JsonValue(std::string("abc")).toCString(), "abc");
}

TEST(JsonValueTest, KindConstructorGivesEmptyValues) {
  const JsonKind kinds[] = {JsonKind::Null,  JsonKind::Integer, JsonKind::Boolean, JsonKind::Real,
                            JsonKind::Array, JsonKind::Object,  JsonKind::String};
  for (JsonKind kind : kinds) {
    SCOPED_TRACE(static_cast<int>(kind));
    JsonValue value(kind);
    EXPECT_EQ(value.kind(), kind);
    EXPECT_EQ(value.size(), 0u);
    EXPECT_FALSE(value.toBool());
    EXPECT_EQ(value.toInt64(), 0);
    EXPECT_STREQ(value.toCString(), "");
  }
}

TEST(JsonValueTest, NullTextGivesStringWithoutStorage) {
  JsonValue value(static_cast<const char*>(nullptr));
  EXPECT_EQ(value.kind(), JsonKind::String);
  ASSERT_NE(value.toCString(), nullptr);
  EXPECT_STREQ(value.toCString(), "");
  EXPECT_FALSE(value.toBool());
  JsonValue copy(value);
  EXPECT_EQ(copy.kind(), JsonKind::String);
  EXPECT_STREQ(copy.toCString(), "");
}

TEST(JsonValueTest, StringStopsAtFirstNul) {
  JsonValue value(std::string("ab\0cd", 5));
  EXPECT_STREQ(value.toCString(), "ab");
}

TEST(JsonValueTest, ToInt64ConvertsEveryKind) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    JsonValue value;
    int64_t expected;
  };
  const Case cases[] = {
      {JsonValue(int64_t{-9000000000}), int64_t{-9000000000}},
      {JsonValue(true), 1},
      {JsonValue(false), 0},
      {JsonValue(2.9), 2},
      {JsonValue(-2.9), -2},
      {JsonValue(2147483647.9), INT32_MAX},
      {JsonValue(-2147483648.9), INT32_MIN},
      // Outside the 32-bit range and NaN: INT32_MIN, as x86 truncation gives.
      {JsonValue(2147483648.0), INT32_MIN},
      {JsonValue(3e9), INT32_MIN},
      {JsonValue(-3e9), INT32_MIN},
      {JsonValue(nan), INT32_MIN},
      {JsonValue(inf), INT32_MIN},
      {JsonValue("42abc"), 42},
      {JsonValue("-17"), -17},
      {JsonValue("9223372036854775807"), INT64_MAX},
      {JsonValue("abc"), 0},
      {JsonValue(""), 0},
      {JsonValue(static_cast<const char*>(nullptr)), 0},
      {JsonValue(), 0},
      {MakeArray({JsonValue(5)}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.value.toInt64(), c.expected);
  }
  JsonValue object;
  object["a"] = JsonValue(5);
  EXPECT_EQ(object.toInt64(), 0);
}

TEST(JsonValueTest, ToRealConvertsEveryKind) {
  struct Case {
    JsonValue value;
    double expected;
  };
  const Case cases[] = {
      {JsonValue(int64_t{1} << 53), 9007199254740992.0},
      {JsonValue(true), 1.0},
      {JsonValue(false), 0.0},
      {JsonValue(-2.25), -2.25},
      {JsonValue("3.5e2xyz"), 350.0},
      {JsonValue("x"), 0.0},
      {JsonValue(), 0.0},
      {MakeArray({JsonValue(5)}), 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.value.toReal(), c.expected);
  }
}

TEST(JsonValueTest, ToBoolConvertsEveryKind) {
  JsonValue object;
  object["a"] = JsonValue();
  struct Case {
    JsonValue value;
    bool expected;
  };
  const Case cases[] = {
      {JsonValue(0), false},
      {JsonValue(-1), true},
      {JsonValue(true), true},
      {JsonValue(false), false},
      {JsonValue(0.0), false},
      {JsonValue(-0.0), false},
      {JsonValue(0.001), true},
      {JsonValue(std::numeric_limits<double>::quiet_NaN()), true},
      {JsonValue(""), false},
      {JsonValue("0"), true},
      {JsonValue(JsonKind::Array), false},
      {MakeArray({JsonValue()}), true},
      {JsonValue(JsonKind::Object), false},
      {object, true},
      {JsonValue(), false},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].value.toBool(), cases[i].expected);
  }
}

TEST(JsonValueTest, ToCStringIsEmptyForOtherKinds) {
  EXPECT_STREQ(JsonValue(12).toCString(), "");
  EXPECT_STREQ(JsonValue(true).toCString(), "");
  EXPECT_STREQ(JsonValue(1.5).toCString(), "");
  EXPECT_STREQ(MakeArray({JsonValue("a")}).toCString(), "");
}

TEST(JsonValueTest, SizeCountsElementsAndMembersOnly) {
  JsonValue object;
  object["a"] = JsonValue(1);
  object["b"] = JsonValue(2);
  EXPECT_EQ(object.size(), 2u);
  EXPECT_EQ(MakeArray({JsonValue(), JsonValue(), JsonValue()}).size(), 3u);
  EXPECT_EQ(JsonValue("abc").size(), 0u);
  EXPECT_EQ(JsonValue(5).size(), 0u);
}

TEST(JsonValueTest, MemberNamesAreInAscendingByteOrder) {
  JsonValue object;
  for (const char* key : {"\xC3\xA9t\xC3\xA9", "zeta", "Zeta", "alpha", "", "al"}) {
    object[key] = JsonValue(1);
  }
  const std::vector<std::string> expected = {"",      "Zeta", "al",
                                             "alpha", "zeta", "\xC3\xA9t\xC3\xA9"};
  EXPECT_EQ(object.memberNames(), expected);
}

TEST(JsonValueTest, HasMemberOnlyOnObjectsHoldingTheKey) {
  JsonValue object;
  object["mode"] = JsonValue();
  EXPECT_TRUE(object.hasMember("mode"));
  EXPECT_FALSE(object.hasMember("Mode"));
  EXPECT_FALSE(JsonValue("mode").hasMember("mode"));
  EXPECT_FALSE(JsonValue().hasMember("mode"));
}

TEST(JsonValueTest, ReadByKeyGivesSharedNullAndNeverChangesTheValue) {
  JsonValue object;
  object["a"] = JsonValue(3);
  const JsonValue& read_only = object;
  EXPECT_EQ(read_only["a"].toInt64(), 3);
  EXPECT_EQ(&read_only["missing"], &JsonValue::Null());
  EXPECT_EQ(&read_only[std::string("missing")], &JsonValue::Null());
  EXPECT_EQ(object.size(), 1u);

  const JsonValue number(7);
  EXPECT_EQ(&number["a"], &JsonValue::Null());
  EXPECT_EQ(number.kind(), JsonKind::Integer);
  EXPECT_EQ(JsonValue::Null().kind(), JsonKind::Null);
}

TEST(JsonValueTest, WriteByKeyTurnsOtherKindsIntoObjects) {
  JsonValue value("old text");
  JsonValue& member = value["key"];
  EXPECT_EQ(member.kind(), JsonKind::Null);
  EXPECT_EQ(value.kind(), JsonKind::Object);
  EXPECT_EQ(value.size(), 1u);

  value[std::string("key")] = JsonValue(5);
  value["key"];
  EXPECT_EQ(value.size(), 1u);
  EXPECT_EQ(value["key"].toInt64(), 5);
}

TEST(JsonValueTest, ReadByIndexPastTheEndThrows) {
  const JsonValue array = MakeArray({JsonValue(1), JsonValue(2)});
  EXPECT_EQ(array[1].toInt64(), 2);
  EXPECT_EQ(array[size_t{0}].toInt64(), 1);
  const JsonValue not_array("ab");
  const JsonValue* targets[] = {&array, &not_array, &JsonValue::Null()};
  for (const JsonValue* target : targets) {
    for (int index : {2, 3, -1}) {
      SCOPED_TRACE(index);
      try {
        (void)(*target)[index];
        ADD_FAILURE() << "no exception";
      } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
      }
    }
  }
  EXPECT_THROW((void)array[size_t{2}], std::out_of_range);
}

TEST(JsonValueTest, WriteByIndexThreeOnNullGivesFourElements) {
  JsonValue value;
  value[3] = JsonValue(9);
  ASSERT_EQ(value.kind(), JsonKind::Array);
  ASSERT_EQ(value.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(value[i].kind(), JsonKind::Null);
  }
  EXPECT_EQ(value[3].toInt64(), 9);
}

TEST(JsonValueTest, WriteByIndexTurnsOtherKindsIntoArraysAndKeepsElements) {
  JsonValue value;
  value["a"] = JsonValue(1);
  value[size_t{0}] = JsonValue("x");
  EXPECT_EQ(value.kind(), JsonKind::Array);
  EXPECT_EQ(value.size(), 1u);
  value[1] = JsonValue(2);
  value[0];
  EXPECT_EQ(value.size(), 2u);
  EXPECT_STREQ(value[0].toCString(), "x");
}

TEST(JsonValueTest, NegativeWriteIndexThrows) {
  JsonValue value;
  EXPECT_THROW(value[-1], std::out_of_range);
}

TEST(JsonValueTest, IndexAndKeyOperatorsAcceptCommonArgumentTypes) {
  JsonValue value;
  int i = 1;
  size_t n = 2;
  value[0] = JsonValue(0);
  value[i] = JsonValue(1);
  value[n] = JsonValue(2);
  const JsonValue& read = value;
  EXPECT_EQ(read[0].toInt64() + read[i].toInt64() + read[n].toInt64(), 3);
  JsonValue object;
  object["k"] = JsonValue(1);
  object[std::string("s")] = JsonValue(2);
  const JsonValue& read_object = object;
  EXPECT_EQ(read_object["k"].toInt64() + read_object[std::string("s")].toInt64(), 3);
}

TEST(JsonValueTest, CopiesAreDeep) {
  JsonValue original;
  original["list"][0] = JsonValue("first");
  original["list"][1]["inner"] = JsonValue(1);
  original["name"] = JsonValue("name");

  JsonValue copy(original);
  copy["list"][0] = JsonValue("changed");
  copy["list"][1]["inner"] = JsonValue(2);
  copy["name"] = JsonValue("other");

  JsonValue assigned;
  assigned = original;
  assigned["list"][1]["inner"] = JsonValue(3);

  const JsonValue& read = original;
  EXPECT_STREQ(read["list"][0].toCString(), "first");
  EXPECT_EQ(read["list"][1]["inner"].toInt64(), 1);
  EXPECT_STREQ(read["name"].toCString(), "name");
  EXPECT_NE(read["name"].toCString(), static_cast<const JsonValue&>(copy)["name"].toCString());
}

TEST(JsonValueTest, SelfAssignmentDoesNothing) {
  JsonValue value;
  value["a"] = JsonValue("text");
  JsonValue& alias = value;
  value = alias;
  EXPECT_STREQ(static_cast<const JsonValue&>(value)["a"].toCString(), "text");
  value = std::move(alias);
  EXPECT_STREQ(static_cast<const JsonValue&>(value)["a"].toCString(), "text");
}

TEST(JsonValueTest, AssigningOwnMemberReplacesTheValue) {
  JsonValue value;
  value["a"]["b"] = JsonValue("deep");
  value = value["a"];
  EXPECT_STREQ(static_cast<const JsonValue&>(value)["b"].toCString(), "deep");

  JsonValue moved;
  moved[0][0] = JsonValue(4);
  moved = std::move(moved[0]);
  EXPECT_EQ(static_cast<const JsonValue&>(moved)[0].toInt64(), 4);
}

TEST(JsonValueTest, MoveLeavesTheSourceNull) {
  JsonValue source("payload");
  JsonValue target(std::move(source));
  EXPECT_EQ(source.kind(), JsonKind::Null);  // NOLINT(bugprone-use-after-move)
  EXPECT_STREQ(target.toCString(), "payload");

  JsonValue other(5);
  other = std::move(target);
  EXPECT_EQ(target.kind(), JsonKind::Null);  // NOLINT(bugprone-use-after-move)
  EXPECT_STREQ(other.toCString(), "payload");
}

TEST(JsonValueTest, ClearMakesNull) {
  JsonValue value;
  value["a"][2] = JsonValue("x");
  value.clear();
  EXPECT_EQ(value.kind(), JsonKind::Null);
  EXPECT_EQ(value.size(), 0u);
}

}  // namespace
