// Byte-level layout of a setup package and of an uninstaller copy.
//
// Behind the program image an executable carries its package:
//
//   0 .. P-1          the program image; P is stored as u32 at e_lfanew - 4
//   P                 config length L (u32)
//   P + 4             the package config: L bytes of UTF-8 JSON, no terminating zero
//   P + 4 + L         archive length Z (u32, setup package only)
//   P + 8 + L         the payload archive: Z bytes of ZIP (setup package only)
//   P + 8 + L + Z     anything; readers ignore it
//
// All integers are unsigned 32-bit little-endian. L is at most kMaxConfigLength (64 MiB): a
// config holds the product's settings, the Base64 licence and a Base64 skin container of a few
// hundred KB; a larger L is a damaged package, refused before anything is allocated for it. This
// file holds the rules that need no
// platform: it reads through a positioned ByteSource (a byte buffer here, a Win32 file in
// package_layout.h) and writes through a ByteSink.
#ifndef BRINDLE_SETUP_PACKAGE_FORMAT_H_
#define BRINDLE_SETUP_PACKAGE_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class JsonValue;

// Size of the DOS header and the offset of its e_lfanew field (the PE signature's offset).
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kLfanewOffset = 60;

// The longest package config a reader takes, in bytes.
constexpr uint32_t kMaxConfigLength = uint32_t{64} << 20;

// Positioned, read-only access to a whole file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Total size in bytes.
  virtual uint64_t Size() const = 0;
  // Reads exactly `size` bytes at `offset` into `buffer`. False when the range is not wholly
  // inside the source or the read fails; the buffer's content is then unspecified.
  virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

// A ByteSource over borrowed bytes; the bytes must outlive the source.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  std::string_view bytes_;
};

// Sequential output. Write returns false when not all bytes could be written.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const void* data, size_t size) = 0;
};

// A ByteSink that appends to a borrowed string.
class StringByteSink final : public ByteSink {
 public:
  explicit StringByteSink(std::string& out) : out_(out) {}
  bool Write(const void* data, size_t size) override;

 private:
  std::string& out_;
};

// The rule a file breaks when it has no (usable) package. Every value but kNone means "no
// package" to the system's readers; the packing tool prints the rule.
enum class PackageError {
  kNone,
  kReadFailed,       // a read inside the file's size failed
  kNoDosHeader,      // the file is shorter than the 64-byte DOS header
  kNoOffsetField,    // the 4 bytes at e_lfanew - 4 are not inside the file
  kZeroOffset,       // the package offset P is 0
  kOffsetPastEnd,    // P is not less than the file size
  kNoConfigLength,   // fewer than 4 bytes follow P
  kConfigPastEnd,    // 4 + L > file size - P
  kConfigTooLong,    // L > kMaxConfigLength
  kConfigSyntax,     // the L config bytes are not a JSON document
  kNoArchiveLength,  // fewer than 4 bytes follow the config
  kArchivePastEnd,   // 8 + L + Z > file size - P
};

// One line naming the broken rule, in English, without a trailing period.
const char* DescribePackageError(PackageError error);

// Where a package lies in its file.
struct PackageLocation {
  uint64_t lfanew = 0;          // the DOS header's e_lfanew; P is stored at lfanew - 4
  uint32_t package_offset = 0;  // P, the file offset of the package (0 < P < file_size)
  uint64_t file_size = 0;       // size of the whole file in bytes
  uint32_t config_length = 0;   // L; set by the config readers, 0 until then
};

// The payload archive's place in its file.
struct ArchiveRange {
  uint64_t offset = 0;  // P + 8 + L
  uint32_t length = 0;  // Z
};

// Reads e_lfanew and P and checks 0 < P < file size. Fills `location` except config_length.
PackageError LocatePackage(ByteSource& file, PackageLocation& location);

// LocatePackage, then reads L and the L config bytes into `text` (exactly those bytes) and sets
// location.config_length. A config past the end of the file or longer than kMaxConfigLength is
// refused without reading it.
PackageError ReadPackageConfigText(ByteSource& file, PackageLocation& location, std::string& text);

// ReadPackageConfigText, then parses the text as one JSON document into `config`. On a syntax
// error `config` may hold a partly built value.
PackageError LoadPackageConfig(ByteSource& file, JsonValue& config, PackageLocation& location);

// Parses config text as the readers do: the text up to its first zero byte, one JSON document.
bool ParsePackageConfigText(const std::string& text, JsonValue& config);

// Reads Z behind the config of the package at P with config length L and checks that the archive
// lies inside the file. The archive itself is not read, so a caller can read it in place.
PackageError LocatePayloadArchive(ByteSource& file, uint32_t package_offset, uint32_t config_length,
                                  ArchiveRange& range);

// The Z archive bytes of a whole setup package held in memory. False (and `archive` empty) when
// the file breaks a rule.
bool LoadPayloadArchive(std::string_view file, uint32_t package_offset, uint32_t config_length,
                        std::string& archive);

// Config text as the system writes it: the writer's compact form with its final line feed.
std::string FormatPackageConfig(const JsonValue& config);

// Streams the uninstaller copy of a setup package: bytes 0..P-1 of `setup_file` (read in chunks),
// then L' and the config text, nothing after. The copy's package offset is P too. The image bytes
// are unchanged, except that the copy of a signed setup (a PE image whose certificate table entry
// is set) has that entry and its CheckSum zeroed: the copy is a valid unsigned image.
// False when P is 0 or beyond the source, a read fails, the text does not fit u32, or the sink
// fails; the sink may then hold a partial copy.
bool WriteUninstallerCopy(ByteSource& setup_file, uint32_t package_offset, const JsonValue& config,
                          ByteSink& sink);

// The uninstaller copy in memory: exactly P + 4 + L' bytes. False (and `copy` empty) in the
// cases where WriteUninstallerCopy fails.
bool BuildUninstallerCopy(std::string_view setup_file, uint32_t package_offset,
                          const JsonValue& config, std::string& copy);

// Little-endian u32 helpers for the container's integers.
uint32_t LoadU32(const unsigned char* bytes);
void StoreU32(uint32_t value, unsigned char* bytes);
void AppendU32(uint32_t value, std::string& out);

#endif  // BRINDLE_SETUP_PACKAGE_FORMAT_H_
