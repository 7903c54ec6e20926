// The space figures of the setup's messages, on every tree.
#include "setup/space_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kGiB = kMiB * 1024;

TEST(SpaceTextTest, UnitsDecimalsAndRounding) {
  const struct {
    uint64_t bytes;
    SpaceRounding rounding;
    const wchar_t* text;
  } rows[] = {
      {0, SpaceRounding::kUp, L"0 KB"},
      {1, SpaceRounding::kUp, L"1 KB"},
      {1, SpaceRounding::kDown, L"0 KB"},
      {1536, SpaceRounding::kDown, L"1 KB"},
      {1536, SpaceRounding::kUp, L"2 KB"},
      {kMiB - 1, SpaceRounding::kUp, L"1024 KB"},
      {kMiB - 1, SpaceRounding::kDown, L"1023 KB"},
      {kMiB, SpaceRounding::kUp, L"1.0 MB"},
      {16 * kMiB, SpaceRounding::kDown, L"16.0 MB"},
      {16 * kMiB + 1, SpaceRounding::kUp, L"16.1 MB"},
      {16 * kMiB + 1, SpaceRounding::kDown, L"16.0 MB"},
      {16 * kMiB - 1, SpaceRounding::kUp, L"16.0 MB"},
      {16 * kMiB - 1, SpaceRounding::kDown, L"15.9 MB"},
      {kMiB * 125 / 10, SpaceRounding::kDown, L"12.5 MB"},
      {kGiB - 1, SpaceRounding::kUp, L"1024.0 MB"},
      {kGiB, SpaceRounding::kDown, L"1.00 GB"},
      {kGiB + kGiB / 4, SpaceRounding::kUp, L"1.25 GB"},
      {kGiB + 1, SpaceRounding::kUp, L"1.01 GB"},
      {2 * kGiB - 1, SpaceRounding::kUp, L"2.00 GB"},
      {2 * kGiB - 1, SpaceRounding::kDown, L"1.99 GB"},
      {3000 * kGiB + kGiB * 3 / 4, SpaceRounding::kDown, L"3000.75 GB"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(SpaceText(row.bytes, row.rounding), row.text) << row.bytes;
  }
}

}  // namespace
