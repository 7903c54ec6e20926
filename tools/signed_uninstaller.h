// The signed uninstaller a signed setup package carries (setup/uninstaller_image.h): made and
// signed by "pack --cert" and "sign", reported by "inspect".
#ifndef BRINDLE_TOOLS_SIGNED_UNINSTALLER_H_
#define BRINDLE_TOOLS_SIGNED_UNINSTALLER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/pending_file.h"
#include "tools/signing.h"

class JsonValue;

// Builds the uninstaller image from `stub` (the program image of the package, P = its size; the
// package offset is stored at `lfanew` - 4 in the image's copy), signs it with `options` through a
// pending file beside `output`, and stores Base64 of the signed file in `setup_config` as
// "signeduninstaller", replacing one there. False with `problem` set when writing or signing
// fails.
bool AddSignedUninstaller(const SigningOptions& options, std::string stub, uint32_t lfanew,
                          const std::string& output, JsonValue& setup_config, std::string& problem);

// Writes the setup package `input` anew into `prepared` (a pending file beside `output`), ready
// for signing: its program image with any earlier signature's fields cleared, its config with a
// newly signed uninstaller, its archive, and nothing behind the archive. False with `problem`
// set when the package cannot be read or the uninstaller not be signed.
bool PrepareForSigning(const SigningOptions& options, const std::string& input,
                       const std::string& output, PendingFile& prepared, std::string& problem);

// What inspect says of the signed uninstaller in the setup config `setup_config`, whose own
// signature names `setup_signer` (empty when the setup is unsigned or was not checked): none, or
// the uninstaller's size, its signer, whether its hash matches and whether that signer is the
// setup's. Checked with osslsigncode verify and `ca_file` (CheckSignature). Returns 1 (after a
// message on `err`) when the member is damaged, the uninstaller's hash does not match or its
// signer differs from the setup's; otherwise 0.
int ReportSignedUninstaller(const JsonValue& setup_config, const std::string& setup_signer,
                            const std::string& ca_file, FILE* out, FILE* err);

#endif  // BRINDLE_TOOLS_SIGNED_UNINSTALLER_H_
