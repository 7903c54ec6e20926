#include "setup/write_behind.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "setup/file_utils.h"
#include "tests/setup/scratch_folder.h"

namespace {

HANDLE Create(const std::wstring& path, DWORD access) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Hands `content` over for `file` through the writer's spaces, as the engine does, in pieces of
// at most `piece` bytes.
void HandOver(WriteBehind& writer, HANDLE file, const std::string& content, size_t piece,
              size_t tag) {
  for (size_t done = 0; done < content.size();) {
    DWORD space = 0;
    char* buffer = writer.Space(space);
    const size_t count = std::min<size_t>({space, piece, content.size() - done});
    content.copy(buffer, count, done);
    writer.Write(file, static_cast<DWORD>(count), tag);
    done += count;
  }
  writer.Close(file, tag);
}

// Whether nothing holds `path` open any more: it opens without sharing.
bool IsClosed(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

// Files empty, small and larger than all the writer's blocks together, many of them sharing a
// block: each ends up with exactly its bytes, in order, and closed.
TEST(WriteBehindTest, EveryFileHandedOverIsWrittenWholeInOrderAndClosed) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  std::vector<std::string> contents;
  for (size_t size : {0u, 1u, 656u, 8191u, 8193u, 131072u, 1500000u}) {
    for (int copy = 0; copy < (size > 200000 ? 3 : 40); ++copy) {
      std::string content(size, '\0');
      for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>('a' + (i * 7 + copy) % 26);
      contents.push_back(content);
    }
  }
  {
    WriteBehind writer;
    for (size_t i = 0; i < contents.size(); ++i) {
      HANDLE file = Create(folder.Join(std::to_wstring(i)), GENERIC_WRITE);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      HandOver(writer, file, contents[i], i % 2 == 0 ? 100000 : 3000, i);
    }
    size_t tag = 99;
    EXPECT_EQ(writer.Finish(tag), static_cast<DWORD>(ERROR_SUCCESS));
    for (size_t i = 0; i < contents.size(); ++i) {
      const std::wstring path = folder.Join(std::to_wstring(i));
      ASSERT_TRUE(IsClosed(path)) << i;
      std::string bytes;
      ASSERT_TRUE(ReadWholeFile(path, bytes)) << i;
      ASSERT_EQ(bytes, contents[i]) << i;
    }
  }
}

// A write that fails is reported with its file's tag, and once at most: later files get no data,
// but every file handed over is closed.
TEST(WriteBehindTest, TheFirstFailedWriteIsKeptAndEveryFileIsStillClosed) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string content(20000, 'x');
  WriteBehind writer;
  for (size_t i = 0; i < 600; ++i) {
    const DWORD access = i == 300 || i == 400 ? GENERIC_READ : GENERIC_WRITE;
    HANDLE file = Create(folder.Join(std::to_wstring(i)), access);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HandOver(writer, file, content, content.size(), i);
  }
  size_t tag = 0;
  EXPECT_EQ(writer.Finish(tag), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(tag, 300u);
  for (size_t i = 0; i < 600; ++i) {
    const std::wstring path = folder.Join(std::to_wstring(i));
    ASSERT_TRUE(IsClosed(path)) << i;
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    ASSERT_EQ(bytes, i < 300 ? content : std::string()) << i;
  }
}

}  // namespace
