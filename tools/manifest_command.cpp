#include "tools/manifest_command.h"

#include <cerrno>
#include <cstring>

#include "app/exit_code.h"
#include "tools/option_hints.h"
#include "tools/pending_file.h"

namespace {

constexpr char kManifestVersion[] = "1.10.0";

// `text` as a YAML double-quoted scalar.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Header(const char* type) {
  return std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.") + type +
         "." + kManifestVersion + ".schema.json\n\n";
}

std::string Footer(const char* type) {
  return std::string("ManifestType: ") + type + "\nManifestVersion: " + kManifestVersion + "\n";
}

std::string Identity(const ManifestOptions& options, const SetupFacts& facts) {
  return "PackageIdentifier: " + Quoted(options.identifier) +
         "\nPackageVersion: " + Quoted(facts.version) + "\n";
}

// What winget tells the person for each exit code; null for success, which is no entry.
const char* ReturnResponseOf(ExitCode code) {
  switch (code) {
    case kExitSuccess:
      return nullptr;
    case kExitBadCommandLine:
    case kExitBadFolder:
      return "invalidParameter";
    case kExitElevationDeclined:
    case kExitCancelled:
      return "cancelledByUser";
    case kExitProductRunning:
      return "packageInUse";
    case kExitDowngradeNotAllowed:
      return "downgrade";
    case kExitSetupRunning:
      return "installInProgress";
    case kExitRestartNeeded:
      return "rebootRequiredToFinish";
    case kExitFolderNotEmpty:
      return "custom";
    case kExitFailed:
    case kExitPackageDamaged:
    case kExitRollbackIncomplete:
    case kExitTemporaryUninstallerFailed:
      return "contactSupport";
  }
  return "contactSupport";
}

// One entry of Installers for the scope `scope` ("machine" or "user"); `custom` is the switch
// that chooses it for a package of scope "both", else empty.
std::string InstallerEntry(const SetupFacts& facts, const ManifestOptions& options,
                           const char* scope, const char* custom) {
  const bool machine = std::strcmp(scope, "machine") == 0;
  std::string entry = "  - Architecture: " + facts.architecture + "\n    Scope: " + scope +
                      "\n    InstallerUrl: " + Quoted(options.url) +
                      "\n    InstallerSha256: " + facts.sha256 + "\n";
  // A machine install asks for elevation itself; a per-user one never needs it.
  if (machine) entry += "    ElevationRequirement: elevatesSelf\n";
  if (*custom) entry += std::string("    InstallerSwitches:\n      Custom: ") + custom + "\n";
  entry += "    ProductCode: " + Quoted(facts.product.id) + "\n";
  entry += "    AppsAndFeaturesEntries:\n      - DisplayName: " + Quoted(facts.product.name) + "\n";
  if (!facts.product.publisher.empty()) {
    entry += "        Publisher: " + Quoted(facts.product.publisher) + "\n";
  }
  entry += "        DisplayVersion: " + Quoted(facts.version) +
           "\n        ProductCode: " + Quoted(facts.product.id) + "\n        InstallerType: exe\n";
  return entry;
}

bool IsIdentifierChar(char c) {
  return static_cast<unsigned char>(c) > 0x20 && std::strchr("\\/:*?\"<>|.", c) == nullptr;
}

bool WriteManifestFile(const std::string& path, const std::string& text, std::string& problem) {
  PendingFile file;
  if (!file.Create(path, "tmp", problem)) return false;
  if (std::fwrite(text.data(), 1, text.size(), file.stream()) != text.size()) {
    problem = "'" + path + "': cannot be written: " + std::strerror(errno);
    return false;
  }
  return file.Commit(path, false, problem);
}

}  // namespace

std::string IdentifierProblem(const std::string& identifier) {
  size_t parts = 0;
  size_t start = 0;
  while (true) {
    const size_t dot = identifier.find('.', start);
    const size_t end = dot == std::string::npos ? identifier.size() : dot;
    const size_t length = end - start;
    if (length == 0 || length > 32) return "each part between dots must have 1 to 32 characters";
    for (size_t i = start; i < end; ++i) {
      if (!IsIdentifierChar(identifier[i])) {
        return "it must not hold blanks, control characters or \\ / : * ? \" < > |";
      }
    }
    ++parts;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (parts < 2 || parts > 8) return "it must be two to eight parts joined by dots";
  return std::string();
}

bool ParseManifestOptions(const std::vector<std::string>& arguments, ManifestOptions& options,
                          std::string& problem) {
  options = ManifestOptions{};
  std::vector<GivenOption> given;
  std::vector<std::string> files;
  if (!SplitOptions(arguments, given, files, problem)) return false;
  const std::pair<const char*, std::string*> fields[] = {
      {"--identifier", &options.identifier},
      {"--url", &options.url},
      {"--out", &options.out},
      {"--locale", &options.locale},
      {"--license", &options.license},
      {"--description", &options.description},
  };
  for (const GivenOption& option : given) {
    std::string* target = nullptr;
    for (const auto& [name, field] : fields) {
      if (option.name == name) target = field;
    }
    if (!target) {
      problem = "unknown option '" + option.argument + "'";
      return false;
    }
    *target = option.value;
  }
  if (files.size() != 1) {
    problem = "manifest takes exactly one setup package";
    return false;
  }
  options.setup = files[0];
  if (options.identifier.empty() || options.url.empty()) {
    problem = "manifest needs --identifier Publisher.Product and --url URL";
    return false;
  }
  if (const std::string why = IdentifierProblem(options.identifier); !why.empty()) {
    problem = "--identifier '" + options.identifier + "': " + why;
    return false;
  }
  const std::string scheme = options.url.substr(0, options.url.find("://") + 3);
  if ((scheme != "http://" && scheme != "https://") || options.url.size() == scheme.size()) {
    problem = "--url '" + options.url + "': expected an http:// or https:// address";
    return false;
  }
  return true;
}

std::string VersionManifest(const ManifestOptions& options, const SetupFacts& facts) {
  return Header("version") + Identity(options, facts) + "DefaultLocale: " + Quoted(options.locale) +
         "\n" + Footer("version");
}

std::string LocaleManifest(const ManifestOptions& options, const SetupFacts& facts) {
  std::string text =
      Header("defaultLocale") + Identity(options, facts) +
      "PackageLocale: " + Quoted(options.locale) +
      "\nPublisher: " + Quoted(facts.product.publisher) +
      "\nPackageName: " + Quoted(facts.product.name) + "\nLicense: " + Quoted(options.license) +
      "\nShortDescription: " +
      Quoted(options.description.empty() ? facts.product.name : options.description) + "\n";
  const std::string& link = facts.product.help_link;
  if (link.rfind("http://", 0) == 0 || link.rfind("https://", 0) == 0) {
    text += "PublisherSupportUrl: " + Quoted(link) + "\n";
  }
  return text + Footer("defaultLocale");
}

std::string InstallerManifest(const ManifestOptions& options, const SetupFacts& facts) {
  std::string text = Header("installer") + Identity(options, facts);
  text +=
      "InstallerType: exe\n"
      "InstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n"
      "InstallerSwitches:\n"
      "  Silent: /S\n"
      "  SilentWithProgress: /PASSIVE\n"
      "  Log: " +
      Quoted("/LOG=\"<LOGPATH>\"") +
      "\n"
      "  InstallLocation: " +
      Quoted("/D=\"<INSTALLPATH>\"") +
      "\n"
      "UpgradeBehavior: install\n"
      "ExpectedReturnCodes:\n";
  for (const ExitCode code : kAllExitCodes) {
    const char* response = ReturnResponseOf(code);
    if (!response) continue;
    text += "  - InstallerReturnCode: " + std::to_string(code) +
            "\n    ReturnResponse: " + response + "\n";
  }
  text += "Installers:\n";
  if (facts.scope == PackageScope::kBoth) {
    text += InstallerEntry(facts, options, "machine", "/ALLUSERS");
    text += InstallerEntry(facts, options, "user", "/CURRENTUSER");
  } else {
    text +=
        InstallerEntry(facts, options, facts.scope == PackageScope::kUser ? "user" : "machine", "");
  }
  return text + Footer("installer");
}

int RunManifest(const ManifestOptions& options, FILE* out, FILE* err) {
  SetupFacts facts;
  std::string problem;
  if (!ReadSetupFacts(options.setup, facts, problem)) {
    std::fprintf(err, "brindle-pack: error: %s\n", problem.c_str());
    return 1;
  }
  if (facts.version.empty()) {
    std::fprintf(err,
                 "brindle-pack: error: '%s' states no version; pack it with --product-version "
                 "(winget needs PackageVersion)\n",
                 options.setup.c_str());
    return 1;
  }
  if (facts.product.publisher.empty()) {
    std::fprintf(err,
                 "brindle-pack: error: '%s' names no publisher; pack it with --publisher "
                 "(winget needs Publisher)\n",
                 options.setup.c_str());
    return 1;
  }
  const std::string base = options.out + "/" + options.identifier;
  const std::pair<std::string, std::string> files[] = {
      {base + ".yaml", VersionManifest(options, facts)},
      {base + ".locale." + options.locale + ".yaml", LocaleManifest(options, facts)},
      {base + ".installer.yaml", InstallerManifest(options, facts)},
  };
  for (const auto& [path, text] : files) {
    if (!WriteManifestFile(path, text, problem)) {
      std::fprintf(err, "brindle-pack: error: %s\n", problem.c_str());
      return 1;
    }
    std::fprintf(out, "wrote %s\n", path.c_str());
  }
  return 0;
}
