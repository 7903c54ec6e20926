#include "tools/inspect_command.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/package_format.h"
#include "setup/pe_image.h"
#include "setup/product_identity.h"
#include "setup/uninstaller_image.h"
#include "tools/icon_file.h"
#include "tools/package_skin.h"
#include "tools/pe_resources.h"
#include "tools/pe_stub.h"
#include "tools/setup_facts.h"
#include "tools/signed_uninstaller.h"
#include "tools/signing.h"
#include "tools/text_checks.h"
#include "tools/tool_files.h"
#include "tools/zip_listing.h"

namespace {

using u64 = unsigned long long;

// `config` as the config line shows it: a signed uninstaller's image (about a megabyte of
// Base64, checked on its own line) is named by its length.
JsonValue ShownConfig(const JsonValue& config) {
  if (config.kind() != JsonKind::Object || !config.hasMember(kSignedUninstallerMember)) {
    return config;
  }
  JsonValue shown = config;
  const std::string image = config[kSignedUninstallerMember].toCString();
  shown[kSignedUninstallerMember] =
      "<" + std::to_string(image.size()) + " characters of Base64: the signed uninstaller>";
  return shown;
}

class Inspector {
 public:
  Inspector(const std::string& path, const std::string& ca_file, FILE* out, FILE* err)
      : path_(path), ca_file_(ca_file), out_(out), err_(err), file_(path) {}

  int Run() {
    if (!file_.IsOpen()) {
      std::fprintf(err_, "brindle-pack: '%s': cannot be opened: %s\n", path_.c_str(),
                   file_.problem().c_str());
      return 1;
    }
    const int status = RunPackage();
    if (status != 0) return status;
    const int signature = ReportSignature();
    if (signature != 0 || setup_config_.kind() != JsonKind::Object) return signature;
    return ReportSignedUninstaller(setup_config_, setup_signer_, ca_file_, out_, err_);
  }

 private:
  int RunPackage() {
    std::fprintf(out_, "file:            %s (%llu bytes)\n", path_.c_str(), u64{file_.Size()});
    std::string text;
    const PackageError error = ReadPackageConfigText(file_, location_, text);
    PrintLocation(error);
    if (error != PackageError::kNone) return Broken(error, Details(error));

    JsonValue config;
    JsonReader reader;
    if (!reader.parse(text.c_str(), config)) {
      return Broken(
          PackageError::kConfigSyntax,
          reader.message() + " at byte " + std::to_string(reader.errorOffset()) + " of the config");
    }
    const std::string formatted = FormatPackageConfig(config);
    std::fprintf(out_, "config:          %s", FormatPackageConfig(ShownConfig(config)).c_str());
    if (formatted != text) {
      std::fprintf(out_, "                 (the stored text differs from this compact form)\n");
    }
    if (!config.hasMember("mode")) return Broken("the package config has no \"mode\" member");
    const int64_t mode = config["mode"].toInt64();
    if (mode == 1) {
      setup_config_ = config;
      return InspectSetupPackage(config);
    }
    if (mode == 0) return InspectUninstallerCopy(config);
    return Broken("the config's \"mode\" " + std::to_string(mode) +
                  " is neither 1 (setup package) nor 0 (uninstaller copy)");
  }

  // The Authenticode signature named by the image's certificate table entry, as osslsigncode
  // verify sees it. 1 when the signed hash no longer matches the file.
  int ReportSignature() {
    PeImageFields fields;
    if (!ReadPeImageFields(file_, fields)) return 0;
    if (fields.security.address == 0 && fields.security.size == 0) {
      std::fprintf(out_, "signature:       none\n");
      return 0;
    }
    std::fprintf(out_, "signature:       certificate table of %u bytes at offset %u\n",
                 fields.security.size, fields.security.address);
    const SignatureCheck check = CheckSignature(path_, ca_file_);
    if (!check.ran || !check.problem.empty()) {
      std::fprintf(out_, "  not checked:   %s\n", check.problem.c_str());
      return 0;
    }
    std::fprintf(out_, "  signer:        %s\n", check.signer.c_str());
    setup_signer_ = check.signer;
    std::fprintf(out_, "  image hash:    %s\n",
                 check.hash_matches ? "matches the signed hash"
                                    : "DOES NOT MATCH the signed hash (changed after signing)");
    std::fprintf(out_, "  certificate:   %s%s\n", check.trusted ? "trusted" : "not trusted: ",
                 check.trusted ? "" : check.trust_problem.c_str());
    if (check.hash_matches) return 0;
    std::fprintf(err_,
                 "brindle-pack: '%s': the signature does not match the file: it was changed "
                 "after it was signed\n",
                 path_.c_str());
    return 1;
  }

  void PrintLocation(PackageError error) {
    if (error == PackageError::kNoDosHeader || location_.lfanew == 0) return;
    std::fprintf(out_, "e_lfanew:        %llu\n", u64{location_.lfanew});
    PrintArchitecture();
    if (error == PackageError::kNoOffsetField) return;
    std::fprintf(out_, "package offset:  %u (0x%X), stored at byte %llu\n",
                 location_.package_offset, location_.package_offset, u64{location_.lfanew - 4});
    if (error == PackageError::kZeroOffset || error == PackageError::kOffsetPastEnd ||
        error == PackageError::kNoConfigLength) {
      return;
    }
    std::fprintf(out_, "config length:   %u bytes at offset %llu\n", location_.config_length,
                 u64{location_.package_offset} + 4);
  }

  // The machine the program image is built for, when its PE header can be read.
  void PrintArchitecture() {
    unsigned char machine[2];
    if (!file_.ReadAt(u64{location_.lfanew} + 4, machine, sizeof machine)) return;
    const uint16_t value = static_cast<uint16_t>(machine[0] | machine[1] << 8);
    const char* architecture = ArchitectureOf(value);
    std::fprintf(out_, "architecture:    %s (machine 0x%X)\n",
                 architecture ? architecture : "unknown", value);
  }

  std::string Details(PackageError error) const {
    const u64 available = location_.file_size - location_.package_offset;
    switch (error) {
      case PackageError::kNoDosHeader:
        return std::to_string(location_.file_size) + " bytes";
      case PackageError::kNoOffsetField:
        return "e_lfanew " + std::to_string(location_.lfanew);
      case PackageError::kOffsetPastEnd:
        return "package offset " + std::to_string(location_.package_offset) + ", file size " +
               std::to_string(location_.file_size);
      case PackageError::kConfigPastEnd:
        return "4 + L = " + std::to_string(4 + u64{location_.config_length}) +
               ", file size - P = " + std::to_string(available);
      default:
        return std::string();
    }
  }

  int Broken(PackageError error, const std::string& details) {
    std::string rule = DescribePackageError(error);
    if (!details.empty()) rule += ": " + details;
    return Broken(rule);
  }

  int Broken(const std::string& rule) {
    std::fprintf(err_, "brindle-pack: '%s' breaks the package layout: %s\n", path_.c_str(),
                 rule.c_str());
    return 1;
  }

  void PrintVersion(const JsonValue& config) {
    const std::string version =
        config.hasMember("version") ? config["version"].toCString() : std::string();
    std::fprintf(out_, "version:         %s\n",
                 version.empty() ? "none (the Uninstall entry shows no version)" : version.c_str());
  }

  void PrintLicence(const JsonValue& config) {
    const std::string licence = Base64DecodeText(config["protocol"].toCString());
    size_t lines = licence.empty() ? 0 : 1;
    for (size_t at = 0; (at = licence.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    const std::string first_line = licence.substr(0, licence.find_first_of("\r\n"));
    std::fprintf(out_, "licence:         %zu bytes, %zu lines%s, first line \"%s\"\n",
                 licence.size(), lines, IsValidUtf8(licence) ? "" : " (NOT valid UTF-8)",
                 first_line.c_str());
  }

  void PrintProduct(const JsonValue& config) {
    ProductIdentity product;
    std::string problem;
    if (!ReadProductIdentity(config, product, problem)) {
      std::fprintf(out_, "product:         BROKEN: %s (the setup refuses the package)\n",
                   problem.c_str());
      return;
    }
    const bool given = config.hasMember(kProductMember);
    std::fprintf(out_, "product:         %s%s\n", product.name.c_str(),
                 given ? "" : " (default: Velto)");
    std::fprintf(out_, "  id:            %s\n", product.id.c_str());
    const auto or_none = [](const std::string& text) {
      return text.empty() ? "(none)" : text.c_str();
    };
    std::fprintf(out_, "  publisher:     %s\n", or_none(product.publisher));
    std::fprintf(out_, "  help link:     %s\n", or_none(product.help_link));
    std::fprintf(out_, "  language:      %s\n", product.language.c_str());
    std::fprintf(out_, "  removed on uninstall: %zu\n", product.remove_on_uninstall.size());
    for (const std::string& path : product.remove_on_uninstall) {
      std::fprintf(out_, "    %s\n", path.c_str());
    }
    PackageScope scope = PackageScope::kMachine;
    if (!ReadPackageScope(config, scope, problem)) {
      std::fprintf(out_, "scope:           BROKEN: %s (the setup refuses the package)\n",
                   problem.c_str());
    } else {
      std::fprintf(out_, "scope:           %s%s\n", ScopeName(scope),
                   config.hasMember(kScopeMember) ? "" : " (default)");
    }
  }

  void PrintSkin(const JsonValue& config) {
    if (!config.hasMember(kSkinMember)) {
      std::fprintf(out_, "skin:            none (the setup's built-in skin)\n");
      return;
    }
    const std::string skin = Base64DecodeText(config[kSkinMember].toCString());
    SkinSummary summary;
    std::vector<std::string> problems;
    const bool sound = CheckSkinFile(skin, summary, problems);
    std::fprintf(out_, "skin:            %zu bytes (%s container of %zu bytes, %zu records)%s\n",
                 skin.size(), summary.packed ? "packed" : "plain", summary.container_bytes,
                 summary.records, sound ? ", passes the skin checks" : "");
    for (const std::string& problem : problems) {
      std::fprintf(out_, "  PROBLEM:       %s\n", problem.c_str());
    }
  }

  // The program image's marker and icon, from its resource tree.
  void PrintProgramResources() {
    std::string image(location_.package_offset, '\0');
    ResourceNode resources;
    std::string problem;
    if (!file_.ReadAt(0, image.data(), image.size()) ||
        !ReadResourceTree(image, resources, problem)) {
      std::fprintf(out_, "setup marker:    unknown: the resources cannot be read (%s)\n",
                   problem.c_str());
      return;
    }
    std::fprintf(out_, "setup marker:    %s\n",
                 HasSetupMarker(resources) ? "yes (a Brindle setup program)"
                                           : "NO (not a Brindle setup program)");
    const std::vector<IconImage> icon = ProgramIconImages(resources);
    std::fprintf(out_, "icon:            %zu images", icon.size());
    for (const IconImage& entry : icon) {
      std::fprintf(out_, " %dx%d", entry.width ? entry.width : 256,
                   entry.height ? entry.height : 256);
    }
    std::fprintf(out_, "\n");
  }

  int InspectSetupPackage(const JsonValue& config) {
    std::fprintf(out_, "kind:            setup package (mode 1)\n");
    PrintVersion(config);
    PrintLicence(config);
    PrintProduct(config);
    PrintSkin(config);
    PrintProgramResources();
    ArchiveRange range;
    const PackageError error =
        LocatePayloadArchive(file_, location_.package_offset, location_.config_length, range);
    if (error == PackageError::kArchivePastEnd) {
      unsigned char bytes[4] = {};
      file_.ReadAt(u64{location_.package_offset} + 4 + location_.config_length, bytes, 4);
      return Broken(error, "8 + L + Z = " +
                               std::to_string(8 + u64{location_.config_length} + LoadU32(bytes)) +
                               ", file size - P = " +
                               std::to_string(location_.file_size - location_.package_offset));
    }
    if (error != PackageError::kNone) return Broken(error, std::string());

    std::vector<ZipEntryInfo> entries;
    std::string problem;
    const bool intact = ListZipArchive(path_, range.offset, range.length, true, entries, problem);
    PrintEntries(range, entries);
    if (!intact) return Broken("the payload archive " + problem);
    std::fprintf(out_, "archive check:   every entry inflates to its size and CRC-32\n");
    PrintTrailing(range.offset + range.length);
    PrintDeploymentFacts(path_, out_);
    return 0;
  }

  void PrintEntries(const ArchiveRange& range, const std::vector<ZipEntryInfo>& entries) {
    u64 folders = 0;
    u64 unpacked = 0;
    for (const ZipEntryInfo& entry : entries) {
      if (!entry.name.empty() && entry.name.back() == '/') ++folders;
      unpacked += entry.size;
    }
    std::fprintf(out_,
                 "archive:         %u bytes at offset %llu; %zu entries (%llu folders, %llu "
                 "files), %llu bytes unpacked\n",
                 range.length, u64{range.offset}, entries.size(), folders,
                 u64{entries.size()} - folders, unpacked);
    std::fprintf(out_, "  %-8s %12s %12s  %-8s  %s\n", "method", "size", "packed", "crc32", "name");
    for (const ZipEntryInfo& entry : entries) {
      const bool folder = !entry.name.empty() && entry.name.back() == '/';
      const char* method = folder              ? "folder"
                           : entry.method == 0 ? "stored"
                           : entry.method == 8 ? "deflate"
                                               : "other";
      std::fprintf(out_, "  %-8s %12llu %12llu  %08X  %s%s\n", method, u64{entry.size},
                   u64{entry.compressed_size}, entry.crc, entry.name.c_str(),
                   entry.flag & (1u << 11) ? "" : "  [name not flagged UTF-8]");
    }
  }

  void PrintTrailing(uint64_t end) {
    std::fprintf(out_, "trailing bytes:  %llu\n", u64{location_.file_size - end});
  }

  void PrintDecodedList(const char* label, const JsonValue& list) {
    std::fprintf(out_, "%-17s%zu\n", label, list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      std::fprintf(out_, "  %s\n", Base64DecodeText(list[i].toCString()).c_str());
    }
  }

  int InspectUninstallerCopy(const JsonValue& config) {
    std::fprintf(out_, "kind:            uninstaller copy (mode 0)\n");
    std::fprintf(out_, "install folder:  %s\n",
                 Base64DecodeText(config["setup"]["root"].toCString()).c_str());
    PrintDecodedList("files:", config["files"]);
    PrintDecodedList("folders:", config["folders"]);
    PrintTrailing(u64{location_.package_offset} + 4 + location_.config_length);
    return 0;
  }

  std::string path_;
  std::string ca_file_;
  FILE* out_;
  FILE* err_;
  StreamByteSource file_;
  PackageLocation location_;
  JsonValue setup_config_;    // a setup package's config; null for any other file
  std::string setup_signer_;  // the setup's signer, when its signature was checked
};

}  // namespace

int RunInspect(const std::string& path, const std::string& ca_file, FILE* out, FILE* err) {
  return Inspector(path, ca_file, out, err).Run();
}
