#include "tools/sign_command.h"

#include "json/json_value.h"
#include "setup/package_format.h"
#include "tools/pending_file.h"
#include "tools/signed_uninstaller.h"
#include "tools/tool_files.h"

namespace {

// Why `path` is no intact setup package, or empty when it is one.
std::string SetupPackageProblem(const std::string& path) {
  StreamByteSource file(path);
  if (!file.IsOpen()) return "cannot be opened: " + file.problem();
  JsonValue config;
  PackageLocation location;
  PackageError error = LoadPackageConfig(file, config, location);
  if (error == PackageError::kNone && config["mode"].toInt64() != 1) {
    return "is no setup package (its config's \"mode\" is not 1); sign the package that "
           "brindle-pack pack wrote";
  }
  ArchiveRange range;
  if (error == PackageError::kNone) {
    error = LocatePayloadArchive(file, location.package_offset, location.config_length, range);
  }
  if (error == PackageError::kNone) return std::string();
  return std::string("breaks the package layout: ") + DescribePackageError(error);
}

}  // namespace

bool ParseSignOptions(const std::vector<std::string>& arguments, SignCommandOptions& options,
                      std::string& problem) {
  options = SignCommandOptions{};
  std::vector<std::string> files;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::string option = argument;
    if (option.rfind("-", 0) != 0) {
      files.push_back(option);
      continue;
    }
    std::string value;
    const size_t equals = option.find('=');
    if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = option.substr(equals + 1);
      option.resize(equals);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      problem = "option " + option + " needs a value";
      return false;
    }
    std::string* target = option == "-o" || option == "--output"
                              ? &options.output
                              : SigningOptionField(option, options.signing);
    if (!target) {
      problem = "unknown option '" + argument + "'";
      return false;
    }
    *target = value;
  }
  if (!options.signing.Requested()) {
    problem = "option --cert is required";
    return false;
  }
  if (files.size() != 1) {
    problem = "sign takes exactly one file";
    return false;
  }
  options.file = files[0];
  return true;
}

int RunSign(const SignCommandOptions& options, FILE* out, FILE* err) {
  std::vector<std::string> problems;
  CheckSigningOptions(options.signing, problems);
  if (std::string problem = SetupPackageProblem(options.file); !problem.empty()) {
    problems.push_back("'" + options.file + "' " + problem);
  }
  for (const std::string& problem : problems) {
    std::fprintf(err, "brindle-pack: error: %s\n", problem.c_str());
  }
  if (!problems.empty()) return 1;
  const std::string output = options.output.empty() ? options.file : options.output;
  PendingFile prepared;
  PendingFile signed_file;
  std::string problem;
  if (!PrepareForSigning(options.signing, options.file, output, prepared, problem) ||
      !signed_file.Create(output, "signed", problem) || !signed_file.Vacate() ||
      !SignFile(options.signing, prepared.path(), signed_file.path(), problem) ||
      !signed_file.Commit(output, true, problem)) {
    std::fprintf(err, "brindle-pack: error: '%s' cannot be signed: %s\n", options.file.c_str(),
                 problem.c_str());
    return 1;
  }
  std::fprintf(out, "signed %s\n", output.c_str());
  return 0;
}
