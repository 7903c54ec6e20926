#include "tools/version_resource.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "setup/pe_image.h"

namespace {

constexpr uint32_t kVersionType = 16;  // RT_VERSION
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kMaxVersionSize = 64 * 1024;

uint16_t U16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t U32(const std::string& bytes, size_t at) {
  return LoadU32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

// The resource section's bytes and where its directory starts, for walking the directory tree.
class ResourceTree {
 public:
  ResourceTree(ByteSource& file, const PeImageFields& fields) : file_(file), fields_(fields) {}

  // The entry of `directory` (an offset from the resource root) with the id `id`, or its first
  // entry when `id` is 0. Its data is a subdirectory offset or a data entry offset.
  bool Find(uint32_t directory, uint32_t id, uint32_t& data) {
    unsigned char header[16];
    if (!Read(directory, header, sizeof header)) return false;
    const uint32_t count = uint32_t{LoadU16(header + 12)} + LoadU16(header + 14);
    for (uint32_t i = 0; i < count; ++i) {
      unsigned char entry[8];
      if (!Read(directory + 16 + 8 * i, entry, sizeof entry)) return false;
      if (id == 0 || LoadU32(entry) == id) {
        data = LoadU32(entry + 4);
        return true;
      }
    }
    return false;
  }

  // The bytes of the data entry at `entry`.
  bool Data(uint32_t entry, std::string& bytes) {
    unsigned char fields[8];
    if (!Read(entry, fields, sizeof fields)) return false;
    const uint32_t rva = LoadU32(fields);
    const uint32_t size = LoadU32(fields + 4);
    uint64_t offset = 0;
    if (size > kMaxVersionSize || !RvaToFileOffset(fields_, rva, size, offset)) return false;
    bytes.resize(size);
    return file_.ReadAt(offset, bytes.data(), size);
  }

 private:
  static uint16_t LoadU16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
  }

  bool Read(uint32_t offset, unsigned char* buffer, uint32_t size) {
    uint64_t at = 0;
    return offset < fields_.resources.size &&
           RvaToFileOffset(fields_, fields_.resources.address + offset, size, at) &&
           file_.ReadAt(at, buffer, size);
  }

  ByteSource& file_;
  const PeImageFields& fields_;
};

// One block of a version resource: wLength, wValueLength, wType, a zero-terminated UTF-16 key,
// padding to 4 bytes, the value, padding, then child blocks up to wLength.
struct Block {
  size_t begin = 0;
  size_t end = 0;
  std::u16string key;
  size_t value = 0;  // offset of the value
  uint16_t value_length = 0;
  size_t children = 0;  // offset of the first child block
};

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

bool ReadBlock(const std::string& bytes, size_t begin, size_t limit, Block& block) {
  if (begin + 6 > limit) return false;
  const uint16_t length = U16(bytes, begin);
  if (length < 6 || begin + length > limit) return false;
  block = Block{};
  block.begin = begin;
  block.end = begin + length;
  block.value_length = U16(bytes, begin + 2);
  const bool text = U16(bytes, begin + 4) == 1;
  size_t at = begin + 6;
  for (; at + 2 <= block.end && U16(bytes, at) != 0; at += 2) {
    block.key += static_cast<char16_t>(U16(bytes, at));
  }
  block.value = Align4(at + 2);
  const size_t value_bytes = text ? size_t{block.value_length} * 2 : block.value_length;
  block.children = std::min(Align4(block.value + value_bytes), block.end);
  return block.value <= block.end;
}

std::vector<Block> Children(const std::string& bytes, const Block& parent) {
  std::vector<Block> children;
  Block child;
  for (size_t at = parent.children; ReadBlock(bytes, at, parent.end, child);
       at = Align4(child.end)) {
    children.push_back(child);
  }
  return children;
}

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::string Trim(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

// The "ProductVersion" value of the first string table that has one.
std::string StringProductVersion(const std::string& bytes, const Block& root) {
  for (const Block& info : Children(bytes, root)) {
    if (info.key != u"StringFileInfo") continue;
    for (const Block& table : Children(bytes, info)) {
      for (const Block& entry : Children(bytes, table)) {
        if (entry.key != u"ProductVersion") continue;
        std::u16string value;
        for (size_t at = entry.value; at + 2 <= entry.end && U16(bytes, at) != 0; at += 2) {
          value += static_cast<char16_t>(U16(bytes, at));
        }
        const std::string version = Trim(Utf8(value));
        if (!version.empty()) return version;
      }
    }
  }
  return std::string();
}

// VS_FIXEDFILEINFO's dwProductVersionMS and dwProductVersionLS as "a.b.c.d".
std::string FixedProductVersion(const std::string& bytes, const Block& root) {
  if (root.value_length < 52 || root.value + 52 > root.end ||
      U32(bytes, root.value) != kFixedInfoSignature) {
    return std::string();
  }
  const uint32_t high = U32(bytes, root.value + 16);
  const uint32_t low = U32(bytes, root.value + 20);
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
         std::to_string(low >> 16) + "." + std::to_string(low & 0xFFFF);
}

}  // namespace

std::string ReadProductVersion(ByteSource& program) {
  PeImageFields fields;
  if (!ReadPeImageFields(program, fields) || fields.resources.size == 0) return std::string();
  ResourceTree tree(program, fields);
  uint32_t names = 0;
  uint32_t languages = 0;
  uint32_t entry = 0;
  std::string bytes;
  if (!tree.Find(0, kVersionType, names) || !(names & kSubdirectoryFlag) ||
      !tree.Find(names & ~kSubdirectoryFlag, 0, languages) || !(languages & kSubdirectoryFlag) ||
      !tree.Find(languages & ~kSubdirectoryFlag, 0, entry) || (entry & kSubdirectoryFlag) ||
      !tree.Data(entry, bytes)) {
    return std::string();
  }
  Block root;
  if (!ReadBlock(bytes, 0, bytes.size(), root) || root.key != u"VS_VERSION_INFO") {
    return std::string();
  }
  const std::string version = StringProductVersion(bytes, root);
  return version.empty() ? FixedProductVersion(bytes, root) : version;
}
