// Memory use of an installation does not grow with the package: a package of
// more than 1 GiB (stored, incompressible entries) installs while the peak
// working set of the process stays far below the package size.
// The test writes and extracts about 2.2 GiB in its scratch folder (about
// 10 s under Wine).
// psapi.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/package_format.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;

constexpr size_t kChunk = 1 << 20;

// Deterministic, incompressible content of entry `seed`, made chunk by chunk
// so that no entry is ever held in memory.
class ContentStream {
 public:
  explicit ContentStream(uint32_t seed) : state_(seed * 2654435761u + 1) {}
  void Fill(std::string& chunk) {
    auto* words = reinterpret_cast<uint32_t*>(&chunk[0]);
    for (size_t i = 0; i < chunk.size() / 4; ++i) {
      state_ ^= state_ << 13;
      state_ ^= state_ >> 17;
      state_ ^= state_ << 5;
      words[i] = state_;
    }
  }

 private:
  uint32_t state_;
};

uint32_t ContentCrc(uint32_t seed, uint64_t size) {
  ContentStream stream(seed);
  std::string chunk(kChunk, '\0');
  uLong crc = crc32(0, nullptr, 0);
  for (uint64_t done = 0; done < size; done += kChunk) {
    stream.Fill(chunk);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()), kChunk);
  }
  return static_cast<uint32_t>(crc);
}

// Writes a setup package whose archive holds `count` stored entries of
// `size` bytes each (a multiple of kChunk), streaming every byte to disk.
bool WriteLargePackage(const std::wstring& path, uint32_t count, uint32_t size) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  std::vector<test_package::HeaderFields> headers;
  std::vector<uint32_t> offsets;
  uint32_t archive_size = 0;
  for (uint32_t i = 0; i < count; ++i) {
    headers.push_back({"part" + std::to_string(i) + ".bin", 0, ContentCrc(i, size), size, size});
    offsets.push_back(archive_size);
    archive_size += static_cast<uint32_t>(test_package::LocalHeader(headers.back()).size()) + size;
  }
  std::string directory;
  for (uint32_t i = 0; i < count; ++i)
    directory += test_package::CentralHeader(headers[i], offsets[i]);
  const std::string end =
      test_package::EndRecord(count, static_cast<uint32_t>(directory.size()), archive_size);
  archive_size += static_cast<uint32_t>(directory.size() + end.size());

  std::string head = test_package::StubImage();
  const std::string config = SetupConfigText(L"part0.bin", ShortcutLists({}, {}));
  AppendU32(static_cast<uint32_t>(config.size()), head);
  head += config;
  AppendU32(archive_size, head);
  bool ok = fwrite(head.data(), 1, head.size(), file) == head.size();
  std::string chunk(kChunk, '\0');
  for (uint32_t i = 0; ok && i < count; ++i) {
    const std::string local = test_package::LocalHeader(headers[i]);
    ok = fwrite(local.data(), 1, local.size(), file) == local.size();
    ContentStream stream(i);
    for (uint32_t done = 0; ok && done < size; done += kChunk) {
      stream.Fill(chunk);
      ok = fwrite(chunk.data(), 1, kChunk, file) == kChunk;
    }
  }
  const std::string tail = directory + end;
  ok = ok && fwrite(tail.data(), 1, tail.size(), file) == tail.size();
  return fclose(file) == 0 && ok;
}

uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PeakWorkingSetSize;
}

void InstallLargePackage(uint32_t count, uint32_t size) {
  ScratchFolder scratch;
  ProductPlaces places;
  ASSERT_FALSE(scratch.path().empty());
  const std::wstring package = scratch.Join(L"setup.exe");
  const std::wstring folder = scratch.Join(L"install");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(WriteLargePackage(package, count, size));
  const uint64_t package_size = FileSize(package);
  const size_t peak_before = PeakWorkingSet();

  RecordingSink sink(folder, false, false, false);
  ASSERT_TRUE(RunInstallFromPackage(package, sink));
  const size_t peak_after = PeakWorkingSet();

  for (uint32_t i = 0; i < count; ++i) {
    EXPECT_EQ(size, FileSize(folder + L"\\part" + std::to_wstring(i) + L".bin"));
  }
  std::printf("package %.1f MiB; peak working set before install %.1f MiB, after %.1f MiB\n",
              package_size / 1048576.0, peak_before / 1048576.0, peak_after / 1048576.0);
  EXPECT_LT(peak_after, size_t{64} << 20);
  EXPECT_LT(peak_after, package_size / 4);
}

TEST(LargeInstallTest, PeakWorkingSetStaysSmallForAPackageOfMoreThan1GiB) {
  InstallLargePackage(5, 220u << 20);
}

}  // namespace
