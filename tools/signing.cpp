#include "tools/signing.h"

#include <cstdlib>
#include <sstream>

#include "tools/host_system.h"

namespace {

std::string Program() {
  const char* configured = std::getenv("BRINDLE_OSSLSIGNCODE");
  return configured && *configured ? configured : "osslsigncode";
}

bool Readable(const std::string& path) {
  FILE* file = OpenFile(path, "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t\r") + 1 - begin);
}

// The text after the first ':' of `line`, trimmed.
std::string ValueOf(const std::string& line) { return Trim(line.substr(line.find(':') + 1)); }

// The first word of `text` (a digest before osslsigncode's "MISMATCH!!!" mark).
std::string FirstWord(const std::string& text) { return text.substr(0, text.find(' ')); }

std::string LastLines(const std::string& output) {
  std::string text = Trim(output);
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

std::string* SigningOptionField(const std::string& option, SigningOptions& options) {
  return option == "--cert"            ? &options.cert
         : option == "--key"           ? &options.key
         : option == "--password-file" ? &options.password_file
         : option == "--password-env"  ? &options.password_env
         : option == "--timestamp"     ? &options.timestamp
                                       : nullptr;
}

void CheckSigningOptions(const SigningOptions& options, std::vector<std::string>& problems) {
  if (!options.Requested()) {
    if (!options.key.empty() || !options.password_file.empty() || !options.password_env.empty() ||
        !options.timestamp.empty()) {
      problems.push_back("signing options without --cert: give the certificate to sign with");
    }
    return;
  }
  if (!options.password_file.empty() && !options.password_env.empty()) {
    problems.push_back("--password-file and --password-env: give the password one way only");
  }
  if (!options.password_env.empty() && !std::getenv(options.password_env.c_str())) {
    problems.push_back("--password-env: the environment variable " + options.password_env +
                       " is not set");
  }
  for (const auto& [option, path] : {std::pair<std::string, std::string>{"--cert", options.cert},
                                     {"--key", options.key},
                                     {"--password-file", options.password_file}}) {
    if (!path.empty() && !Readable(path)) {
      problems.push_back(option + " '" + path + "' cannot be read");
    }
  }
}

bool SignFile(const SigningOptions& options, const std::string& input, const std::string& output,
              std::string& problem) {
  std::vector<std::string> arguments = {"sign"};
  if (options.key.empty()) {
    arguments.insert(arguments.end(), {"-pkcs12", options.cert});
  } else {
    arguments.insert(arguments.end(), {"-certs", options.cert, "-key", options.key});
  }
  std::string password;
  if (!options.password_file.empty()) {
    arguments.insert(arguments.end(), {"-readpass", options.password_file});
  } else if (!options.password_env.empty()) {
    const char* value = std::getenv(options.password_env.c_str());
    password = std::string(value ? value : "") + "\n";
    arguments.insert(arguments.end(), {"-readpass", "-"});
  }
  arguments.insert(arguments.end(), {"-h", "sha256"});
  if (!options.timestamp.empty()) arguments.insert(arguments.end(), {"-ts", options.timestamp});
  arguments.insert(arguments.end(), {"-in", input, "-out", output});
  const ProgramRun run = RunProgram(Program(), arguments, password);
  if (run.exit_code == 0) return true;
  problem = run.exit_code < 0 && !run.problem.empty()
                ? run.problem + " (install osslsigncode, or name it in BRINDLE_OSSLSIGNCODE)"
                : "osslsigncode could not sign it: " + LastLines(run.output);
  return false;
}

SignatureCheck CheckSignature(const std::string& path, const std::string& ca_file) {
  std::vector<std::string> arguments = {"verify"};
  if (!ca_file.empty()) arguments.insert(arguments.end(), {"-CAfile", ca_file});
  arguments.insert(arguments.end(), {"-in", path});
  const ProgramRun run = RunProgram(Program(), arguments, std::string());
  SignatureCheck check;
  if (run.exit_code < 0) {
    check.problem = run.problem.empty() ? "osslsigncode did not end normally"
                                        : run.problem +
                                              " (install osslsigncode, or name it in "
                                              "BRINDLE_OSSLSIGNCODE)";
    return check;
  }
  ParseVerifyReport(run.output, run.exit_code, check);
  return check;
}

void ParseVerifyReport(const std::string& output, int exit_code, SignatureCheck& check) {
  check.ran = true;
  std::string current;
  std::string calculated;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const std::string text = Trim(line);
    if (text.rfind("Current message digest", 0) == 0) {
      current = FirstWord(ValueOf(text));
    } else if (text.rfind("Calculated message digest", 0) == 0) {
      calculated = FirstWord(ValueOf(text));
    } else if (text.rfind("Subject:", 0) == 0 && check.signer.empty()) {
      check.signer = ValueOf(text);
    } else if (text.rfind("Error:", 0) == 0 && check.trust_problem.empty()) {
      check.trust_problem = ValueOf(text);
    } else if (text == "Signature verification: ok") {
      check.trusted = true;
    }
  }
  check.hash_matches = !current.empty() && current == calculated;
  check.trusted = check.trusted && check.hash_matches && exit_code == 0;
  if (current.empty()) check.problem = "osslsigncode found no readable signature";
}
