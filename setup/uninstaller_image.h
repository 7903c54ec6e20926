// The signed uninstaller: an uninstaller program that a package carries ready made, so that the
// publisher's Authenticode signature covers it as it will lie in the install folder.
//
// A signature covers every byte of a file but its certificate table, so an uninstaller whose
// config is written on the user's machine cannot carry one. The packer therefore signs a second
// image, the setup program with the fixed config {"mode":0,"record":"beside"}, and puts it into
// the setup config as "signeduninstaller" (Base64 of the signed file). The install writes those
// bytes unchanged as the uninstaller ("uninsNNN.exe") and the record of the installation, a
// config of the uninstaller's form with "record":"beside" kept in it, into the record file beside
// it ("uninsNNN.dat"). Every reader of an uninstaller's config (package_layout.h) follows that
// member to the record file. A package without the member writes the uninstaller as before: the
// setup's image with the record as its config.
//
// Platform-free: used by the packer on any system and by the setup program.
#ifndef BRINDLE_SETUP_UNINSTALLER_IMAGE_H_
#define BRINDLE_SETUP_UNINSTALLER_IMAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

class JsonValue;

// The setup config's member with Base64 of the signed uninstaller image.
inline constexpr char kSignedUninstallerMember[] = "signeduninstaller";
// The member, and its one value, that says the record lies in the file beside the uninstaller.
inline constexpr char kRecordMember[] = "record";
inline constexpr char kRecordBeside[] = "beside";

// The record file of "unins000.exe" (the name of the temporary uninstaller copy).
inline constexpr wchar_t kUninstallerRecordFileName[] = L"unins000.dat";

// The config of the signed uninstaller image: {"mode":0,"record":"beside"}.
JsonValue RecordBesideConfig();

// True when `config` is a mode-0 config whose "record" is "beside".
bool NamesRecordBeside(const JsonValue& config);

// The record file of the uninstaller `uninstaller` (a full path): the same path with ".dat" in
// place of a final ".exe" (compared without regard to case), or with ".dat" added.
std::wstring RecordPathBeside(const std::wstring& uninstaller);

// The signed uninstaller image that `setup_config` carries, decoded, in `image`. False (and
// `image` empty) when there is none, or when the bytes are no package whose config names the
// record beside (a damaged member, or one of another kind).
bool SignedUninstallerImage(const JsonValue& setup_config, std::string& image);

// The unsigned uninstaller image that the packer hands to the signing tool: the program image of
// `setup_image` (its first `package_offset` bytes, the package offset already stored at
// e_lfanew - 4; any signature fields cleared) followed by RecordBesideConfig(). False when the
// offset lies beyond the bytes.
bool BuildRecordBesideImage(std::string_view setup_image, uint32_t package_offset,
                            std::string& image);

#endif  // BRINDLE_SETUP_UNINSTALLER_IMAGE_H_
