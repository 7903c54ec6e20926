// Runs the brindle-pack program as a release engineer would and checks its output files,
// messages and exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/base64.h"
#include "setup/package_format.h"
#include "setup/product_identity.h"
#include "tests/tools/tool_test_support.h"
#include "tools/icon_file.h"
#include "tools/pe_resources.h"
#include "tools/pe_stub.h"
#include "tools/zip_listing.h"

namespace {

constexpr char kLicence[] = "Velto 许可协议\nLicence agreement\n";

class BrindlePackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    WriteFile(Stub(), MakeSetupStub());
    WriteFile(Licence(), kLicence);
    WriteFile(Payload() + "/Velto.exe", MakeStub());
    WriteFile(Payload() + "/docs/使用说明.txt", "说明\n");
    WriteFile(Payload() + "/data/themes/dark.ini", std::string(4000, 'd'));
    ASSERT_EQ(mkdir((Payload() + "/empty").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(folder_.Join("out").c_str(), 0755), 0);
  }

  std::string Stub() const { return folder_.Join("stub.exe"); }
  std::string Licence() const { return folder_.Join("licence.txt"); }
  std::string Payload() const { return folder_.Join("payload"); }
  std::string Output() const { return folder_.Join("out/VeltoSetup.exe"); }

  std::vector<std::string> PackArguments() const {
    return {"pack",
            "--stub",
            Stub(),
            "--payload",
            Payload(),
            "--licence",
            Licence(),
            "--lastrun",
            "Velto.exe",
            "--desktop",
            "Velto=Velto.exe",
            "--taskbar",
            "Velto=Velto.exe",
            "--output",
            Output()};
  }

  // PackArguments with the value of `option` replaced.
  std::vector<std::string> With(const std::string& option, const std::string& value) const {
    std::vector<std::string> arguments = PackArguments();
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
      if (arguments[i] == option) arguments[i + 1] = value;
    }
    return arguments;
  }

  TempFolder folder_;
};

// The CheckSum field of a packed file holds the checksum of the whole file.
void ExpectChecksum(const std::string& file) {
  ASSERT_GT(file.size(), 64u);
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&file[60]));
  const uint64_t field = ChecksumFieldOffset(lfanew);
  PeChecksum checksum(field);
  checksum.Add(file.data(), file.size());
  EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(&file[field])), checksum.Value());
}

TEST_F(BrindlePackTest, PacksTheLayoutAndInspectReadsItBack) {
  const ToolResult pack = RunBrindlePack(PackArguments());
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  EXPECT_EQ(pack.err, "");
  EXPECT_NE(pack.out.find("packed 3 files in 7 entries"), std::string::npos) << pack.out;

  const std::string stub = ReadFile(Stub());
  const std::string file = ReadFile(Output());
  std::string image = file.substr(0, stub.size());
  EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(&image[124])), stub.size());
  image.replace(124, 4, std::string(4, '\0'));
  ExpectChecksum(file);
  image.replace(ChecksumFieldOffset(128), 4, stub.substr(ChecksumFieldOffset(128), 4));
  EXPECT_EQ(image, stub) << "only the package offset and the CheckSum may change in the image";

  MemoryByteSource source(file);
  JsonValue config;
  PackageLocation location;
  ASSERT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
  EXPECT_EQ(file.substr(stub.size() + 4, location.config_length), FormatPackageConfig(config))
      << "config not stored in the writer's compact form";
  EXPECT_EQ(config["mode"].toInt64(), 1);
  EXPECT_STREQ(config["lastrun"].toCString(), "Velto.exe");
  EXPECT_EQ(Base64DecodeText(config["protocol"].toCString()),
            "Velto 许可协议\r\nLicence agreement\r\n");
  for (const char* list : {"desktop", "taskbar"}) {
    ASSERT_EQ(config["shortcut"][list].size(), 1u) << list;
    EXPECT_STREQ(config["shortcut"][list][0]["name"].toCString(), "Velto");
    EXPECT_STREQ(config["shortcut"][list][0]["file"].toCString(), "Velto.exe");
  }

  ArchiveRange range;
  ASSERT_EQ(LocatePayloadArchive(source, location.package_offset, location.config_length, range),
            PackageError::kNone);
  EXPECT_EQ(range.offset + range.length, file.size());
  std::vector<ZipEntryInfo> entries;
  std::string problem;
  ASSERT_TRUE(ListZipArchive(Output(), range.offset, range.length, true, entries, problem))
      << problem;
  std::vector<std::string> names;
  for (const ZipEntryInfo& entry : entries) names.push_back(entry.name);
  const std::vector<std::string> expected = {
      "Velto.exe",         "data/", "data/themes/", "data/themes/dark.ini", "docs/",
      "docs/使用说明.txt", "empty/"};
  EXPECT_EQ(names, expected);

  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  ASSERT_EQ(inspect.exit_code, 0) << inspect.err;
  for (const std::string& line :
       {std::string("architecture:    x86 (machine 0x14C)\n"),
        std::string("package offset:  1024 (0x400), stored at byte 124\n"),
        "config:          " + FormatPackageConfig(config),
        std::string("kind:            setup package (mode 1)\n"),
        std::string("first line \"Velto 许可协议\""), std::string("7 entries (4 folders, 3 files)"),
        std::string("docs/使用说明.txt"), std::string("archive check:   every entry inflates"),
        std::string("trailing bytes:  0\n")}) {
    EXPECT_NE(inspect.out.find(line), std::string::npos) << line << "\n" << inspect.out;
  }
}

TEST_F(BrindlePackTest, PacksAnX64StubUnderTheSameLayout) {
  StubShape x64;
  x64.machine = 0x8664;
  x64.magic = 0x20B;
  WriteFile(Stub(), MakeSetupStub(x64));
  const ToolResult pack = RunBrindlePack(PackArguments());
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  const std::string file = ReadFile(Output());
  EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(&file[124])), 0x400u);
  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  ASSERT_EQ(inspect.exit_code, 0) << inspect.err;
  EXPECT_NE(inspect.out.find("architecture:    x64 (machine 0x8664)\n"), std::string::npos)
      << inspect.out;
}

// The product version: --product-version, else the --lastrun program's version resource, else
// none (the config then has no "version" member, as packages made before it).
TEST_F(BrindlePackTest, ProductVersionFromTheOptionOrTheLastrunProgram) {
  struct Case {
    const char* label;
    std::string program;
    std::vector<std::string> extra;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"no version resource", MakeStub(), {}, ""},
      {"version resource", MakeVersionedProgram("1.2.0", {1, 2, 0, 0}), {}, "1.2.0"},
      {"option wins",
       MakeVersionedProgram("1.2.0", {1, 2, 0, 0}),
       {"--product-version", "2.0 测试版"},
       "2.0 测试版"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WriteFile(Payload() + "/Velto.exe", c.program);
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const ToolResult pack = RunBrindlePack(arguments);
    ASSERT_EQ(pack.exit_code, 0) << pack.err;
    const std::string file = ReadFile(Output());
    MemoryByteSource source(file);
    JsonValue config;
    PackageLocation location;
    ASSERT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
    EXPECT_EQ(config.hasMember("version"), !c.expected.empty());
    EXPECT_EQ(std::string(config["version"].toCString()), c.expected);
    const ToolResult inspect = RunBrindlePack({"inspect", Output()});
    EXPECT_NE(inspect.out.find("version:         " +
                               (c.expected.empty() ? std::string("none") : c.expected)),
              std::string::npos)
        << inspect.out;
  }
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(), {"--product-version", "1.0\nsecond line"});
  const ToolResult refused = RunBrindlePack(arguments);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.err.find("is not one line of UTF-8 text"), std::string::npos) << refused.err;
}

TEST_F(BrindlePackTest, SameInputsGiveTheSameBytes) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  const std::string first = ReadFile(Output());
  // Times, permissions and the order in which files were created must not matter.
  ASSERT_EQ(truncate(Output().c_str(), 0), 0);
  const std::string dark = ReadFile(Payload() + "/data/themes/dark.ini");
  ASSERT_EQ(unlink((Payload() + "/data/themes/dark.ini").c_str()), 0);
  WriteFile(Payload() + "/data/themes/dark.ini", dark);
  ASSERT_EQ(chmod((Payload() + "/Velto.exe").c_str(), 0600), 0);
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  EXPECT_EQ(ReadFile(Output()), first);
}

TEST_F(BrindlePackTest, InspectsAnUninstallerCopy) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  JsonValue config;
  config["mode"] = 0;
  config["files"][0] = JsonValue(Base64EncodeBytes("C:\\Program Files\\Velto\\使用说明.txt"));
  config["setup"]["root"] = JsonValue(Base64EncodeBytes("C:\\Program Files\\Velto"));
  std::string copy;
  ASSERT_TRUE(BuildUninstallerCopy(ReadFile(Output()), 1024, config, copy));
  WriteFile(folder_.Join("unins000.exe"), copy);

  const ToolResult inspect = RunBrindlePack({"inspect", folder_.Join("unins000.exe")});
  ASSERT_EQ(inspect.exit_code, 0) << inspect.err;
  EXPECT_NE(inspect.out.find("kind:            uninstaller copy (mode 0)"), std::string::npos);
  EXPECT_NE(inspect.out.find("install folder:  C:\\Program Files\\Velto\n"), std::string::npos);
  EXPECT_NE(inspect.out.find("  C:\\Program Files\\Velto\\使用说明.txt\n"), std::string::npos)
      << inspect.out;
}

TEST_F(BrindlePackTest, InspectNamesTheBrokenRule) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  const std::string good = ReadFile(Output());
  std::string bad_json = good;
  bad_json[1024 + 4] = '[';  // the config's opening brace
  struct Case {
    const char* name;
    std::string bytes;
    const char* rule;
  };
  const Case cases[] = {
      {"plain stub", MakeStub(), "the package offset at e_lfanew - 4 is 0"},
      {"archive cut short", good.substr(0, good.size() - 1),
       "the archive reaches past the end of the file (8 + L + Z > file size - P): 8 + L + Z = "},
      {"config cut short", good.substr(0, 1024 + 10),
       "the config reaches past the end of the file (4 + L > file size - P): 4 + L = "},
      {"config syntax", bad_json, "the package config is not valid JSON: "},
      {"tiny file", "MZ", "the file is shorter than the 64-byte DOS header"},
  };
  for (const Case& c : cases) {
    WriteFile(folder_.Join("broken.exe"), c.bytes);
    const ToolResult inspect = RunBrindlePack({"inspect", folder_.Join("broken.exe")});
    EXPECT_EQ(inspect.exit_code, 1) << c.name;
    EXPECT_NE(inspect.err.find("breaks the package layout: " + std::string(c.rule)),
              std::string::npos)
        << c.name << ": " << inspect.err;
  }
  const ToolResult missing = RunBrindlePack({"inspect", folder_.Join("missing.exe")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("missing.exe': cannot be opened: No such file"), std::string::npos);
}

TEST_F(BrindlePackTest, InspectFindsADamagedArchive) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  std::string file = ReadFile(Output());
  const size_t data = file.find(std::string(10, 'd'));  // dark.ini is deflated: search its name
  const size_t header = file.find("data/themes/dark.ini");
  ASSERT_NE(header, std::string::npos);
  ASSERT_EQ(data, std::string::npos) << "dark.ini should be deflated";
  file[header + 20 + 4] ^= 0x5A;  // deflated data follows the local header's name
  WriteFile(Output(), file);
  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  EXPECT_EQ(inspect.exit_code, 1);
  EXPECT_NE(inspect.err.find("'data/themes/dark.ini' is damaged"), std::string::npos)
      << inspect.err;
}

struct BadInput {
  const char* name;
  const char* option;   // the option whose value is replaced, or "" for none
  std::string file;     // the content written at the replaced path ("" writes nothing)
  const char* message;  // a part of the expected error message
};

TEST_F(BrindlePackTest, BadInputFailsWithAMessageAndLeavesNoFile) {
  StubShape arm64;
  arm64.machine = 0xAA64;
  arm64.magic = 0x20B;
  std::string marked = MakeSetupStub();
  marked[124] = 7;
  const BadInput cases[] = {
      {"missing payload", "--payload", "", "payload folder '"},
      {"missing licence", "--licence", "", "licence '"},
      {"UTF-16 licence", "--licence", std::string("\xFF\xFEL\0", 4), "is UTF-16"},
      {"Latin-1 licence", "--licence", "Lizenz f\xFCr", "is not valid UTF-8 text"},
      {"missing stub", "--stub", "", "No such file"},
      {"text stub", "--stub", "not a program", "no MZ header"},
      {"ARM64 stub", "--stub", MakeStub(arm64), "is not an x86 or x64 executable"},
      {"marked stub", "--stub", marked, "non-zero bytes at offset 124"},
      {"unstripped stub", "--stub", MakeStub() + std::string(64, 's'),
       "64 bytes after its last section"},
      {"shortcut name", "--desktop", "", "the name holds the character ':'"},
      {"absolute lastrun", "--lastrun", "", "is not a path relative to the install folder"},
      {"output folder missing", "--output", "", "cannot create a file in its folder"},
  };
  for (const BadInput& c : cases) {
    SCOPED_TRACE(c.name);
    std::string value = folder_.Join(std::string("bad/") + c.name);
    if (std::string(c.option) == "--desktop") value = "Vel:to=Velto.exe";
    if (std::string(c.option) == "--lastrun") value = "C:\\Velto\\Velto.exe";
    if (std::string(c.option) == "--output") value = folder_.Join("no-such-folder/Setup.exe");
    if (!c.file.empty()) WriteFile(value, c.file);
    WriteFile(Output(), "previous");
    const ToolResult result = RunBrindlePack(With(c.option, value));
    EXPECT_EQ(result.exit_code, 1) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(Output()), "previous") << "the old output must stay untouched";
    EXPECT_EQ(folder_.List("out"), std::vector<std::string>{"VeltoSetup.exe"})
        << "temporary files left behind";
  }
}

TEST_F(BrindlePackTest, StubThatIsAlreadyASetupPackageIsRefused) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  WriteFile(folder_.Join("packed.exe"), ReadFile(Output()));
  const ToolResult result = RunBrindlePack(With("--stub", folder_.Join("packed.exe")));
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("already carries a package (package offset 1024"), std::string::npos)
      << result.err;
}

TEST_F(BrindlePackTest, BadPayloadNamesAreAllReported) {
  WriteFile(Payload() + "/bad\xFE.txt", "x");
  WriteFile(Payload() + "/docs/aux.txt", "x");
  const ToolResult result = RunBrindlePack(PackArguments());
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("bad\xFE.txt' is not valid UTF-8"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("aux.txt' is a reserved device name"), std::string::npos) << result.err;
  EXPECT_FALSE(FileExists(Output()));
}

// A skin container: the description `text` and no records.
std::string SkinContainerBytes(const std::string& text) {
  std::string bytes = ".uir";
  AppendU32(static_cast<uint32_t>(text.size()), bytes);
  bytes += text;
  AppendU32(0, bytes);
  return bytes;
}

const std::string kSoundSkinText = std::string("{\"cfg\":{},\"res\":{}}\n", 20) + '\0';

// The skin container `container` in the packed form: ".uiz", its length, raw deflate.
std::string PackedSkin(const std::string& container) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY), Z_OK);
  std::string stream(deflateBound(&z, container.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(container.data()));
  z.avail_in = static_cast<uInt>(container.size());
  z.next_out = reinterpret_cast<Bytef*>(stream.data());
  z.avail_out = static_cast<uInt>(stream.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  stream.resize(z.total_out);
  deflateEnd(&z);
  std::string packed = ".uiz";
  AppendU32(static_cast<uint32_t>(container.size()), packed);
  return packed + stream;
}

// An icon file of two images: a 16 x 16 bitmap and a 256 x 256 PNG (only their headers matter
// to the packer).
std::string TwoImageIcon() {
  std::string bitmap(40 + 16 * 16 * 4 + 64, '\x11');
  StoreU32(40, reinterpret_cast<unsigned char*>(&bitmap[0]));
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(100, 'p');
  std::string icon = std::string("\0\0\1\0\2\0", 6);
  const std::pair<std::string, std::string> entries[] = {
      {std::string("\x10\x10\0\0\1\0\x20\0", 8), bitmap},
      {std::string("\0\0\0\0\1\0\x20\0", 8), png}};
  uint32_t offset = 6 + 2 * 16;
  for (const auto& [fields, data] : entries) {
    icon += fields;
    AppendU32(static_cast<uint32_t>(data.size()), icon);
    AppendU32(offset, icon);
    offset += static_cast<uint32_t>(data.size());
  }
  return icon + bitmap + png;
}

JsonValue PackageConfig(const std::string& file) {
  MemoryByteSource source(file);
  JsonValue config;
  PackageLocation location;
  EXPECT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
  return config;
}

struct Refusal {
  const char* name;
  std::vector<std::string> extra;  // options appended to PackArguments (a later value wins)
  const char* message;             // a part of the expected error message
};

TEST_F(BrindlePackTest, PackingMistakesAreRefused) {
  WriteFile(folder_.Join("plain.exe"), MakeStub());
  WriteFile(folder_.Join("bad.uir"), "not a skin");
  WriteFile(folder_.Join("loose.uir"),
            SkinContainerBytes("{ \"cfg\":{},\"res\":{}}\n" + std::string(1, '\0')));
  WriteFile(folder_.Join("broken.uiz"),
            PackedSkin(SkinContainerBytes(kSoundSkinText)).substr(0, 12));
  WriteFile(folder_.Join("bad.ico"), "not an icon");
  const Refusal cases[] = {
      {"invalid id",
       {"--product-name", "Mossbank", "--product-id", "moss bank"},
       "--product-id 'moss bank' may hold only letters, digits, '.', '_' and '-'"},
      {"name unfit as id",
       {"--product-name", "苔藓"},
       "--product-name '苔藓' cannot serve as the product id, which may hold only"},
      {"name with a backslash", {"--product-name", "Moss\\bank"}, "--product-name 'Moss\\bank' "},
      {"bad language", {"--product-name", "Mossbank", "--language", "fr"}, "--language 'fr'"},
      {"bad remove path",
       {"--product-name", "Mossbank", "--remove-on-uninstall", "Moss/../x.cfg"},
       "--remove-on-uninstall 'Moss/../x.cfg' is not a path relative"},
      {"identity option without a name",
       {"--publisher", "Mossbank Ltd."},
       "--product-name is required with --product-id"},
      {"publisher of two lines",
       {"--product-name", "Mossbank", "--publisher", "Moss\nbank"},
       "--publisher 'Moss\nbank' is not one line of UTF-8 text"},
      {"missing lastrun target",
       {"--lastrun", "Missing.exe"},
       "--lastrun 'Missing.exe' is not a file of the payload"},
      {"missing shortcut target",
       {"--taskbar", "Gone=gone.exe"},
       "--taskbar 'Gone': target 'gone.exe' is not a file of the payload"},
      {"duplicate shortcut names",
       {"--desktop", "VELTO=docs/使用说明.txt"},
       "--desktop 'VELTO': the name is given twice ('Velto' before it)"},
      {"stub without the marker",
       {"--stub", folder_.Join("plain.exe")},
       "is not a Brindle setup program (it has no BRINDLE_SETUP marker resource)"},
      {"skin that is no container", {"--skin", folder_.Join("bad.uir")}, "is not a skin container"},
      {"skin that fails the checks",
       {"--skin", folder_.Join("loose.uir")},
       "fails the skin checks: the description is not in the JSON writer's compact form"},
      {"damaged packed skin", {"--skin", folder_.Join("broken.uiz")}, "is damaged"},
      {"bad icon", {"--icon", folder_.Join("bad.ico")}, "is not an icon file"},
      {"missing icon", {"--icon", folder_.Join("none.ico")}, "--icon '"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const ToolResult result = RunBrindlePack(arguments);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_NE(result.err.find("brindle-pack: error: " + std::string()), std::string::npos);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_FALSE(FileExists(Output()));
  }
}

TEST_F(BrindlePackTest, EveryMistakeIsReportedAtOnce) {
  WriteFile(folder_.Join("plain.exe"), MakeStub());
  WriteFile(folder_.Join("bad.ico"), std::string("\0\0\1\0\0\0", 6));
  std::vector<std::string> arguments = With("--lastrun", "Missing.exe");
  arguments.insert(arguments.end(), {"--taskbar", "velto=gone.exe", "--language", "de", "--stub",
                                     folder_.Join("plain.exe"), "--icon", folder_.Join("bad.ico")});
  const ToolResult result = RunBrindlePack(arguments);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(
      result.err,
      "brindle-pack: error: --icon '" + folder_.Join("bad.ico") +
          "' is not a usable icon file: it lists no image, or its directory is cut short\n"
          "brindle-pack: error: stub '" +
          folder_.Join("plain.exe") +
          "' is not a Brindle setup program (it has no BRINDLE_SETUP marker resource); give "
          "the setup program, for example build/win/app/BrindleSetup.exe\n"
          "brindle-pack: error: --taskbar 'velto': the name is given twice ('Velto' before it); "
          "shortcut names compare ignoring case\n"
          "brindle-pack: error: --product-name is required with --product-id, --publisher, "
          "--help-link, --language and --remove-on-uninstall\n"
          "brindle-pack: error: --language 'de': expected zh, en or auto\n"
          "brindle-pack: error: --lastrun 'Missing.exe' is not a file of the payload\n"
          "brindle-pack: error: --taskbar 'velto': target 'gone.exe' is not a file of the "
          "payload\n");
}

TEST_F(BrindlePackTest, WithoutTheNewOptionsTheConfigIsAsBefore) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  const std::string file = ReadFile(Output());
  const std::string expected =
      "{\"lastrun\":\"Velto.exe\",\"mode\":1,\"protocol\":\"" +
      Base64EncodeBytes("Velto 许可协议\r\nLicence agreement\r\n") +
      "\",\"shortcut\":{\"desktop\":[{\"file\":\"Velto.exe\",\"name\":\"Velto\"}],"
      "\"taskbar\":[{\"file\":\"Velto.exe\",\"name\":\"Velto\"}]}}\n";
  EXPECT_EQ(file.substr(1024 + 4, expected.size()), expected);
  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  for (const char* line :
       {"product:         Velto (default: Velto)\n", "  publisher:     Velto Software Ltd.\n",
        "    Velto\\Velto.cfg\n", "skin:            none (the setup's built-in skin)\n",
        "setup marker:    yes (a Brindle setup program)\n", "icon:            0 images\n",
        "scope:           machine (default)\n"}) {
    EXPECT_NE(inspect.out.find(line), std::string::npos) << line << inspect.out;
  }
}

TEST_F(BrindlePackTest, IdentityOptionsGoIntoTheConfig) {
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(),
                   {"--product-name", "Mossbank 苔藓", "--product-id", "Mossbank", "--publisher",
                    "Mossbank Works", "--help-link", "https://mossbank.example/help", "--language",
                    "en", "--remove-on-uninstall", "Mossbank/settings.ini",
                    "--remove-on-uninstall=Mossbank\\cache.db"});
  const ToolResult pack = RunBrindlePack(arguments);
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  const JsonValue config = PackageConfig(ReadFile(Output()));
  ProductIdentity identity;
  std::string problem;
  ASSERT_TRUE(ReadProductIdentity(config, identity, problem)) << problem;
  ProductIdentity expected;
  expected.id = "Mossbank";
  expected.name = "Mossbank 苔藓";
  expected.publisher = "Mossbank Works";
  expected.help_link = "https://mossbank.example/help";
  expected.language = "en";
  expected.remove_on_uninstall = {"Mossbank\\settings.ini", "Mossbank\\cache.db"};
  EXPECT_EQ(identity, expected);
  EXPECT_FALSE(config.hasMember("skin"));

  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  for (const char* line :
       {"product:         Mossbank 苔藓\n", "  id:            Mossbank\n",
        "  publisher:     Mossbank Works\n", "  help link:     https://mossbank.example/help\n",
        "  language:      en\n", "  removed on uninstall: 2\n", "    Mossbank\\cache.db\n"}) {
    EXPECT_NE(inspect.out.find(line), std::string::npos) << line << inspect.out;
  }
}

TEST_F(BrindlePackTest, TheIdDefaultsToTheNameAndOnlyTheNameIsNeeded) {
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(), {"--product-name", "Mossbank"});
  ASSERT_EQ(RunBrindlePack(arguments).exit_code, 0);
  const JsonValue config = PackageConfig(ReadFile(Output()));
  EXPECT_EQ(JsonWriter().write(config["product"]), "{\"id\":\"Mossbank\",\"name\":\"Mossbank\"}\n");
}

TEST_F(BrindlePackTest, TheScopeGoesIntoTheConfigUnlessItIsMachine) {
  const struct {
    std::string option;
    const char* member;  // null: no "scope" member
    const char* inspected;
  } cases[] = {
      {"--scope=user", "user", "scope:           user\n"},
      {"--scope=both", "both", "scope:           both\n"},
      {"--scope=machine", nullptr, "scope:           machine (default)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = PackArguments();
    arguments.push_back(c.option);
    const ToolResult pack = RunBrindlePack(arguments);
    ASSERT_EQ(pack.exit_code, 0) << c.option << ": " << pack.err;
    const JsonValue config = PackageConfig(ReadFile(Output()));
    if (c.member) {
      EXPECT_STREQ(config["scope"].toCString(), c.member) << c.option;
    } else {
      EXPECT_FALSE(config.hasMember("scope")) << c.option;
    }
    EXPECT_FALSE(config.hasMember("product")) << c.option;
    const ToolResult inspect = RunBrindlePack({"inspect", Output()});
    EXPECT_NE(inspect.out.find(c.inspected), std::string::npos) << c.option << inspect.out;
  }
}

TEST_F(BrindlePackTest, TheSkinFileGoesIntoTheConfigAsGiven) {
  const std::string plain = SkinContainerBytes(kSoundSkinText);
  for (const std::string& skin : {plain, PackedSkin(plain)}) {
    WriteFile(folder_.Join("skin.bin"), skin);
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), {"--skin", folder_.Join("skin.bin")});
    const ToolResult pack = RunBrindlePack(arguments);
    ASSERT_EQ(pack.exit_code, 0) << pack.err;
    const JsonValue config = PackageConfig(ReadFile(Output()));
    EXPECT_EQ(Base64DecodeText(config["skin"].toCString()), skin);
    EXPECT_FALSE(config.hasMember("product"));
    const ToolResult inspect = RunBrindlePack({"inspect", Output()});
    EXPECT_NE(inspect.out.find("skin:            " + std::to_string(skin.size()) + " bytes (" +
                               (skin == plain ? "plain" : "packed") + " container of " +
                               std::to_string(plain.size()) +
                               " bytes, 0 records), passes the skin checks\n"),
              std::string::npos)
        << inspect.out;
  }
}

TEST_F(BrindlePackTest, TheIconIsWrittenIntoTheProgramImage) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  const std::string without_icon = ReadFile(Output());
  ExpectChecksum(without_icon);
  WriteFile(folder_.Join("product.ico"), TwoImageIcon());
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(), {"--icon", folder_.Join("product.ico")});
  const ToolResult pack = RunBrindlePack(arguments);
  ASSERT_EQ(pack.exit_code, 0) << pack.err;

  const std::string file = ReadFile(Output());
  ExpectChecksum(file);
  EXPECT_LE(file.size(), without_icon.size() + TwoImageIcon().size() + 4096);
  const uint32_t package_offset = LoadU32(reinterpret_cast<const unsigned char*>(&file[124]));
  std::string image = file.substr(0, package_offset);
  image.replace(124, 4, std::string(4, '\0'));
  StubImage stub;
  EXPECT_EQ(CheckStub(image, stub), "");
  EXPECT_EQ(stub.image_size, package_offset) << "P must be the edited image's size";
  ResourceNode resources;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(image, resources, problem)) << problem;
  EXPECT_TRUE(HasSetupMarker(resources));
  std::vector<IconImage> expected;
  ASSERT_TRUE(ParseIconFile(TwoImageIcon(), expected, problem)) << problem;
  const std::vector<IconImage> icon = ProgramIconImages(resources);
  ASSERT_EQ(icon.size(), 2u);
  for (size_t i = 0; i < icon.size(); ++i) {
    EXPECT_EQ(icon[i].data, expected[i].data);
    EXPECT_EQ(icon[i].width, expected[i].width);
  }
  EXPECT_EQ(PackageConfig(file)["lastrun"].toCString(), std::string("Velto.exe"));
  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  EXPECT_NE(inspect.out.find("icon:            2 images 16x16 256x256\n"), std::string::npos)
      << inspect.out;
}

TEST_F(BrindlePackTest, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"unpack"},
      {"inspect"},
      {"pack", "--stub", Stub()},
      {"pack", "--colour", "blue"},
      {"pack", "--desktop", "Velto"},
      {"pack", "--progress", "sometimes"},
      {"pack", "--scope", "everyone"},
      {"pack", "--scope", "User"},
  };
  for (const auto& arguments : cases) {
    const ToolResult result = RunBrindlePack(arguments);
    EXPECT_EQ(result.exit_code, 2) << result.err;
    EXPECT_NE(result.err.find("usage:"), std::string::npos);
  }
  EXPECT_NE(RunBrindlePack({"pack", "--scope", "User"}).err.find("expected user, machine or both"),
            std::string::npos);
  const ToolResult help = RunBrindlePack({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--lastrun PATH"), std::string::npos);
}

TEST_F(BrindlePackTest, InlineOptionValuesAndTheOtherSpelling) {
  const ToolResult result = RunBrindlePack({"pack", "--stub=" + Stub(), "--payload=" + Payload(),
                                            "--license=" + Licence(), "--lastrun=Velto.exe", "-o",
                                            Output(), "--progress=never"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
}

}  // namespace
