#include "setup/scratch_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ScratchPoolTest, KeptStringsKeepAddressAndContentWhilePoolGrows) {
  ScratchPool pool;
  std::vector<const char*> narrow;
  std::vector<const wchar_t*> wide;
  // Short strings fit the small-string buffer: a pool that stored them by
  // value would move them as it grows.
  for (int i = 0; i < 200; ++i) {
    narrow.push_back(pool.Keep(std::to_string(i)));
    wide.push_back(pool.Keep(std::to_wstring(i)));
  }
  EXPECT_EQ(pool.Count(), 400u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(narrow[i], std::to_string(i));
    EXPECT_EQ(wide[i], std::to_wstring(i));
  }
}

TEST(ScratchPoolTest, MovedPoolKeepsStringsAtTheirAddresses) {
  ScratchPool pool;
  const char* kept = pool.Keep(std::string("kept"));
  const wchar_t* wide = pool.Keep(std::wstring(L"wide"));
  ScratchPool moved(std::move(pool));
  EXPECT_STREQ(kept, "kept");
  EXPECT_STREQ(wide, L"wide");
  EXPECT_EQ(moved.Count(), 2u);
}

TEST(ScratchPoolTest, ReleaseEmptiesPoolWhichStaysUsable) {
  ScratchPool pool;
  pool.Keep(std::string("a"));
  pool.Keep(std::wstring(L"b"));
  pool.Release();
  EXPECT_EQ(pool.Count(), 0u);
  EXPECT_STREQ(pool.Keep(std::string("again")), "again");
  EXPECT_EQ(pool.Count(), 1u);
}

TEST(ScratchPoolTest, KeepsEmbeddedZerosAndEmptyStrings) {
  ScratchPool pool;
  EXPECT_STREQ(pool.Keep(std::string("ab\0cd", 5)), "ab");
  EXPECT_STREQ(pool.Keep(std::string()), "");
  EXPECT_EQ(pool.Count(), 2u);
}

}  // namespace
