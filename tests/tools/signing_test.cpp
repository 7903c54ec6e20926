// Signing through brindle-pack and osslsigncode with a throwaway key and certificate that openssl
// makes in the test's scratch folder (no key is ever kept), and what inspect says of signatures.
#include "tools/signing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/package_format.h"
#include "setup/pe_image.h"
#include "setup/uninstaller_image.h"
#include "tests/tools/tool_test_support.h"
#include "tools/zip_listing.h"

namespace {

constexpr char kPassword[] = "throwaway pass";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class SigningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    WriteFile(Path("stub.exe"), MakeSetupStub());
    WriteFile(Path("licence.txt"), "Licence\n");
    WriteFile(Path("payload/Velto.exe"), MakeVersionedProgram("1.2.0", {1, 2, 0, 0}));
    WriteFile(Path("payload/docs/readme.txt"), std::string(3000, 'r'));
    WriteFile(Path("password.txt"), std::string(kPassword) + "\n");
    // The password reaches openssl through a file too.
    const ToolResult key =
        RunProgramForTest("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                      Path("key.pem"), "-out", Path("cert.pem"), "-days", "2",
                                      "-subj", "/CN=Brindle Test Signer/O=Velto"});
    ASSERT_EQ(key.exit_code, 0) << key.err;
    const ToolResult p12 = RunProgramForTest(
        "openssl", {"pkcs12", "-export", "-inkey", Path("key.pem"), "-in", Path("cert.pem"), "-out",
                    Path("cert.p12"), "-passout", "file:" + Path("password.txt")});
    ASSERT_EQ(p12.exit_code, 0) << p12.err;
  }

  std::string Path(const std::string& relative) const { return folder_.Join(relative); }

  std::vector<std::string> Pack(const std::string& output) const {
    return {"pack",
            "--stub",
            Path("stub.exe"),
            "--payload",
            Path("payload"),
            "--licence",
            Path("licence.txt"),
            "--lastrun",
            "Velto.exe",
            "--desktop",
            "Velto=Velto.exe",
            "--progress",
            "never",
            "--output",
            output};
  }

  std::vector<std::string> SignedPack(const std::string& output) const {
    std::vector<std::string> arguments = Pack(output);
    arguments.insert(arguments.end(),
                     {"--cert", Path("cert.p12"), "--password-file", Path("password.txt")});
    return arguments;
  }

  ToolResult Verify(const std::string& file) const {
    return RunProgramForTest("osslsigncode", {"verify", "-CAfile", Path("cert.pem"), "-in", file});
  }

  TempFolder folder_;
};

// Reads the package of `file` as the setup program does: its config (`location`) and archive.
::testing::AssertionResult LocatePackage(const std::string& file, PackageLocation& location,
                                         ArchiveRange& range) {
  MemoryByteSource source(file);
  JsonValue config;
  if (LoadPackageConfig(source, config, location) != PackageError::kNone) {
    return ::testing::AssertionFailure() << "the package config does not read";
  }
  if (LocatePayloadArchive(source, location.package_offset, location.config_length, range) !=
      PackageError::kNone) {
    return ::testing::AssertionFailure() << "the archive is not where P, L and Z say";
  }
  return ::testing::AssertionSuccess();
}

JsonValue ConfigOf(const std::string& file) {
  MemoryByteSource source(file);
  JsonValue config;
  PackageLocation location;
  EXPECT_EQ(LoadPackageConfig(source, config, location), PackageError::kNone);
  return config;
}

// The program image of the package or uninstaller `file` (its first P bytes) with CheckSum and
// the certificate table's entry zeroed.
std::string WithoutSignatureFields(const std::string& file) {
  MemoryByteSource source(file);
  PackageLocation location;
  PeImageFields fields;
  if (LocatePackage(source, location) != PackageError::kNone ||
      !ReadPeImageFields(source, fields)) {
    return std::string();
  }
  std::string image = file.substr(0, location.package_offset);
  image.replace(fields.checksum_offset, 4, 4, '\0');
  image.replace(fields.security_entry_offset, 8, 8, '\0');
  return image;
}

// The unsigned package `file` with `config` in place of its own.
std::string WithConfig(const std::string& file, const JsonValue& config) {
  PackageLocation location;
  ArchiveRange range;
  EXPECT_TRUE(LocatePackage(file, location, range));
  std::string package;
  EXPECT_TRUE(BuildUninstallerCopy(file, location.package_offset, config, package));
  AppendU32(range.length, package);
  return package + file.substr(range.offset, range.length);
}

TEST_F(SigningTest, PackSignsBehindAPackageThatStillReads) {
  const std::string output = Path("VeltoSetup.exe");
  const ToolResult pack = RunBrindlePack(SignedPack(output));
  ASSERT_EQ(pack.exit_code, 0) << pack.err;
  EXPECT_TRUE(Contains(pack.out, "then signed")) << pack.out;
  EXPECT_EQ(folder_.List(),
            (std::vector<std::string>{"VeltoSetup.exe", "cert.p12", "cert.pem", "key.pem",
                                      "licence.txt", "password.txt", "payload", "stub.exe"}))
      << "no pending file is left";
  EXPECT_EQ(Verify(output).exit_code, 0) << Verify(output).out;

  // The package readers take the config and archive where P, L and Z say.
  const std::string file = ReadFile(output);
  PackageLocation location;
  ArchiveRange range;
  ASSERT_TRUE(LocatePackage(file, location, range));
  EXPECT_GT(file.size(), range.offset + range.length) << "the signature follows the archive";
  std::vector<ZipEntryInfo> entries;
  std::string problem;
  EXPECT_TRUE(ListZipArchive(output, range.offset, range.length, true, entries, problem))
      << problem;

  // Unsigned, the same inputs give the same config but for the signed uninstaller, and the same
  // archive.
  ASSERT_EQ(RunBrindlePack(Pack(Path("unsigned.exe"))).exit_code, 0);
  const std::string plain = ReadFile(Path("unsigned.exe"));
  const JsonValue signed_config = ConfigOf(file);
  EXPECT_TRUE(signed_config.hasMember(kSignedUninstallerMember));
  JsonValue plain_config = ConfigOf(plain);
  plain_config[kSignedUninstallerMember] = signed_config[kSignedUninstallerMember];
  EXPECT_EQ(FormatPackageConfig(signed_config), FormatPackageConfig(plain_config));
  PackageLocation plain_location;
  ArchiveRange plain_range;
  ASSERT_TRUE(LocatePackage(plain, plain_location, plain_range));
  EXPECT_EQ(file.substr(range.offset, range.length),
            plain.substr(plain_range.offset, plain_range.length));

  const ToolResult inspect = RunBrindlePack({"inspect", "--ca", Path("cert.pem"), output});
  ASSERT_EQ(inspect.exit_code, 0) << inspect.err;
  for (const char* line : {"signer:        /CN=Brindle Test Signer/O=Velto",
                           "image hash:    matches the signed hash", "certificate:   trusted"}) {
    EXPECT_TRUE(Contains(inspect.out, line)) << line << "\n" << inspect.out;
  }
  EXPECT_TRUE(Contains(inspect.out, "same signer:   yes, the setup's")) << inspect.out;
  const ToolResult untrusted = RunBrindlePack({"inspect", output});
  EXPECT_EQ(untrusted.exit_code, 0) << untrusted.err;
  EXPECT_TRUE(Contains(untrusted.out, "certificate:   not trusted: self-signed")) << untrusted.out;
}

// The signed uninstaller a signed package carries: the setup's program image with the config that
// keeps the record beside it, signed by the same certificate, and nothing else.
TEST_F(SigningTest, ASignedPackageCarriesAnUninstallerSignedByTheSameCertificate) {
  const std::string output = Path("VeltoSetup.exe");
  ASSERT_EQ(RunBrindlePack(SignedPack(output)).exit_code, 0);
  const std::string file = ReadFile(output);
  std::string image;
  ASSERT_TRUE(SignedUninstallerImage(ConfigOf(file), image));
  WriteFile(Path("unins000.exe"), image);
  const ToolResult verify = Verify(Path("unins000.exe"));
  EXPECT_EQ(verify.exit_code, 0) << verify.out << verify.err;
  EXPECT_TRUE(Contains(verify.out, "/CN=Brindle Test Signer/O=Velto")) << verify.out;
  EXPECT_EQ(WithoutSignatureFields(image), WithoutSignatureFields(file))
      << "the uninstaller's program image is the setup's";
  // Its Base64 is named on the config line, not printed.
  const ToolResult shown = RunBrindlePack({"inspect", output});
  EXPECT_TRUE(Contains(shown.out, "\"signeduninstaller\":\"<")) << shown.out.substr(0, 4096);
  EXPECT_LT(shown.out.size(), 64u * 1024);

  const ToolResult plain = RunBrindlePack(Pack(Path("unsigned.exe")));
  ASSERT_EQ(plain.exit_code, 0);
  EXPECT_FALSE(ConfigOf(ReadFile(Path("unsigned.exe"))).hasMember(kSignedUninstallerMember));
  const ToolResult inspect = RunBrindlePack({"inspect", Path("unsigned.exe")});
  EXPECT_EQ(inspect.exit_code, 0) << inspect.err;
  EXPECT_TRUE(Contains(inspect.out, "signed uninstaller: none")) << inspect.out;
}

// "sign" gives a package packed unsigned the signed uninstaller too; signing again replaces both
// signatures, and the archive stays.
TEST_F(SigningTest, SignAddsTheSignedUninstallerAndSigningAgainReplacesIt) {
  const std::string package = Path("VeltoSetup.exe");
  ASSERT_EQ(RunBrindlePack(Pack(package)).exit_code, 0);
  const std::string plain = ReadFile(package);
  ASSERT_EQ(RunBrindlePack({"sign", "--cert", Path("cert.pem"), "--key", Path("key.pem"),
                            "--output", Path("once.exe"), package})
                .exit_code,
            0);
  ASSERT_EQ(RunBrindlePack({"sign", "--cert", Path("cert.p12"), "--password-file",
                            Path("password.txt"), "--output", Path("twice.exe"), Path("once.exe")})
                .exit_code,
            0);
  for (const char* name : {"once.exe", "twice.exe"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Verify(Path(name)).exit_code, 0);
    const std::string file = ReadFile(Path(name));
    std::string image;
    ASSERT_TRUE(SignedUninstallerImage(ConfigOf(file), image));
    WriteFile(Path("unins000.exe"), image);
    EXPECT_EQ(Verify(Path("unins000.exe")).exit_code, 0);
    PackageLocation location;
    ArchiveRange range;
    PackageLocation plain_location;
    ArchiveRange plain_range;
    ASSERT_TRUE(LocatePackage(file, location, range));
    ASSERT_TRUE(LocatePackage(plain, plain_location, plain_range));
    EXPECT_EQ(file.substr(range.offset, range.length),
              plain.substr(plain_range.offset, plain_range.length));
    const ToolResult inspect = RunBrindlePack({"inspect", "--ca", Path("cert.pem"), Path(name)});
    EXPECT_EQ(inspect.exit_code, 0) << inspect.err;
    EXPECT_TRUE(Contains(inspect.out, "same signer:   yes")) << inspect.out;
  }
  EXPECT_EQ(folder_.List(),
            (std::vector<std::string>{"VeltoSetup.exe", "cert.p12", "cert.pem", "key.pem",
                                      "licence.txt", "once.exe", "password.txt", "payload",
                                      "stub.exe", "twice.exe", "unins000.exe"}))
      << "no pending file is left";
}

// An uninstaller signed by another certificate than the setup's is reported and fails inspect.
TEST_F(SigningTest, InspectRefusesAnUninstallerOfAnotherSigner) {
  const ToolResult other = RunProgramForTest(
      "openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", Path("other-key.pem"),
                  "-out", Path("other.pem"), "-days", "2", "-subj", "/CN=Someone Else"});
  ASSERT_EQ(other.exit_code, 0) << other.err;
  ASSERT_EQ(RunBrindlePack(SignedPack(Path("mine.exe"))).exit_code, 0);
  ASSERT_EQ(RunBrindlePack(Pack(Path("plain.exe"))).exit_code, 0);
  // The setup's config with the uninstaller of "mine.exe", then signed by the other certificate
  // (sign would make a new uninstaller, so osslsigncode signs directly).
  const std::string mine = ReadFile(Path("mine.exe"));
  std::string plain = ReadFile(Path("plain.exe"));
  JsonValue config = ConfigOf(plain);
  config[kSignedUninstallerMember] = ConfigOf(mine)[kSignedUninstallerMember];
  WriteFile(Path("mixed.exe"), WithConfig(plain, config));
  const ToolResult sign = RunProgramForTest(
      "osslsigncode", {"sign", "-certs", Path("other.pem"), "-key", Path("other-key.pem"), "-h",
                       "sha256", "-in", Path("mixed.exe"), "-out", Path("mixed-signed.exe")});
  ASSERT_EQ(sign.exit_code, 0) << sign.out << sign.err;
  const ToolResult inspect = RunBrindlePack({"inspect", Path("mixed-signed.exe")});
  EXPECT_EQ(inspect.exit_code, 1);
  EXPECT_TRUE(Contains(inspect.out, "same signer:   NO")) << inspect.out;
  EXPECT_TRUE(Contains(inspect.err, "names another signer than the setup")) << inspect.err;

  config[kSignedUninstallerMember] = JsonValue("AAAA");
  WriteFile(Path("damaged.exe"), WithConfig(plain, config));
  const ToolResult damaged = RunBrindlePack({"inspect", Path("damaged.exe")});
  EXPECT_EQ(damaged.exit_code, 1);
  EXPECT_TRUE(Contains(damaged.out, "signed uninstaller: DAMAGED")) << damaged.out;
}

TEST_F(SigningTest, AChangedByteBreaksTheSignature) {
  const std::string output = Path("VeltoSetup.exe");
  ASSERT_EQ(RunBrindlePack(SignedPack(output)).exit_code, 0);
  const std::string file = ReadFile(output);
  PackageLocation location;
  ArchiveRange range;
  ASSERT_TRUE(LocatePackage(file, location, range));

  std::string tampered = file;
  tampered[range.offset + range.length / 2] ^= 0x01;
  WriteFile(Path("archive-byte.exe"), tampered);
  const ToolResult verify = Verify(Path("archive-byte.exe"));
  EXPECT_NE(verify.exit_code, 0);
  EXPECT_TRUE(Contains(verify.out, "MISMATCH")) << verify.out;

  // A byte of the program image: the package still reads, and inspect names the broken hash.
  tampered = file;
  tampered[0x300] ^= 0x01;
  WriteFile(Path("image-byte.exe"), tampered);
  const ToolResult inspect = RunBrindlePack({"inspect", Path("image-byte.exe")});
  EXPECT_EQ(inspect.exit_code, 1);
  EXPECT_TRUE(Contains(inspect.out, "DOES NOT MATCH")) << inspect.out;
  EXPECT_TRUE(Contains(inspect.err, "changed after it was signed")) << inspect.err;
}

TEST_F(SigningTest, TheUninstallerCopyOfASignedSetupIsUnsigned) {
  const std::string output = Path("VeltoSetup.exe");
  ASSERT_EQ(RunBrindlePack(SignedPack(output)).exit_code, 0);
  const std::string file = ReadFile(output);
  JsonValue config;
  config["mode"] = 0;
  config["setup"]["root"] = JsonValue(Base64EncodeBytes("C:\\Program Files\\Velto"));
  std::string copy;
  ASSERT_TRUE(BuildUninstallerCopy(file, 0x400, config, copy));
  WriteFile(Path("unins000.exe"), copy);
  const ToolResult verify = Verify(Path("unins000.exe"));
  EXPECT_NE(verify.exit_code, 0);
  EXPECT_TRUE(Contains(verify.out + verify.err, "No signature found")) << verify.out << verify.err;
  const ToolResult inspect = RunBrindlePack({"inspect", Path("unins000.exe")});
  EXPECT_EQ(inspect.exit_code, 0) << inspect.err;
  EXPECT_TRUE(Contains(inspect.out, "signature:       none")) << inspect.out;
}

TEST_F(SigningTest, SignCommandTakesPemFilesOrAPasswordFromTheEnvironment) {
  const std::string package = Path("VeltoSetup.exe");
  ASSERT_EQ(RunBrindlePack(Pack(package)).exit_code, 0);
  const std::string unsigned_bytes = ReadFile(package);

  const ToolResult pem = RunBrindlePack({"sign", "--cert", Path("cert.pem"), "--key",
                                         Path("key.pem"), "--output", Path("pem.exe"), package});
  ASSERT_EQ(pem.exit_code, 0) << pem.err;
  EXPECT_EQ(Verify(Path("pem.exe")).exit_code, 0);
  EXPECT_EQ(ReadFile(package), unsigned_bytes) << "--output leaves the input alone";

  ASSERT_EQ(setenv("BRINDLE_TEST_SIGNING_PASSWORD", kPassword, 1), 0);
  const ToolResult in_place = RunBrindlePack({"sign", "--cert", Path("cert.p12"), "--password-env",
                                              "BRINDLE_TEST_SIGNING_PASSWORD", package});
  ASSERT_EQ(in_place.exit_code, 0) << in_place.err;
  EXPECT_EQ(Verify(package).exit_code, 0);

  ASSERT_EQ(setenv("BRINDLE_TEST_SIGNING_PASSWORD", "wrong", 1), 0);
  const ToolResult wrong = RunBrindlePack({"sign", "--cert", Path("cert.p12"), "--password-env",
                                           "BRINDLE_TEST_SIGNING_PASSWORD", "--output",
                                           Path("wrong.exe"), Path("pem.exe")});
  unsetenv("BRINDLE_TEST_SIGNING_PASSWORD");
  EXPECT_EQ(wrong.exit_code, 1);
  EXPECT_TRUE(Contains(wrong.err, "osslsigncode could not sign it")) << wrong.err;
  EXPECT_FALSE(FileExists(Path("wrong.exe")));
  EXPECT_FALSE(Contains(wrong.err, "wrong")) << "the password is never printed";
}

TEST_F(SigningTest, RefusedSigningInputs) {
  struct Case {
    const char* label;
    std::vector<std::string> arguments;
    int exit_code;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"a stub without package",
       {"sign", "--cert", Path("cert.pem"), "--key", Path("key.pem"), Path("stub.exe")},
       1,
       "breaks the package layout"},
      {"no certificate", {"sign", Path("stub.exe")}, 2, "option --cert is required"},
      {"two password sources",
       {"sign", "--cert", Path("cert.p12"), "--password-file", Path("password.txt"),
        "--password-env", "HOME", Path("stub.exe")},
       1,
       "give the password one way only"},
      {"a password variable that is not set",
       {"sign", "--cert", Path("cert.p12"), "--password-env", "BRINDLE_TEST_UNSET_VARIABLE",
        Path("stub.exe")},
       1,
       "is not set"},
      {"a password without certificate",
       [this] {
         std::vector<std::string> arguments = Pack(Path("out.exe"));
         arguments.insert(arguments.end(), {"--password-file", Path("password.txt")});
         return arguments;
       }(),
       1, "signing options without --cert"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const ToolResult result = RunBrindlePack(c.arguments);
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
  }
  EXPECT_FALSE(FileExists(Path("out.exe")));
}

TEST(SigningReportTest, ReadsWhatOsslsigncodeVerifySays) {
  const std::string signer = "\t\tSubject: /CN=Velto Software Ltd.\n";
  struct Case {
    const char* label;
    std::string output;
    int exit_code;
    bool hash_matches;
    bool trusted;
    std::string trust_problem;
  };
  const std::vector<Case> cases = {
      {"trusted",
       "Current message digest    : AB12 \nCalculated message digest : AB12 \n" + signer +
           "Signature verification: ok\n",
       0, true, true, ""},
      {"self-signed",
       "Current message digest    : AB12 \nCalculated message digest : AB12 \n" + signer +
           "\tError: self-signed certificate\nSignature verification: failed\n",
       1, true, false, "self-signed certificate"},
      {"changed",
       "Signature verification: failed\nCurrent message digest    : AB12 \n"
       "Calculated message digest : CD34     MISMATCH!!!\n" +
           signer,
       1, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SignatureCheck check;
    ParseVerifyReport(c.output, c.exit_code, check);
    EXPECT_TRUE(check.ran);
    EXPECT_EQ(check.problem, "");
    EXPECT_EQ(check.signer, "/CN=Velto Software Ltd.");
    EXPECT_EQ(check.hash_matches, c.hash_matches);
    EXPECT_EQ(check.trusted, c.trusted);
    EXPECT_EQ(check.trust_problem, c.trust_problem);
  }
  SignatureCheck none;
  ParseVerifyReport("No signature found\nFailed\n", 1, none);
  EXPECT_FALSE(none.hash_matches);
  EXPECT_NE(none.problem, "");
}

}  // namespace
