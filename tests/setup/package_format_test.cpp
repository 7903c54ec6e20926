#include "setup/package_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/uninstaller_image.h"
#include "tests/setup/pe_image_builder.h"

namespace {

constexpr uint32_t kLfanew = 128;
constexpr char kConfig[] = "{\"lastrun\":\"Velto.exe\",\"mode\":1}\n";

// A program image of `size` bytes: "MZ", e_lfanew = 128, "PE\0\0" at 128 when it fits, a byte
// pattern after.
std::string MakeImage(uint32_t size) {
  std::string image(size, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  unsigned char lfanew[4];
  StoreU32(kLfanew, lfanew);
  image.replace(kLfanewOffset, 4, reinterpret_cast<const char*>(lfanew), 4);
  if (size >= kLfanew + 4) image.replace(kLfanew, 4, std::string("PE\0\0", 4));
  for (uint32_t i = kLfanew + 4; i < size; ++i) image[i] = static_cast<char>(i * 7);
  return image;
}

void SetPackageOffset(std::string& image, uint32_t package_offset) {
  unsigned char bytes[4];
  StoreU32(package_offset, bytes);
  image.replace(kLfanew - 4, 4, reinterpret_cast<const char*>(bytes), 4);
}

// A setup package: image of `image_size` bytes, then L, config, Z, archive.
std::string MakePackage(uint32_t image_size, const std::string& config,
                        const std::string& archive) {
  std::string file = MakeImage(image_size);
  SetPackageOffset(file, image_size);
  AppendU32(static_cast<uint32_t>(config.size()), file);
  file += config;
  AppendU32(static_cast<uint32_t>(archive.size()), file);
  file += archive;
  return file;
}

// Fails every read that touches bytes at or after `fail_from`, as a file that shrank or an I/O
// error would.
class FailingSource final : public ByteSource {
 public:
  FailingSource(std::string bytes, uint64_t fail_from)
      : bytes_(std::move(bytes)), inner_(bytes_), fail_from_(fail_from) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
    if (offset + size > fail_from_) return false;
    return inner_.ReadAt(offset, buffer, size);
  }

 private:
  std::string bytes_;
  MemoryByteSource inner_;
  uint64_t fail_from_;
};

class FailingSink final : public ByteSink {
 public:
  bool Write(const void*, size_t) override { return false; }
};

PackageError Load(const std::string& file, JsonValue& config, PackageLocation& location) {
  MemoryByteSource source(file);
  return LoadPackageConfig(source, config, location);
}

PackageError Load(const std::string& file) {
  JsonValue config;
  PackageLocation location;
  return Load(file, config, location);
}

TEST(PackageFormatTest, ReadsConfigAndArchiveOfASetupPackage) {
  const std::string file = MakePackage(1024, kConfig, "PK-archive") + std::string(2, '\0');
  JsonValue config;
  PackageLocation location;
  ASSERT_EQ(Load(file, config, location), PackageError::kNone);
  EXPECT_EQ(location.lfanew, kLfanew);
  EXPECT_EQ(location.package_offset, 1024u);
  EXPECT_EQ(location.file_size, file.size());
  EXPECT_EQ(location.config_length, sizeof kConfig - 1);
  EXPECT_EQ(config["mode"].toInt64(), 1);
  EXPECT_STREQ(config["lastrun"].toCString(), "Velto.exe");

  MemoryByteSource source(file);
  ArchiveRange range;
  ASSERT_EQ(LocatePayloadArchive(source, 1024, location.config_length, range), PackageError::kNone);
  EXPECT_EQ(range.offset, 1024 + 8 + location.config_length);
  EXPECT_EQ(file.substr(range.offset, range.length), "PK-archive");

  std::string archive;
  ASSERT_TRUE(LoadPayloadArchive(file, 1024, location.config_length, archive));
  EXPECT_EQ(archive, "PK-archive");
}

TEST(PackageFormatTest, ConfigTextIsExactlyTheLBytes) {
  const std::string file = MakePackage(512, kConfig, "");
  MemoryByteSource source(file);
  PackageLocation location;
  std::string text;
  ASSERT_EQ(ReadPackageConfigText(source, location, text), PackageError::kNone);
  EXPECT_EQ(text, kConfig);
}

struct BrokenImage {
  const char* name;
  std::string file;
  PackageError expected;
};

std::vector<BrokenImage> BrokenImages() {
  const uint32_t config_length = sizeof kConfig - 1;
  std::vector<BrokenImage> cases;
  cases.push_back({"plain executable, offset 0", MakeImage(1024), PackageError::kZeroOffset});
  cases.push_back({"empty file", "", PackageError::kNoDosHeader});
  cases.push_back(
      {"shorter than the DOS header", MakeImage(1024).substr(0, 63), PackageError::kNoDosHeader});
  {
    std::string file = MakeImage(1024);
    SetPackageOffset(file, 1024);
    cases.push_back({"offset equal to the file size", file, PackageError::kOffsetPastEnd});
    SetPackageOffset(file, 5000);
    cases.push_back({"offset beyond the file size", file, PackageError::kOffsetPastEnd});
  }
  {
    std::string file = MakeImage(64);
    unsigned char lfanew[4];
    StoreU32(0xFFFFFFF0u, lfanew);
    file.replace(kLfanewOffset, 4, reinterpret_cast<const char*>(lfanew), 4);
    cases.push_back({"e_lfanew beyond the file", file, PackageError::kNoOffsetField});
    StoreU32(2, lfanew);
    file.replace(kLfanewOffset, 4, reinterpret_cast<const char*>(lfanew), 4);
    cases.push_back({"e_lfanew below 4", file, PackageError::kNoOffsetField});
  }
  {
    std::string file = MakeImage(1024);
    SetPackageOffset(file, 1024);
    file += std::string("\x05\x00\x00", 3);
    cases.push_back({"three bytes after the offset", file, PackageError::kNoConfigLength});
  }
  {
    std::string file = MakePackage(1024, kConfig, "");
    file.resize(1024 + 4 + config_length - 1);
    cases.push_back({"config one byte past the end", file, PackageError::kConfigPastEnd});
  }
  {
    std::string file = MakeImage(1024);
    SetPackageOffset(file, 1024);
    AppendU32(0xFFFFFFFFu, file);
    file += kConfig;
    cases.push_back({"config length 2^32 - 1", file, PackageError::kConfigPastEnd});
  }
  cases.push_back({"config with a syntax error, archive intact",
                   MakePackage(1024, "{\"mode\" 1}", "PK-archive"), PackageError::kConfigSyntax});
  cases.push_back({"empty config", MakePackage(1024, "", "PK"), PackageError::kConfigSyntax});
  return cases;
}

TEST(PackageFormatTest, EveryBrokenRuleMeansNoPackage) {
  for (const BrokenImage& image : BrokenImages()) {
    SCOPED_TRACE(image.name);
    EXPECT_EQ(Load(image.file), image.expected) << DescribePackageError(Load(image.file));
  }
}

// A file of `size` bytes that holds `head` and then spaces, without storing them; it records the
// largest single read, which is what a reader allocated for.
class SparseSource final : public ByteSource {
 public:
  SparseSource(std::string head, uint64_t size) : head_(std::move(head)), size_(size) {}
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
    if (offset > size_ || size > size_ - offset) return false;
    largest_read_ = std::max(largest_read_, size);
    auto* out = static_cast<char*>(buffer);
    for (size_t i = 0; i < size; ++i) {
      out[i] = offset + i < head_.size() ? head_[offset + i] : ' ';
    }
    return true;
  }
  size_t largest_read() const { return largest_read_; }

 private:
  std::string head_;
  uint64_t size_;
  size_t largest_read_ = 0;
};

// A config length inside a large file but past what a config can be is a damaged package,
// refused before the config is read; the longest config a reader takes still reads.
TEST(PackageFormatTest, ConfigLengthIsBoundedByWhatAConfigCanBe) {
  struct Case {
    uint32_t length;
    PackageError expected;
  };
  const Case cases[] = {
      {kMaxConfigLength, PackageError::kNone},
      {kMaxConfigLength + 1, PackageError::kConfigTooLong},
      {0xFFFFFFF0u, PackageError::kConfigTooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string head = MakeImage(1024);
    SetPackageOffset(head, 1024);
    AppendU32(c.length, head);
    SparseSource file(head, uint64_t{1} << 33);
    PackageLocation location;
    std::string text;
    EXPECT_EQ(ReadPackageConfigText(file, location, text), c.expected);
    const bool taken = c.expected == PackageError::kNone;
    EXPECT_EQ(text.size(), taken ? c.length : 0u);
    EXPECT_EQ(file.largest_read(), taken ? size_t{c.length} : size_t{4});
  }
  EXPECT_STREQ(DescribePackageError(PackageError::kConfigTooLong),
               "the config length L exceeds 64 MiB");
}

TEST(PackageFormatTest, ConfigReachingExactlyTheEndIsAcceptedButLeavesNoArchive) {
  std::string file = MakeImage(1024);
  SetPackageOffset(file, 1024);
  AppendU32(sizeof kConfig - 1, file);
  file += kConfig;
  JsonValue config;
  PackageLocation location;
  ASSERT_EQ(Load(file, config, location), PackageError::kNone);
  EXPECT_EQ(config["mode"].toInt64(), 1);

  MemoryByteSource source(file);
  ArchiveRange range;
  EXPECT_EQ(LocatePayloadArchive(source, 1024, location.config_length, range),
            PackageError::kNoArchiveLength);
  std::string archive = "stale";
  EXPECT_FALSE(LoadPayloadArchive(file, 1024, location.config_length, archive));
  EXPECT_TRUE(archive.empty());
}

TEST(PackageFormatTest, ArchiveBounds) {
  const uint32_t config_length = sizeof kConfig - 1;
  struct Case {
    const char* name;
    std::string file;
    PackageError expected;
    uint32_t length;
  };
  std::string exact = MakePackage(1024, kConfig, "0123456789");
  std::string short_by_one = exact.substr(0, exact.size() - 1);
  std::string huge = MakePackage(1024, kConfig, "");
  StoreU32(0xFFFFFFFFu, reinterpret_cast<unsigned char*>(&huge[1024 + 4 + config_length]));
  std::string empty = MakePackage(1024, kConfig, "");
  std::string two_bytes_of_z =
      MakePackage(1024, kConfig, "").substr(0, 1024 + 4 + config_length + 2);
  const Case cases[] = {
      {"archive reaching exactly the end", exact, PackageError::kNone, 10},
      {"archive one byte past the end", short_by_one, PackageError::kArchivePastEnd, 0},
      {"archive length 2^32 - 1", huge, PackageError::kArchivePastEnd, 0},
      {"empty archive", empty, PackageError::kNone, 0},
      {"two bytes of the archive length", two_bytes_of_z, PackageError::kNoArchiveLength, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryByteSource source(c.file);
    ArchiveRange range;
    EXPECT_EQ(LocatePayloadArchive(source, 1024, config_length, range), c.expected);
    EXPECT_EQ(range.length, c.length);
  }
}

TEST(PackageFormatTest, ArchiveOfAConfigPastTheEndIsRefused) {
  const std::string file = MakePackage(1024, kConfig, "PK");
  MemoryByteSource source(file);
  ArchiveRange range;
  EXPECT_EQ(LocatePayloadArchive(source, 1024, 0xFFFFFFF0u, range), PackageError::kConfigPastEnd);
  EXPECT_EQ(LocatePayloadArchive(source, 0, 10, range), PackageError::kZeroOffset);
  EXPECT_EQ(LocatePayloadArchive(source, static_cast<uint32_t>(file.size()), 10, range),
            PackageError::kOffsetPastEnd);
}

TEST(PackageFormatTest, ShortReadsMeanNoPackage) {
  const std::string file = MakePackage(1024, kConfig, "PK-archive");
  const uint32_t config_length = sizeof kConfig - 1;
  struct Case {
    const char* name;
    uint64_t fail_from;
  };
  const Case cases[] = {
      {"DOS header", 10},
      {"package offset", kLfanew - 2},
      {"config length", 1026},
      {"config text", 1024 + 4 + 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FailingSource source(file, c.fail_from);
    JsonValue config;
    PackageLocation location;
    EXPECT_EQ(LoadPackageConfig(source, config, location), PackageError::kReadFailed);
  }
  FailingSource source(file, 1024 + 4 + config_length + 2);
  ArchiveRange range;
  EXPECT_EQ(LocatePayloadArchive(source, 1024, config_length, range), PackageError::kReadFailed);
}

TEST(PackageFormatTest, ConfigEndsAtItsFirstZeroByte) {
  const std::string config = std::string("{\"mode\":0}\n") + '\0' + "not JSON";
  JsonValue value;
  PackageLocation location;
  ASSERT_EQ(Load(MakePackage(1024, config, ""), value, location), PackageError::kNone);
  EXPECT_EQ(value["mode"].toInt64(), 0);
  EXPECT_EQ(location.config_length, config.size());
}

JsonValue UninstallerConfig() {
  JsonValue config;
  config["mode"] = 0;
  config["files"][0] = JsonValue(Base64EncodeBytes("C:\\Program Files\\Velto\\使用说明.txt"));
  config["folders"][0] = JsonValue(Base64EncodeBytes("C:\\Program Files\\Velto"));
  config["setup"]["root"] = JsonValue(Base64EncodeBytes("C:\\Program Files\\Velto"));
  return config;
}

TEST(PackageFormatTest, UninstallerCopyIsImagePlusConfigOnly) {
  // An image larger than one copy chunk, so the streaming copy takes several reads.
  const uint32_t image_size = 200 * 1024 + 3;
  const std::string setup = MakePackage(image_size, kConfig, std::string(5000, 'Z'));
  const JsonValue config = UninstallerConfig();
  const std::string text = FormatPackageConfig(config);

  std::string copy;
  ASSERT_TRUE(BuildUninstallerCopy(setup, image_size, config, copy));
  ASSERT_EQ(copy.size(), image_size + 4 + text.size());
  EXPECT_EQ(copy.compare(0, image_size, setup, 0, image_size), 0);
  EXPECT_EQ(copy.substr(image_size + 4), text);

  JsonValue read_back;
  PackageLocation location;
  ASSERT_EQ(Load(copy, read_back, location), PackageError::kNone);
  EXPECT_EQ(location.package_offset, image_size);
  EXPECT_EQ(location.config_length, text.size());
  EXPECT_EQ(FormatPackageConfig(read_back), text);
  MemoryByteSource source(copy);
  ArchiveRange range;
  EXPECT_EQ(LocatePayloadArchive(source, image_size, location.config_length, range),
            PackageError::kNoArchiveLength);
}

TEST(PackageFormatTest, ChinesePathSurvivesTheCopyAsAsciiBase64) {
  const std::string path = "C:\\Program Files\\Velto\\使用说明.txt";
  std::string copy;
  ASSERT_TRUE(
      BuildUninstallerCopy(MakePackage(1024, kConfig, "PK"), 1024, UninstallerConfig(), copy));
  const std::string text = copy.substr(1024 + 4);
  for (unsigned char c : text) EXPECT_LT(c, 0x80) << "config text is not ASCII";

  JsonValue read_back;
  PackageLocation location;
  ASSERT_EQ(Load(copy, read_back, location), PackageError::kNone);
  ASSERT_EQ(read_back["files"].size(), 1u);
  EXPECT_EQ(Base64DecodeText(read_back["files"][0].toCString()), path);
}

TEST(PackageFormatTest, UninstallerCopyFailures) {
  const std::string setup = MakePackage(1024, kConfig, "PK");
  const JsonValue config = UninstallerConfig();
  std::string copy = "stale";
  EXPECT_FALSE(BuildUninstallerCopy(setup, 0, config, copy));
  EXPECT_TRUE(copy.empty());
  EXPECT_FALSE(BuildUninstallerCopy(setup, static_cast<uint32_t>(setup.size() + 1), config, copy));
  EXPECT_TRUE(copy.empty());

  FailingSource failing(setup, 512);
  std::string partial;
  StringByteSink sink(partial);
  EXPECT_FALSE(WriteUninstallerCopy(failing, 1024, config, sink));

  MemoryByteSource source(setup);
  FailingSink failing_sink;
  EXPECT_FALSE(WriteUninstallerCopy(source, 1024, config, failing_sink));
}

TEST(PackageFormatTest, CopyOfAWholeFileAsImageIsAllowed) {
  // P equal to the source size: the whole source is the image (a stub without package yet).
  const std::string image = MakeImage(300);
  std::string copy;
  ASSERT_TRUE(BuildUninstallerCopy(image, 300, UninstallerConfig(), copy));
  EXPECT_EQ(copy.substr(0, 300), image);
}

// A signed setup: its image names the certificate table behind the package. The copy must be a
// valid unsigned image, so that entry (and the CheckSum over the signed file) is zeroed; the rest
// of the image is unchanged. An unsigned setup's copy keeps every byte.
TEST(PackageFormatTest, UninstallerCopyOfASignedSetupClearsItsCertificateTableEntry) {
  for (const bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    pe_test::PeShape shape;
    shape.plus = plus;
    std::string unsigned_setup = pe_test::MakePeImage(shape);
    SetPackageOffset(unsigned_setup, shape.size);
    AppendU32(sizeof kConfig - 1, unsigned_setup);
    unsigned_setup += kConfig;
    AppendU32(2, unsigned_setup);
    unsigned_setup += "PK";
    shape.security_offset = static_cast<uint32_t>(unsigned_setup.size());
    shape.security_size = 0x50;
    std::string signed_setup = pe_test::MakePeImage(shape);
    signed_setup += unsigned_setup.substr(shape.size) + std::string(0x50, 'S');
    SetPackageOffset(signed_setup, shape.size);

    std::string copy;
    ASSERT_TRUE(BuildUninstallerCopy(signed_setup, shape.size, UninstallerConfig(), copy));
    std::string expected_image = signed_setup.substr(0, shape.size);
    expected_image.replace(pe_test::SecurityEntry(shape), 8, 8, '\0');
    expected_image.replace(pe_test::ChecksumField(), 4, 4, '\0');
    EXPECT_EQ(copy.substr(0, shape.size), expected_image);

    ASSERT_TRUE(BuildUninstallerCopy(unsigned_setup, shape.size, UninstallerConfig(), copy));
    EXPECT_EQ(copy.substr(0, shape.size), unsigned_setup.substr(0, shape.size));
  }
}

// The signed uninstaller's image: the setup's program image with the fixed config that sends
// every reader to the record file beside it; a setup config carries it as Base64.
TEST(PackageFormatTest, RecordBesideImageIsTheProgramImageWithTheFixedConfig) {
  const std::string setup = MakePackage(2048, kConfig, "PK");
  std::string image;
  ASSERT_TRUE(BuildRecordBesideImage(setup, 2048, image));
  EXPECT_EQ(image.substr(0, 2048), setup.substr(0, 2048));
  const std::string text = "{\"mode\":0,\"record\":\"beside\"}\n";
  ASSERT_EQ(image.size(), 2048 + 4 + text.size());
  EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(image.data()) + 2048), text.size());
  EXPECT_EQ(image.substr(2048 + 4), text);
  EXPECT_FALSE(BuildRecordBesideImage(setup, static_cast<uint32_t>(setup.size()) + 1, image));

  JsonValue config;
  config["mode"] = 1;
  EXPECT_FALSE(SignedUninstallerImage(config, image)) << "no member";
  ASSERT_TRUE(BuildRecordBesideImage(setup, 2048, image));
  config[kSignedUninstallerMember] = JsonValue(Base64EncodeBytes(image + "signature"));
  std::string decoded;
  ASSERT_TRUE(SignedUninstallerImage(config, decoded));
  EXPECT_EQ(decoded, image + "signature");

  std::string other;
  ASSERT_TRUE(BuildUninstallerCopy(setup, 2048, UninstallerConfig(), other));
  const std::pair<const char*, JsonValue> refused[] = {
      {"not Base64 of a package", JsonValue("AAAA")},
      {"an uninstaller with its record inside", JsonValue(Base64EncodeBytes(other))},
      {"no text", JsonValue(JsonKind::Array)},
  };
  for (const auto& [label, member] : refused) {
    SCOPED_TRACE(label);
    config[kSignedUninstallerMember] = member;
    EXPECT_FALSE(SignedUninstallerImage(config, decoded));
    EXPECT_EQ(decoded, "");
  }
}

TEST(PackageFormatTest, OnlyAModeZeroConfigWithRecordBesideNamesTheRecordFile) {
  const struct {
    const char* text;
    bool beside;
  } cases[] = {
      {"{\"mode\":0,\"record\":\"beside\"}", true},
      {"{\"mode\":\"0\",\"record\":\"beside\",\"files\":[]}", true},
      {"{\"mode\":1,\"record\":\"beside\"}", false},
      {"{\"record\":\"beside\"}", false},
      {"{\"mode\":0,\"record\":\"inside\"}", false},
      {"{\"mode\":0,\"record\":true}", false},
      {"{\"mode\":0}", false},
      {"[0]", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    JsonValue config;
    ASSERT_TRUE(ParsePackageConfigText(c.text, config));
    EXPECT_EQ(NamesRecordBeside(config), c.beside);
  }
  EXPECT_TRUE(NamesRecordBeside(RecordBesideConfig()));
}

TEST(PackageFormatTest, TheRecordFileTakesTheUninstallersNameWithDat) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\Program Files\\Velto\\unins000.exe", L"C:\\Program Files\\Velto\\unins000.dat"},
      {L"C:\\Velto\\unins012.EXE", L"C:\\Velto\\unins012.dat"},
      {L"C:\\Velto\\waiting", L"C:\\Velto\\waiting.dat"},
      {L"exe", L"exe.dat"},
  };
  for (const auto& [uninstaller, record] : cases) EXPECT_EQ(RecordPathBeside(uninstaller), record);
  EXPECT_EQ(RecordPathBeside(L"X:\\unins000.exe"),
            std::wstring(L"X:\\") + kUninstallerRecordFileName);
}

TEST(PackageFormatTest, LittleEndianIntegers) {
  std::string out;
  AppendU32(0x65000u, out);
  EXPECT_EQ(out, std::string("\x00\x50\x06\x00", 4));
  EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>("\xE4\x24\x00\x00")), 9444u);
}

}  // namespace
