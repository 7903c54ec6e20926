#include "tools/signed_uninstaller.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/package_format.h"
#include "setup/uninstaller_image.h"
#include "tools/host_system.h"
#include "tools/tool_files.h"

namespace {

bool WriteBytes(PendingFile& file, std::string_view bytes, std::string& problem) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) == bytes.size() && file.Close()) {
    return true;
  }
  problem = "'" + file.path() + "': " + std::strerror(errno);
  return false;
}

// Signs `image` through pending files beside `near`; the signed bytes in `signed_image`.
bool SignImage(const SigningOptions& options, std::string_view image, const std::string& near,
               std::string& signed_image, std::string& problem) {
  PendingFile unsigned_file;
  PendingFile signed_file;
  if (!unsigned_file.Create(near, "uninstaller", problem) ||
      !WriteBytes(unsigned_file, image, problem) ||
      !signed_file.Create(near, "uninstaller-signed", problem) || !signed_file.Vacate()) {
    return false;
  }
  if (!SignFile(options, unsigned_file.path(), signed_file.path(), problem)) {
    problem = "the uninstaller cannot be signed: " + problem;
    return false;
  }
  return ReadFileBytes(signed_file.path(), signed_image, problem);
}

// A folder for inspect's scratch files: TMPDIR, TEMP or TMP, else the current folder.
std::string ScratchFolder() {
  for (const char* name : {"TMPDIR", "TEMP", "TMP"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return ".";
}

}  // namespace

bool AddSignedUninstaller(const SigningOptions& options, std::string stub, uint32_t lfanew,
                          const std::string& output, JsonValue& setup_config,
                          std::string& problem) {
  const uint32_t package_offset = static_cast<uint32_t>(stub.size());
  if (lfanew < 4 || lfanew > stub.size()) {
    problem = "the program image has no room for the package offset";
    return false;
  }
  StoreU32(package_offset, reinterpret_cast<unsigned char*>(&stub[lfanew - 4]));
  std::string image;
  std::string signed_image;
  if (!BuildRecordBesideImage(stub, package_offset, image) ||
      !SignImage(options, image, output, signed_image, problem)) {
    if (problem.empty()) problem = "the uninstaller image cannot be built";
    return false;
  }
  setup_config[kSignedUninstallerMember] = JsonValue(Base64EncodeBytes(signed_image));
  return true;
}

bool PrepareForSigning(const SigningOptions& options, const std::string& input,
                       const std::string& output, PendingFile& prepared, std::string& problem) {
  std::string file;
  if (!ReadFileBytes(input, file, problem)) return false;
  MemoryByteSource source(file);
  JsonValue config;
  PackageLocation location;
  ArchiveRange archive;
  PackageError error = LoadPackageConfig(source, config, location);
  if (error == PackageError::kNone) {
    error = LocatePayloadArchive(source, location.package_offset, location.config_length, archive);
  }
  if (error != PackageError::kNone) {
    problem = std::string("breaks the package layout: ") + DescribePackageError(error);
    return false;
  }
  std::string package;
  if (!AddSignedUninstaller(options, file.substr(0, location.package_offset),
                            static_cast<uint32_t>(location.lfanew), output, config, problem) ||
      !BuildUninstallerCopy(file, location.package_offset, config, package)) {
    if (problem.empty()) problem = "the package config cannot be written";
    return false;
  }
  AppendU32(archive.length, package);
  package.append(file, archive.offset, archive.length);
  return prepared.Create(output, "unsigned", problem) && WriteBytes(prepared, package, problem);
}

int ReportSignedUninstaller(const JsonValue& setup_config, const std::string& setup_signer,
                            const std::string& ca_file, FILE* out, FILE* err) {
  if (!setup_config.hasMember(kSignedUninstallerMember)) {
    std::fprintf(out,
                 "signed uninstaller: none (the uninstaller is the setup's image, unsigned)\n");
    return 0;
  }
  std::string image;
  if (!SignedUninstallerImage(setup_config, image)) {
    std::fprintf(out, "signed uninstaller: DAMAGED\n");
    std::fprintf(err,
                 "brindle-pack: the config's \"%s\" is no uninstaller image that keeps its record "
                 "beside it\n",
                 kSignedUninstallerMember);
    return 1;
  }
  std::fprintf(out, "signed uninstaller: %zu bytes\n", image.size());
  PendingFile scratch;
  std::string problem;
  if (!scratch.Create(ScratchFolder() + "/brindle-uninstaller.exe", "inspect", problem) ||
      !WriteBytes(scratch, image, problem)) {
    std::fprintf(out, "  not checked:   %s\n", problem.c_str());
    return 0;
  }
  const SignatureCheck check = CheckSignature(scratch.path(), ca_file);
  if (!check.ran || !check.problem.empty()) {
    std::fprintf(out, "  not checked:   %s\n", check.problem.c_str());
    return check.ran ? 1 : 0;
  }
  const bool same_signer = !setup_signer.empty() && check.signer == setup_signer;
  std::fprintf(out, "  signer:        %s\n", check.signer.c_str());
  std::fprintf(out, "  image hash:    %s\n",
               check.hash_matches ? "matches the signed hash" : "DOES NOT MATCH the signed hash");
  std::fprintf(out, "  certificate:   %s%s\n", check.trusted ? "trusted" : "not trusted: ",
               check.trusted ? "" : check.trust_problem.c_str());
  std::fprintf(out, "  same signer:   %s\n",
               same_signer ? "yes, the setup's" : "NO: the setup's signer differs or is none");
  if (check.hash_matches && same_signer) return 0;
  std::fprintf(
      err, "brindle-pack: the signed uninstaller %s\n",
      check.hash_matches ? "names another signer than the setup" : "does not match its signature");
  return 1;
}
