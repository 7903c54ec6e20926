#include "setup/payload_reader.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using test_package::BuildZip;
using test_package::EndRecord;
using test_package::WriteFileBytes;
using test_package::ZipEntry;

// Bytes that deflate barely shrinks, so that the compressed data of a large
// entry spans several of the reader's blocks.
std::string NoisyBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 23);
  }
  return bytes;
}

// Many small entries (their central directory records and local headers lie
// far apart once the archive is large) and entries larger than one read block,
// stored and deflated.
std::vector<ZipEntry> MixedEntries() {
  std::vector<ZipEntry> entries;
  entries.push_back({"big/", "", true});
  entries.push_back({"big/stored.bin", NoisyBytes(700000, 1), false});
  for (int i = 0; i < 300; ++i) {
    const std::string text = "entry " + std::to_string(i) + std::string(i % 37, 'x');
    entries.push_back({"small/" + std::to_string(i) + ".txt", text, i % 2 == 0});
  }
  entries.push_back({"big/deflated.bin", NoisyBytes(900000, 2), true});
  entries.push_back({"big/text.txt", std::string(1500000, 'a'), true});
  entries.push_back({"empty.txt", "", true});
  return entries;
}

// The current entry's name and its whole content, read `chunk` bytes at a time.
bool ReadCurrent(unzFile zip, size_t chunk, std::string& name, std::string& data) {
  char name_buffer[1024] = {};
  unz_file_info64 info = {};
  if (unzGetCurrentFileInfo64(zip, &info, name_buffer, sizeof(name_buffer), nullptr, 0, nullptr,
                              0) != UNZ_OK ||
      unzOpenCurrentFile(zip) != UNZ_OK) {
    return false;
  }
  name = name_buffer;
  data.clear();
  std::vector<char> buffer(chunk);
  int read;
  while ((read = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(chunk))) > 0) {
    data.append(buffer.data(), static_cast<size_t>(read));
  }
  return unzCloseCurrentFile(zip) == UNZ_OK && read == 0;
}

class PayloadReaderTest : public ::testing::Test {
 protected:
  // Writes `lead`, `archive` and `tail` one after the other; returns the path.
  std::wstring WriteHost(const std::string& lead, const std::string& archive,
                         const std::string& tail) {
    const std::wstring path = scratch_.Join(L"host.bin");
    EXPECT_TRUE(WriteFileBytes(path, lead + archive + tail));
    return path;
  }

  ScratchFolder scratch_;
};

// Every entry, in archive order and with several read sizes, comes back with
// its own bytes from an archive that lies between other data. The bytes
// behind the range end in an end record of an empty archive: a reader that
// looked past the range would find no entries.
TEST_F(PayloadReaderTest, ReadsEveryEntryInOrderFromInsideALargerFile) {
  const std::vector<ZipEntry> entries = MixedEntries();
  const std::string archive = BuildZip(entries);
  const std::string lead = NoisyBytes(123457, 3);
  const std::wstring path = WriteHost(lead, archive, "trail" + EndRecord(0, 0, 0));
  for (size_t chunk : {size_t{7}, size_t{16384}, size_t{524288}, size_t{2000000}}) {
    SCOPED_TRACE("read size " + std::to_string(chunk));
    UnzipArchive zip = OpenArchiveInFile(path, lead.size(), archive.size());
    ASSERT_TRUE(zip);
    unz_global_info64 global = {};
    ASSERT_EQ(unzGetGlobalInfo64(zip.get(), &global), UNZ_OK);
    ASSERT_EQ(global.number_entry, entries.size());
    int status = unzGoToFirstFile(zip.get());
    for (const ZipEntry& entry : entries) {
      ASSERT_EQ(status, UNZ_OK) << entry.name;
      std::string name;
      std::string data;
      ASSERT_TRUE(ReadCurrent(zip.get(), chunk, name, data)) << entry.name;
      EXPECT_EQ(name, entry.name);
      EXPECT_TRUE(data == entry.data) << entry.name << ": " << data.size() << " bytes read";
      status = unzGoToNextFile(zip.get());
    }
    EXPECT_EQ(status, UNZ_END_OF_LIST_OF_FILE);
  }
}

// Jumping between entries (last first, then back and forth between the ends)
// reads the same bytes as going through them in order.
TEST_F(PayloadReaderTest, ReadsEntriesOutOfOrder) {
  const std::vector<ZipEntry> entries = MixedEntries();
  const std::string archive = BuildZip(entries);
  const std::wstring path = WriteHost("lead", archive, "");
  UnzipArchive zip = OpenArchiveInFile(path, 4, archive.size());
  ASSERT_TRUE(zip);
  std::vector<size_t> order;
  for (size_t low = 0, high = entries.size() - 1; low <= high; ++low, --high) {
    order.push_back(high);
    if (low != high) order.push_back(low);
  }
  for (size_t index : order) {
    const ZipEntry& entry = entries[index];
    ASSERT_EQ(unzLocateFile(zip.get(), entry.name.c_str(), 1), UNZ_OK) << entry.name;
    std::string name;
    std::string data;
    ASSERT_TRUE(ReadCurrent(zip.get(), 65536, name, data)) << entry.name;
    EXPECT_TRUE(data == entry.data) << entry.name;
  }
}

TEST_F(PayloadReaderTest, RangesThatHoldNoArchiveDoNotOpen) {
  const std::string archive = BuildZip({{"a.txt", "alpha", true}});
  const std::wstring path = WriteHost("0123456789", archive, "");
  const uint64_t size = 10 + archive.size();
  struct Case {
    const char* what;
    uint64_t offset;
    uint64_t length;
  };
  const Case cases[] = {
      {"range one byte past the end of the file", 10, archive.size() + 1},
      {"offset past the end of the file", size + 1, 0},
      {"range without an end record", 0, 10},
      {"empty range", 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(OpenArchiveInFile(path, c.offset, c.length)) << c.what;
  }
  EXPECT_FALSE(OpenArchiveInFile(scratch_.Join(L"missing.bin"), 0, 22)) << "missing file";
  EXPECT_TRUE(OpenArchiveInFile(path, 10, archive.size())) << "the archive itself";
}

TEST_F(PayloadReaderTest, ArchiveWithoutEntriesOpens) {
  const std::string archive = BuildZip({});
  const std::wstring path = WriteHost("lead", archive, "tail");
  UnzipArchive zip = OpenArchiveInFile(path, 4, archive.size());
  ASSERT_TRUE(zip);
  unz_global_info64 global = {};
  ASSERT_EQ(unzGetGlobalInfo64(zip.get(), &global), UNZ_OK);
  EXPECT_EQ(global.number_entry, 0u);
}

}  // namespace
