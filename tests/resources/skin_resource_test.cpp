// The skin container embedded by brindle_skin_resource: the program finds it as resource type
// "UIR", id 129, packed, and unpacked its bytes have the container's layout with the six
// shipped records (three sheets, three fonts).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ui/framework/packed_skin.h"

namespace {

uint32_t ReadU32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);  // little-endian, as x86 is
  return value;
}

// The resource's bytes, or empty when it cannot be found or loaded.
std::string EmbeddedSkin() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(129), L"UIR");
  if (info == nullptr) {
    return {};
  }
  HGLOBAL handle = LoadResource(module, info);
  const void* data = handle == nullptr ? nullptr : LockResource(handle);
  if (data == nullptr) {
    return {};
  }
  return std::string(static_cast<const char*>(data), SizeofResource(module, info));
}

TEST(SkinResource, IsEmbeddedAsUir129) {
  std::string bytes = EmbeddedSkin();
  ASSERT_GE(bytes.size(), 12u) << "resource UIR 129 missing or empty";
  EXPECT_EQ(bytes.substr(0, 4), ".uiz");
  ASSERT_TRUE(UnpackSkinContainer(bytes));
  EXPECT_EQ(bytes.substr(0, 4), ".uir");

  const uint32_t text_length = ReadU32(bytes, 4);
  ASSERT_LE(size_t{text_length} + 12, bytes.size());
  EXPECT_EQ(bytes.substr(8 + text_length - 2, 2), std::string("\n\0", 2));

  size_t offset = 8 + size_t{text_length};
  const uint32_t count = ReadU32(bytes, offset);
  offset += 4;
  std::vector<uint32_t> ids;
  for (uint32_t i = 0; i < count && offset + 8 <= bytes.size(); ++i) {
    ids.push_back(ReadU32(bytes, offset));
    offset += 8 + size_t{ReadU32(bytes, offset + 4)};
  }
  EXPECT_EQ(ids, (std::vector<uint32_t>{100, 101, 103, 105}));
  EXPECT_EQ(offset, bytes.size()) << "the records end exactly at the end of the resource";
}

}  // namespace
