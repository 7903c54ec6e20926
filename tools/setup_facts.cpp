#include "tools/setup_facts.h"

#include "json/json_value.h"
#include "setup/package_format.h"
#include "tools/pe_stub.h"
#include "tools/sha256.h"
#include "tools/tool_files.h"

namespace {

constexpr char kUninstallPath[] = "Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace

bool ReadSetupFacts(const std::string& path, SetupFacts& facts, std::string& problem) {
  facts = SetupFacts{};
  StreamByteSource file(path);
  if (!file.IsOpen()) {
    problem = "'" + path + "': cannot be opened: " + file.problem();
    return false;
  }
  JsonValue config;
  PackageLocation location;
  const PackageError error = LoadPackageConfig(file, config, location);
  if (error != PackageError::kNone) {
    problem = "'" + path + "' is no setup package: " + DescribePackageError(error);
    return false;
  }
  if (!config.hasMember("mode") || config["mode"].toInt64() != 1) {
    problem = "'" + path + "' is no setup package (an uninstaller copy?)";
    return false;
  }
  unsigned char machine[2] = {};
  const char* architecture =
      file.ReadAt(location.lfanew + 4, machine, sizeof machine)
          ? ArchitectureOf(static_cast<uint16_t>(machine[0] | machine[1] << 8))
          : nullptr;
  if (!architecture) {
    problem = "'" + path + "': the program image is for an unknown machine";
    return false;
  }
  facts.architecture = architecture;
  std::string rule;
  if (!ReadProductIdentity(config, facts.product, rule) ||
      !ReadPackageScope(config, facts.scope, rule)) {
    problem = "'" + path + "': " + rule;
    return false;
  }
  if (config.hasMember("version")) facts.version = config["version"].toCString();
  facts.sha256 = FileSha256(path, problem);
  return !facts.sha256.empty();
}

std::vector<std::string> UninstallKeyPaths(const SetupFacts& facts) {
  std::vector<std::string> paths;
  if (facts.scope != PackageScope::kUser) {
    const bool wow64 = facts.architecture == "x86";
    paths.push_back(std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\") + (wow64 ? "WOW6432Node\\" : "") +
                    kUninstallPath + facts.product.id);
  }
  if (facts.scope != PackageScope::kMachine) {
    paths.push_back(std::string("HKEY_CURRENT_USER\\Software\\") + kUninstallPath +
                    facts.product.id);
  }
  return paths;
}

void PrintDeploymentFacts(const std::string& path, FILE* out) {
  SetupFacts facts;
  std::string problem;
  if (!ReadSetupFacts(path, facts, problem)) {
    std::fprintf(out, "sha-256:         not known: %s\n", problem.c_str());
    return;
  }
  std::fprintf(out, "sha-256:         %s\n", facts.sha256.c_str());
  std::fprintf(out, "product code:    %s (the Uninstall subkey)\n", facts.product.id.c_str());
  for (const std::string& key : UninstallKeyPaths(facts)) {
    const bool wow64 = key.find("WOW6432Node") != std::string::npos;
    std::fprintf(out, "uninstall key:   %s%s\n", key.c_str(),
                 wow64 ? " (64-bit Windows; 32-bit Windows has no WOW6432Node)" : "");
  }
}
