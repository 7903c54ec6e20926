#include "tools/inspect_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstring>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/package_format.h"
#include "tools/pe_stub.h"
#include "tools/text_checks.h"
#include "tools/zip_listing.h"

namespace {

// A ByteSource over a file descriptor, read with pread.
class PosixFileSource final : public ByteSource {
 public:
  explicit PosixFileSource(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {
    struct stat info;
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<uint64_t>(info.st_size);
    } else if (fd_ >= 0) {
      close(fd_);
      fd_ = -1;
      errno = EISDIR;
    }
  }
  ~PosixFileSource() override {
    if (fd_ >= 0) close(fd_);
  }
  PosixFileSource(const PosixFileSource&) = delete;
  PosixFileSource& operator=(const PosixFileSource&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
    if (offset > size_ || size > size_ - offset) return false;
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
      const ssize_t read = pread(fd_, out, size, static_cast<off_t>(offset));
      if (read <= 0) return false;
      out += read;
      offset += static_cast<uint64_t>(read);
      size -= static_cast<size_t>(read);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_ = 0;
};

using u64 = unsigned long long;

class Inspector {
 public:
  Inspector(const std::string& path, FILE* out, FILE* err)
      : path_(path), out_(out), err_(err), file_(path) {}

  int Run() {
    if (!file_.IsOpen()) {
      std::fprintf(err_, "brindle-pack: '%s': cannot be opened: %s\n", path_.c_str(),
                   std::strerror(errno));
      return 1;
    }
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
    std::fprintf(out_, "config:          %s", formatted.c_str());
    if (formatted != text) {
      std::fprintf(out_, "                 (the stored text differs from this compact form)\n");
    }
    if (!config.hasMember("mode")) return Broken("the package config has no \"mode\" member");
    const int64_t mode = config["mode"].toInt64();
    if (mode == 1) return InspectSetupPackage(config);
    if (mode == 0) return InspectUninstallerCopy(config);
    return Broken("the config's \"mode\" " + std::to_string(mode) +
                  " is neither 1 (setup package) nor 0 (uninstaller copy)");
  }

 private:
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

  void PrintLicence(const JsonValue& config) {
    const std::string licence = Base64DecodeText(config["protocol"].toCString());
    size_t lines = licence.empty() ? 0 : 1;
    for (size_t at = 0; (at = licence.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    const std::string first_line = licence.substr(0, licence.find_first_of("\r\n"));
    std::fprintf(out_, "licence:         %zu bytes, %zu lines%s, first line \"%s\"\n",
                 licence.size(), lines, IsValidUtf8(licence) ? "" : " (NOT valid UTF-8)",
                 first_line.c_str());
  }

  int InspectSetupPackage(const JsonValue& config) {
    std::fprintf(out_, "kind:            setup package (mode 1)\n");
    PrintLicence(config);
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
  FILE* out_;
  FILE* err_;
  PosixFileSource file_;
  PackageLocation location_;
};

}  // namespace

int RunInspect(const std::string& path, FILE* out, FILE* err) {
  return Inspector(path, out, err).Run();
}
