// Runs the brindle-pack program as a release engineer would and checks its output files,
// messages and exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <utility>
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
#include "tools/sha256.h"
#include "tools/texts_file.h"
#include "tools/zip_listing.h"

namespace {

constexpr char kLicence[] = "Velto 许可协议\nLicence agreement\n";

// A translation file shipped with the sources.
std::string Shipped(const std::string& name) { return std::string(BRINDLE_TEXTS_DIR) + "/" + name; }

// The translation `path` as CheckTranslation reads it (fails the test when it does not pass).
JsonValue ReadTranslation(const std::string& path) {
  JsonValue entry;
  std::vector<std::string> problems;
  EXPECT_TRUE(CheckTranslation(ReadFile(path), entry, problems)) << path;
  return entry;
}

// `value` as JSON text, as a translator's editor might save it.
std::string FormatJson(const JsonValue& value) { return JsonWriter().write(value); }

// The object `entry` without its member `id`.
JsonValue Without(const JsonValue& entry, const std::string& id) {
  JsonValue copy(JsonKind::Object);
  for (const std::string& name : entry.memberNames()) {
    if (name != id) copy[name] = entry[name];
  }
  return copy;
}

// The object `entry` with its member `id` set to `value`.
JsonValue With(JsonValue entry, const std::string& id, const JsonValue& value) {
  entry[id] = value;
  return entry;
}

TEST(TranslationFileTest, EveryShippedTranslationPassesTheCheck) {
  const char* shipped[] = {"ja.json", "de.json", "fr.json", "es.json", "pt-BR.json"};
  for (const char* name : shipped) {
    SCOPED_TRACE(name);
    const JsonValue entry = ReadTranslation(Shipped(name));
    EXPECT_EQ(std::string(entry["language"].toCString()) + ".json", name);
    EXPECT_EQ(entry.size(), SetupTextReference().size() + 1);
  }
}

TEST(TranslationFileTest, FaultyTranslationsAreRefusedNamingTheText) {
  const JsonValue german = ReadTranslation(Shipped("de.json"));
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;  // a part of one problem line
  };
  const Case cases[] = {
      {"missing id", FormatJson(Without(german, "done")), "\"done\" is missing"},
      {"unknown id", FormatJson(With(german, "done_button", JsonValue("Fertig"))),
       "\"done_button\" is not a text id of the setup program"},
      {"placeholder left out", FormatJson(With(german, "cannot_write", JsonValue("Fehler."))),
       "\"cannot_write\" has the placeholders none where the English text has %s"},
      {"placeholders in another order",
       FormatJson(With(german, "copying_step", JsonValue("%% der Dateien kopiert: %ld"))),
       "\"copying_step\" has the placeholders %% %ld where the English text has %ld %%"},
      {"placeholder of another kind",
       FormatJson(With(german, "disk_full", JsonValue("Kein Platz für %d."))),
       "\"disk_full\" has the placeholders %d where the English text has %s"},
      {"one placeholder too many", FormatJson(With(german, "done", JsonValue("Fertig: %s"))),
       "\"done\" has the placeholders %s where the English text has none"},
      {"bad tag", FormatJson(With(german, "language", JsonValue("Deutsch"))),
       "\"language\" 'Deutsch' is not a language tag"},
      {"tag with an underscore", FormatJson(With(german, "language", JsonValue("pt_BR"))),
       "\"language\" 'pt_BR' is not a language tag"},
      {"tag without its language", FormatJson(Without(german, "language")),
       "\"language\" '' is not a language tag"},
      {"built-in tag", FormatJson(With(german, "language", JsonValue("en"))),
       "\"language\" 'en' is built into the setup program"},
      {"text that is a number", FormatJson(With(german, "done", JsonValue(5))),
       "\"done\" is not a string"},
      {"empty text", FormatJson(With(german, "done", JsonValue(""))), "\"done\" is empty"},
      {"unicode escape", "{\"language\":\"de\",\"done\":\"Fertig \\u00e9\"}", "holds a \\u escape"},
      {"not JSON", "{\"language\":", "is not JSON"},
      {"not an object", "[]", "is not a JSON object"},
      {"not UTF-8", "{\"language\":\"de\",\"done\":\"\xFF\"}", "is not UTF-8 text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JsonValue entry;
    std::vector<std::string> problems;
    EXPECT_FALSE(CheckTranslation(c.bytes, entry, problems));
    std::string all;
    for (const std::string& problem : problems) all += problem + "\n";
    EXPECT_NE(all.find(c.message), std::string::npos) << all;
  }
}

TEST(TranslationFileTest, PlaceholdersAreCheckedExactlyAndPlainPercentSignsAreText) {
  const JsonValue german = ReadTranslation(Shipped("de.json"));
  JsonValue entry;
  std::vector<std::string> problems;
  // "100 %" and "100%" at the end are plain text, as in the English "100%".
  EXPECT_TRUE(CheckTranslation(
      FormatJson(With(german, "install_finished", JsonValue("Fertig: 100 % erledigt"))), entry,
      problems))
      << problems.front();
  EXPECT_TRUE(CheckTranslation(
      FormatJson(With(german, "copying_step", JsonValue("Kopieren (%ld%%)"))), entry, problems));
  EXPECT_TRUE(problems.empty());
}

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
       {"--product-version", "2.0.0-rc.1"},
       "2.0.0-rc.1"},
      {"an uncomparable resource version is kept, with a warning",
       MakeVersionedProgram("2.0 beta", {2, 0, 0, 0}),
       {},
       "2.0 beta"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WriteFile(Payload() + "/Velto.exe", c.program);
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    const ToolResult pack = RunBrindlePack(arguments);
    ASSERT_EQ(pack.exit_code, 0) << pack.err;
    EXPECT_EQ(pack.err.find("cannot be compared") != std::string::npos, c.expected == "2.0 beta")
        << pack.err;
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

// An entry over 4 GiB needs ZIP64 sizes in both headers; the packer writes them and `inspect` reads
// them with the same code the setup program inflates with. The file is sparse: it costs no disk.
TEST_F(BrindlePackTest, AnEntryOver4GiBIsListedWithItsSizeAndAGoodCrc) {
  constexpr off_t kSize = (off_t{4} << 30) + 12345;
  const std::string big = Payload() + "/big.dat";
  WriteFile(big, "head");
  ASSERT_EQ(truncate(big.c_str(), kSize), 0);
  const ToolResult pack = RunBrindlePack(PackArguments());
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  const ToolResult inspect = RunBrindlePack({"inspect", Output()});
  ASSERT_EQ(inspect.exit_code, 0) << inspect.err;
  EXPECT_NE(inspect.out.find("archive check:   every entry inflates"), std::string::npos)
      << inspect.out;
  EXPECT_NE(inspect.out.find(std::to_string(kSize)), std::string::npos) << inspect.out;

  uLong crc = crc32(0, reinterpret_cast<const Bytef*>("head"), 4);
  const std::string zeros(1 << 20, '\0');
  for (off_t left = kSize - 4; left > 0;) {
    const uInt chunk = static_cast<uInt>(std::min<off_t>(left, zeros.size()));
    crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), chunk);
    left -= chunk;
  }
  const std::string file = ReadFile(Output());
  MemoryByteSource source(file);
  JsonValue config;
  PackageLocation location;
  ArchiveRange range;
  ASSERT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
  ASSERT_EQ(LocatePayloadArchive(source, location.package_offset, location.config_length, range),
            PackageError::kNone);
  std::vector<ZipEntryInfo> entries;
  std::string problem;
  ASSERT_TRUE(ListZipArchive(Output(), range.offset, range.length, false, entries, problem))
      << problem;
  const auto entry = std::find_if(entries.begin(), entries.end(),
                                  [](const ZipEntryInfo& e) { return e.name == "big.dat"; });
  ASSERT_NE(entry, entries.end());
  EXPECT_EQ(entry->size, static_cast<uint64_t>(kSize));
  EXPECT_EQ(entry->crc, static_cast<uint32_t>(crc));
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
  WriteFile(folder_.Join("short.json"),
            FormatJson(Without(ReadTranslation(Shipped("de.json")), "done")));
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
      {"language without its --texts",
       {"--product-name", "Mossbank", "--language", "fr"},
       "--language 'fr': expected auto, zh, en or the language of a --texts file"},
      {"translation missing a text",
       {"--product-name", "Mossbank", "--texts", folder_.Join("short.json")},
       "short.json' \"done\" is missing"},
      {"two files of one language",
       {"--product-name", "Mossbank", "--texts", Shipped("de.json"), "--texts", Shipped("de.json")},
       "the language 'de' is given by another file too"},
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
          "brindle-pack: error: --language 'de': expected auto, zh, en or the language of a "
          "--texts file\n"
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

TEST_F(BrindlePackTest, TranslationsGoIntoTheConfigInTheGivenOrder) {
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(), {"--product-name", "Mossbank", "--language", "ja", "--texts",
                                     Shipped("pt-BR.json"), "--texts=" + Shipped("ja.json")});
  const ToolResult pack = RunBrindlePack(arguments);
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  EXPECT_EQ(pack.err, "");
  const JsonValue config = PackageConfig(ReadFile(Output()));
  ProductIdentity identity;
  std::string problem;
  ASSERT_TRUE(ReadProductIdentity(config, identity, problem)) << problem;
  EXPECT_EQ(identity.language, "ja");
  const JsonValue& texts = config["texts"];
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_STREQ(texts[0]["language"].toCString(), "pt-BR");
  EXPECT_STREQ(texts[1]["install_button"].toCString(), "インストール");
  EXPECT_EQ(texts[1].size(), SetupTextReference().size() + 1);
}

TEST_F(BrindlePackTest, TranslationsTheSetupNeverShowsAreWarnedAbout) {
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(), {"--product-name", "Mossbank", "--language", "en", "--texts",
                                     Shipped("de.json")});
  const ToolResult pack = RunBrindlePack(arguments);
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  EXPECT_NE(pack.err.find("brindle-pack: warning: --language 'en': the setup never shows the "
                          "--texts translations"),
            std::string::npos)
      << pack.err;
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
  for (const char* command : {"pack", "sign", "inspect", "manifest"}) {
    const ToolResult command_help = RunBrindlePack({command, "--help"});
    EXPECT_EQ(command_help.exit_code, 0) << command << ": " << command_help.err;
    EXPECT_NE(command_help.out.find(std::string(command) + ": "), std::string::npos) << command;
  }
  EXPECT_NE(RunBrindlePack({"pack", "--shortcuts", "everyone"})
                .err.find("--shortcuts 'everyone': expected all-users or current-user"),
            std::string::npos);
}

// A near miss names the option meant; a word far from every option gets no guess.
TEST_F(BrindlePackTest, AMisspeltOptionGetsADidYouMean) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"pack", "--paylod", "x"}, "unknown option '--paylod'; did you mean --payload?"},
      {{"pack", "--licnece=x"}, "unknown option '--licnece=x'; did you mean --licence?"},
      {{"pack", "--desktp", "a=b"}, "did you mean --desktop?"},
      {{"sign", "--timestmp", "u", "f"}, "did you mean --timestamp?"},
      {{"manifest", "--identifer", "a.b"}, "did you mean --identifier?"},
      {{"pack", "--colour", "blue"}, "unknown option '--colour'\n"},
  };
  for (const auto& c : cases) {
    const ToolResult result = RunBrindlePack(c.arguments);
    EXPECT_EQ(result.exit_code, 2) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

// A version the setup cannot order is refused with the form it accepts; one it can goes in.
TEST_F(BrindlePackTest, TheProductVersionMustBeComparable) {
  for (const char* version : {"v1.2 beta", "1.2 beta", "1..2", "1.2.0-"}) {
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), {"--product-version", version});
    const ToolResult result = RunBrindlePack(arguments);
    EXPECT_EQ(result.exit_code, 1) << version;
    EXPECT_NE(result.err.find(std::string("--product-version '") + version +
                              "' cannot be compared with other versions; give dotted numbers "
                              "with an optional pre-release part"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(FileExists(Output())) << version;
  }
  std::vector<std::string> arguments = PackArguments();
  arguments.insert(arguments.end(), {"--product-version", "1.2.0-beta.1"});
  EXPECT_EQ(RunBrindlePack(arguments).exit_code, 0);
}

// A shortcut name with ".lnk" would make "Velto.lnk.lnk": refused, with the option to give.
TEST_F(BrindlePackTest, AShortcutNameEndingInLnkIsRefused) {
  for (const char* option : {"--desktop", "--taskbar"}) {
    const ToolResult result = RunBrindlePack(With(option, "Velto.LNK=Velto.exe"));
    EXPECT_EQ(result.exit_code, 1) << option;
    EXPECT_NE(result.err.find(std::string("the name ends in \".lnk\", which the setup adds "
                                          "itself; give ") +
                              option + " Velto=Velto.exe"),
              std::string::npos)
        << result.err;
  }
}

// --shortcuts all-users goes into the config; the default leaves it out.
TEST_F(BrindlePackTest, TheShortcutPlaceGoesIntoTheConfigOnlyForAllUsers) {
  for (const char* place : {"all-users", "current-user"}) {
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), {"--shortcuts", place});
    ASSERT_EQ(RunBrindlePack(arguments).exit_code, 0) << place;
    const std::string file = ReadFile(Output());
    MemoryByteSource source(file);
    JsonValue config;
    PackageLocation location;
    ASSERT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
    EXPECT_EQ(config.hasMember("shortcuts"), std::string(place) == "all-users") << place;
    if (config.hasMember("shortcuts")) {
      EXPECT_STREQ(config["shortcuts"].toCString(), place);
    }
  }
}

// The SHA-256 inspect prints is the file's (as sha256sum computes it), with the product code and
// the Uninstall key of each scope, in the 32-bit view for an x86 machine install.
TEST_F(BrindlePackTest, InspectPrintsTheHashProductCodeAndUninstallKey) {
  const struct {
    uint16_t machine;
    const char* scope;
    std::vector<std::string> keys;
  } cases[] = {
      {0x14C,
       "machine",
       {"uninstall key:   HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\"
        "CurrentVersion\\Uninstall\\Velto (64-bit Windows; 32-bit Windows has no WOW6432Node)\n"}},
      {0x8664,
       "machine",
       {"uninstall key:   HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
        "Uninstall\\Velto\n"}},
      {0x14C,
       "user",
       {"uninstall key:   HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
        "Uninstall\\Velto\n"}},
      {0x8664,
       "both",
       {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft", "HKEY_CURRENT_USER\\Software\\Microsoft"}},
  };
  for (const auto& c : cases) {
    StubShape shape;
    shape.machine = c.machine;
    shape.magic = c.machine == 0x8664 ? 0x20B : 0x10B;
    WriteFile(Stub(), MakeSetupStub(shape));
    std::vector<std::string> arguments = PackArguments();
    arguments.insert(arguments.end(), {"--scope", c.scope});
    ASSERT_EQ(RunBrindlePack(arguments).exit_code, 0) << c.scope;
    const ToolResult sum = RunProgramForTest("sha256sum", {Output()});
    ASSERT_EQ(sum.exit_code, 0);
    std::string hash = sum.out.substr(0, 64);
    for (char& digit : hash) digit = static_cast<char>(std::toupper(digit));
    const ToolResult inspect = RunBrindlePack({"inspect", Output()});
    ASSERT_EQ(inspect.exit_code, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("sha-256:         " + hash + "\n"), std::string::npos)
        << inspect.out;
    EXPECT_NE(inspect.out.find("product code:    Velto (the Uninstall subkey)\n"),
              std::string::npos);
    for (const std::string& key : c.keys) {
      EXPECT_NE(inspect.out.find(key), std::string::npos) << key << "\n" << inspect.out;
    }
  }
}

// The three winget manifest files of each sample product and architecture validate against the
// package manager's schemas (python3-jsonschema), and hold what a deployment needs.
TEST_F(BrindlePackTest, ManifestsOfBothSamplesValidateAgainstTheSchemas) {
  const std::string schemas = BRINDLE_WINGET_SCHEMA_DIR;
  if (!FileExists(schemas + "/manifest.installer.1.10.0.json") ||
      RunProgramForTest("python3", {"-c", "import yaml, jsonschema"}).exit_code != 0) {
    GTEST_SKIP() << "no winget schemas at " << schemas << ", or no python3-yaml/jsonschema";
  }
  const char* validate =
      "import json,sys,yaml,jsonschema\n"
      "jsonschema.validate(yaml.safe_load(open(sys.argv[2], encoding='utf-8')),"
      " json.load(open(sys.argv[1], encoding='utf-8')))\n";
  const struct {
    const char* identifier;
    std::vector<std::string> product;
    const char* expected;  // a line of the installer manifest
  } products[] = {
      {"Velto.Velto", {"--product-version", "1.2.0-beta.1"}, "ProductCode: \"Velto\""},
      {"MossBank.Mossbank",
       {"--product-version", "2.0.1", "--product-id", "com.example.Mossbank", "--product-name",
        "Mossbank", "--publisher", "Moss & Bank Sample Works", "--help-link",
        "https://mossbank.example/help", "--language", "en", "--scope", "both"},
       "Custom: /CURRENTUSER"},
  };
  for (const auto& product : products) {
    for (const uint16_t machine : {uint16_t{0x14C}, uint16_t{0x8664}}) {
      StubShape shape;
      shape.machine = machine;
      shape.magic = machine == 0x8664 ? 0x20B : 0x10B;
      WriteFile(Stub(), MakeSetupStub(shape));
      std::vector<std::string> arguments = PackArguments();
      arguments.insert(arguments.end(), product.product.begin(), product.product.end());
      ASSERT_EQ(RunBrindlePack(arguments).exit_code, 0) << product.identifier;
      const std::string out = folder_.Join("manifests");
      mkdir(out.c_str(), 0755);
      const ToolResult manifest =
          RunBrindlePack({"manifest", Output(), "--identifier", product.identifier, "--url",
                          "https://example.com/setup.exe", "--out", out});
      ASSERT_EQ(manifest.exit_code, 0) << manifest.err;
      const std::string base = out + "/" + product.identifier;
      const std::pair<const char*, std::string> files[] = {
          {"version", base + ".yaml"},
          {"defaultLocale", base + ".locale.en-US.yaml"},
          {"installer", base + ".installer.yaml"},
      };
      for (const auto& [type, file] : files) {
        const ToolResult check = RunProgramForTest(
            "python3", {"-c", validate, schemas + "/manifest." + type + ".1.10.0.json", file});
        EXPECT_EQ(check.exit_code, 0) << file << "\n" << check.out << check.err << ReadFile(file);
      }
      const std::string installer = ReadFile(base + ".installer.yaml");
      const std::string architecture = machine == 0x8664 ? "x64" : "x86";
      for (const std::string& line :
           {"  - Architecture: " + architecture + "\n", std::string(product.expected),
            std::string("  Log: \"/LOG=\\\"<LOGPATH>\\\"\"\n"),
            std::string("  - InstallerReturnCode: 1602\n    ReturnResponse: cancelledByUser\n"),
            std::string("  - InstallerReturnCode: 9\n    ReturnResponse: downgrade\n"),
            std::string("  - InstallerReturnCode: 8\n    ReturnResponse: packageInUse\n"),
            std::string(
                "  - InstallerReturnCode: 3010\n    ReturnResponse: rebootRequiredToFinish\n"),
            std::string("ElevationRequirement: elevatesSelf\n")}) {
        EXPECT_NE(installer.find(line), std::string::npos) << line << "\n" << installer;
      }
    }
  }
}

// A setup without a version cannot have a manifest; a bad identifier or URL is a usage error.
TEST_F(BrindlePackTest, ManifestRefusesWhatWingetWouldRefuse) {
  ASSERT_EQ(RunBrindlePack(PackArguments()).exit_code, 0);
  const ToolResult unversioned = RunBrindlePack(
      {"manifest", Output(), "--identifier", "Velto.Velto", "--url", "https://x.example/s.exe"});
  EXPECT_EQ(unversioned.exit_code, 1);
  EXPECT_NE(unversioned.err.find("states no version; pack it with --product-version"),
            std::string::npos)
      << unversioned.err;
  const std::vector<std::vector<std::string>> usage = {
      {"manifest", Output(), "--identifier", "Velto", "--url", "https://x.example/s.exe"},
      {"manifest", Output(), "--identifier", "Velto.Ve lto", "--url", "https://x.example/s.exe"},
      {"manifest", Output(), "--identifier", "Velto.Velto", "--url", "ftp://x.example/s.exe"},
      {"manifest", Output(), "--identifier", "Velto.Velto"},
      {"manifest", "--identifier", "Velto.Velto", "--url", "https://x.example/s.exe"},
  };
  for (const auto& arguments : usage) {
    EXPECT_EQ(RunBrindlePack(arguments).exit_code, 2) << arguments[2];
  }
}

TEST_F(BrindlePackTest, InlineOptionValuesAndTheOtherSpelling) {
  const ToolResult result = RunBrindlePack({"pack", "--stub=" + Stub(), "--payload=" + Payload(),
                                            "--license=" + Licence(), "--lastrun=Velto.exe", "-o",
                                            Output(), "--progress=never"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
}

// FIPS 180-4's examples, and a text fed in pieces that cross the 64-byte blocks.
TEST(Sha256Test, GivesTheStandardDigests) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(1000000, 'a'),
       "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  for (const auto& [text, digest] : cases) {
    Sha256 whole;
    whole.Update(text.data(), text.size());
    EXPECT_EQ(whole.FinishHex(), digest) << text.size();
    Sha256 pieces;
    for (size_t at = 0; at < text.size(); at += 37) {
      pieces.Update(text.data() + at, std::min<size_t>(37, text.size() - at));
    }
    EXPECT_EQ(pieces.FinishHex(), digest) << text.size();
  }
}

}  // namespace
