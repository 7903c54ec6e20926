// Authenticode signing and checking of setup packages through osslsigncode (Debian's package of
// that name). The signature goes behind the package: osslsigncode appends the certificate table
// at the end of the file and names it in the image's certificate table entry; the package
// readers ignore bytes behind the archive.
//
// The program is "osslsigncode" from PATH, or the path in the environment variable
// BRINDLE_OSSLSIGNCODE.
#ifndef BRINDLE_TOOLS_SIGNING_H_
#define BRINDLE_TOOLS_SIGNING_H_

#include <string>
#include <vector>

struct SigningOptions {
  std::string cert;           // PKCS#12 file with key and certificate, or certificates (PEM/DER)
  std::string key;            // the private key when `cert` holds certificates only
  std::string password_file;  // the key's password: the first line of this file ...
  std::string password_env;   // ... or the value of this environment variable
  std::string timestamp;      // RFC 3161 time-stamp server address; none when empty

  bool Requested() const { return !cert.empty(); }
};

// The member of `options` that the command-line option `option` sets (--cert, --key,
// --password-file, --password-env, --timestamp); null when it is no signing option.
std::string* SigningOptionField(const std::string& option, SigningOptions& options);

// Adds one message per problem to `problems`: signing options without --cert, both password
// sources, an environment variable that is not set, unreadable files.
void CheckSigningOptions(const SigningOptions& options, std::vector<std::string>& problems);

// Signs `input` into the new file `output` (another path; its old content is replaced) with a
// SHA-256 Authenticode signature. The password never appears on a command line: osslsigncode
// reads the password file itself, or gets the variable's value on its standard input. False with
// `problem` set (osslsigncode's own message included) on failure.
bool SignFile(const SigningOptions& options, const std::string& input, const std::string& output,
              std::string& problem);

// What osslsigncode verify says of a signed file.
struct SignatureCheck {
  bool ran = false;           // osslsigncode could be run; otherwise `problem` says why
  std::string signer;         // the signer's subject, as osslsigncode prints it
  bool hash_matches = false;  // the file's hash still equals the signed one
  bool trusted = false;       // the certificate chain verified against the CA file
  std::string trust_problem;  // osslsigncode's reason when it did not (first "Error:" line)
  std::string problem;
};

// Runs "osslsigncode verify" on `path`, with `ca_file` as its CA file when not empty (otherwise
// the system's).
SignatureCheck CheckSignature(const std::string& path, const std::string& ca_file);

// Reads the report of "osslsigncode verify" (its output and exit code) into `check`.
void ParseVerifyReport(const std::string& output, int exit_code, SignatureCheck& check);

#endif  // BRINDLE_TOOLS_SIGNING_H_
