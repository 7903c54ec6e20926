#include "tools/pe_resources.h"

#include <algorithm>
#include <deque>
#include <map>
#include <utility>

#include "setup/package_format.h"
#include "setup/pe_image.h"

namespace {

constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kMaxDepth = 8;
constexpr size_t kMaxEntries = 65536;
// Entries may share data; the copies the reader makes stay below this many times the image.
constexpr uint64_t kMaxDataPerImageByte = 4;
constexpr uint32_t kDirectoryHeaderSize = 16;
constexpr uint32_t kEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kInitializedData = 0x40;  // IMAGE_SCN_CNT_INITIALIZED_DATA
constexpr uint32_t kReadable = 0x40000000u;  // IMAGE_SCN_MEM_READ
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kRelocationDirectoryIndex = 5;

uint16_t Get16(std::string_view bytes, uint64_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t Get32(std::string_view bytes, uint64_t at) {
  return LoadU32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

void Put16(std::string& bytes, uint64_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, uint64_t at, uint32_t value) {
  StoreU32(value, reinterpret_cast<unsigned char*>(&bytes[at]));
}

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// File offsets of the header fields that the writer changes; the same in PE32 and PE32+ except
// the data directories.
struct PeLayout {
  uint64_t section_count_field = 0;
  uint64_t optional = 0;
  uint64_t resource_entry = 0;
  uint64_t relocation_entry = 0;  // 0: the image has no such entry
  uint64_t section_table = 0;
  uint16_t section_count = 0;
  uint32_t section_alignment = 0;
  uint32_t file_alignment = 0;
  uint32_t size_of_headers = 0;
};

constexpr uint32_t kMaxFileAlignment = 0x10000;

// Fills `layout` from the headers that ReadPeImageFields has already found sound.
bool ReadLayout(std::string_view image, PeLayout& layout) {
  const uint64_t coff = uint64_t{Get32(image, kLfanewOffset)} + 4;
  layout.section_count_field = coff + 2;
  layout.section_count = Get16(image, coff + 2);
  layout.optional = coff + 20;
  const bool plus = Get16(image, layout.optional) == 0x20B;
  const uint64_t directories = layout.optional + (plus ? 112 : 96);
  layout.resource_entry = directories + 8 * kResourceDirectoryIndex;
  const uint32_t directory_count = Get32(image, directories - 4);  // NumberOfRvaAndSizes
  layout.relocation_entry =
      directory_count > kRelocationDirectoryIndex ? directories + 8 * kRelocationDirectoryIndex : 0;
  layout.section_table = layout.optional + Get16(image, coff + 16);
  layout.section_alignment = Get32(image, layout.optional + 32);
  layout.file_alignment = Get32(image, layout.optional + 36);
  layout.size_of_headers = Get32(image, layout.optional + 60);
  // A file alignment over 64 KiB is none a PE image may have, and the padding up to it would be
  // allocated for a new section.
  return IsPowerOfTwo(layout.section_alignment) && IsPowerOfTwo(layout.file_alignment) &&
         layout.file_alignment <= kMaxFileAlignment;
}

class TreeReader {
 public:
  TreeReader(std::string_view image, const PeImageFields& fields)
      : image_(image), fields_(fields) {}

  bool Read(ResourceNode& root, std::string& problem) {
    const bool read = ReadDirectory(0, 0, root);
    problem = problem_;
    return read;
  }

 private:
  bool Fail(const std::string& problem) {
    if (problem_.empty()) problem_ = problem;
    return false;
  }

  // The file offset of `size` bytes at `offset` from the start of the resource directory, when
  // they lie in a section's raw data inside the file.
  bool At(uint32_t offset, uint32_t size, uint64_t& at) {
    const uint64_t rva = uint64_t{fields_.resources.address} + offset;
    return rva <= UINT32_MAX && Inside(static_cast<uint32_t>(rva), size, at);
  }

  bool Inside(uint32_t rva, uint32_t size, uint64_t& at) {
    return RvaToFileOffset(fields_, rva, size, at) && at <= image_.size() &&
           size <= image_.size() - at;
  }

  bool ReadDirectory(uint32_t offset, int depth, ResourceNode& node) {
    uint64_t at = 0;
    if (depth > kMaxDepth) return Fail("its resource tree is deeper than 8 levels (a loop?)");
    if (!At(offset, kDirectoryHeaderSize, at)) {
      return Fail("its resource directory lies outside the image's sections");
    }
    node.characteristics = Get32(image_, at);
    node.time_stamp = Get32(image_, at + 4);
    node.major_version = Get16(image_, at + 8);
    node.minor_version = Get16(image_, at + 10);
    const uint32_t count = uint32_t{Get16(image_, at + 12)} + Get16(image_, at + 14);
    entries_ += count;
    if (entries_ > kMaxEntries) return Fail("its resource tree has more than 65536 entries");
    uint64_t entries = 0;
    if (!At(offset + kDirectoryHeaderSize, count * kEntrySize, entries)) {
      return Fail("its resource directory's entries lie outside the image's sections");
    }
    node.children.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
      if (!ReadEntry(entries + i * kEntrySize, depth, node.children[i])) return false;
    }
    return true;
  }

  bool ReadEntry(uint64_t entry, int depth, ResourceNode& child) {
    const uint32_t name = Get32(image_, entry);
    const uint32_t target = Get32(image_, entry + 4);
    if ((name & kHighBit) && !ReadName(name & ~kHighBit, child.name)) return false;
    if (!(name & kHighBit)) child.id = name;
    if (target & kHighBit) return ReadDirectory(target & ~kHighBit, depth + 1, child);
    return ReadData(target, child);
  }

  bool ReadName(uint32_t offset, std::u16string& name) {
    uint64_t at = 0;
    if (!At(offset, 2, at)) return Fail("a resource name lies outside the image's sections");
    const uint16_t length = Get16(image_, at);
    if (length == 0 || !At(offset, 2 + 2u * length, at)) {
      return Fail("a resource name is empty or lies outside the image's sections");
    }
    for (uint16_t i = 0; i < length; ++i)
      name += static_cast<char16_t>(Get16(image_, at + 2 + 2 * i));
    return true;
  }

  bool ReadData(uint32_t offset, ResourceNode& leaf) {
    uint64_t at = 0;
    if (!At(offset, kDataEntrySize, at)) {
      return Fail("a resource data entry lies outside the image's sections");
    }
    const uint32_t rva = Get32(image_, at);
    const uint32_t size = Get32(image_, at + 4);
    uint64_t data = 0;
    if (!Inside(rva, size, data)) {
      return Fail("a resource's data lies outside the image's sections");
    }
    data_bytes_ += size;
    if (data_bytes_ > kMaxDataPerImageByte * image_.size()) {
      return Fail("its resources share data more often than a program's resources do");
    }
    leaf.is_data = true;
    leaf.code_page = Get32(image_, at + 8);
    leaf.data.assign(image_.substr(data, size));
    return true;
  }

  std::string_view image_;
  const PeImageFields& fields_;
  size_t entries_ = 0;
  uint64_t data_bytes_ = 0;
  std::string problem_;
};

bool SameNameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

// Offsets (from the start of the tree) of every item SerializeResourceTree writes.
struct TreeLayout {
  std::vector<const ResourceNode*> directories;  // breadth first, the root first
  std::map<const ResourceNode*, uint32_t> directory_offset;
  std::map<const ResourceNode*, uint32_t> name_offset;
  std::vector<const ResourceNode*> leaves;
  std::map<const ResourceNode*, uint32_t> entry_offset;
  std::map<const ResourceNode*, uint32_t> data_offset;
  uint64_t size = 0;
};

TreeLayout LayOut(const ResourceNode& root) {
  TreeLayout layout;
  std::deque<const ResourceNode*> queue = {&root};
  while (!queue.empty()) {
    const ResourceNode* directory = queue.front();
    queue.pop_front();
    layout.directories.push_back(directory);
    layout.directory_offset[directory] = static_cast<uint32_t>(layout.size);
    layout.size += kDirectoryHeaderSize + kEntrySize * directory->children.size();
    for (const ResourceNode& child : directory->children) {
      if (child.is_data) {
        layout.leaves.push_back(&child);
      } else {
        queue.push_back(&child);
      }
    }
  }
  for (const ResourceNode* directory : layout.directories) {
    for (const ResourceNode& child : directory->children) {
      if (child.name.empty()) continue;
      layout.name_offset[&child] = static_cast<uint32_t>(layout.size);
      layout.size += 2 + 2 * child.name.size();
    }
  }
  layout.size = AlignUp(layout.size, 8);
  for (const ResourceNode* leaf : layout.leaves) {
    layout.entry_offset[leaf] = static_cast<uint32_t>(layout.size);
    layout.size += kDataEntrySize;
  }
  for (const ResourceNode* leaf : layout.leaves) {
    layout.data_offset[leaf] = static_cast<uint32_t>(layout.size);
    layout.size = AlignUp(layout.size + leaf->data.size(), 8);
  }
  return layout;
}

void WriteDirectory(const ResourceNode& directory, const TreeLayout& layout, std::string& out) {
  const uint32_t at = layout.directory_offset.at(&directory);
  Put32(out, at, directory.characteristics);
  Put32(out, at + 4, directory.time_stamp);
  Put16(out, at + 8, directory.major_version);
  Put16(out, at + 10, directory.minor_version);
  const auto named = std::count_if(directory.children.begin(), directory.children.end(),
                                   [](const ResourceNode& child) { return !child.name.empty(); });
  Put16(out, at + 12, static_cast<uint16_t>(named));
  Put16(out, at + 14, static_cast<uint16_t>(directory.children.size() - named));
  for (size_t i = 0; i < directory.children.size(); ++i) {
    const ResourceNode& child = directory.children[i];
    const uint32_t entry = at + kDirectoryHeaderSize + static_cast<uint32_t>(i) * kEntrySize;
    Put32(out, entry, child.name.empty() ? child.id : kHighBit | layout.name_offset.at(&child));
    Put32(out, entry + 4,
          child.is_data ? layout.entry_offset.at(&child)
                        : kHighBit | layout.directory_offset.at(&child));
  }
}

// The bytes of memory a section may be read at: readers map an RVA through its raw data as well
// as through its virtual size, so the larger of the two.
uint64_t Span(const PeSection& section) { return std::max(section.virtual_size, section.raw_size); }

// The section header that holds `rva`, as an index into the section table, or -1.
int SectionOf(const PeImageFields& fields, uint32_t rva) {
  for (size_t i = 0; i < fields.sections.size(); ++i) {
    const PeSection& section = fields.sections[i];
    if (rva >= section.virtual_address && rva - section.virtual_address < Span(section)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// True when section `index` ends both the file's raw data and the image in memory.
bool IsLastSection(const PeImageFields& fields, size_t index, uint64_t file_size) {
  const PeSection& last = fields.sections[index];
  if (uint64_t{last.raw_offset} + last.raw_size != file_size) return false;
  for (const PeSection& section : fields.sections) {
    if (section.virtual_address > last.virtual_address) return false;
  }
  return true;
}

// The index of the section that holds only the base relocations and is the one section behind
// section `index` in the file and in memory, the last of both; -1 when there is none such. Base
// relocations name the places they fix by RVA, and nothing refers to the relocations themselves
// but their data directory entry, so that section can move behind a grown resource section.
int RelocationsBehind(std::string_view image, const PeLayout& layout, const PeImageFields& fields,
                      size_t index) {
  const uint32_t relocations = layout.relocation_entry ? Get32(image, layout.relocation_entry) : 0;
  const int behind = relocations ? SectionOf(fields, relocations) : -1;
  if (behind < 0 || static_cast<size_t>(behind) == index ||
      fields.sections[behind].virtual_address != relocations ||
      !IsLastSection(fields, behind, image.size())) {
    return -1;
  }
  const PeSection& own = fields.sections[index];
  for (size_t i = 0; i < fields.sections.size(); ++i) {
    const PeSection& section = fields.sections[i];
    if (i == index || static_cast<int>(i) == behind) continue;
    if (section.virtual_address > own.virtual_address ||
        (section.raw_size != 0 && section.raw_offset > own.raw_offset)) {
      return -1;
    }
  }
  // The linker may leave the resource section's raw size unaligned, with padding behind it.
  const bool adjoining =
      uint64_t{own.raw_offset} + own.raw_size <= fields.sections[behind].raw_offset;
  return adjoining ? behind : -1;
}

uint64_t ImageEnd(const PeImageFields& fields) {
  uint64_t end = 0;
  for (const PeSection& section : fields.sections) {
    end = std::max(end, section.virtual_address + Span(section));
  }
  return end;
}

// True when a section other than `own` (an index into the section table) reaches into the
// `size` bytes of memory at `rva`, where a reader could find its bytes instead of the tree's.
bool OverlapsAnotherSection(const PeImageFields& fields, size_t own, uint32_t rva, uint64_t size) {
  for (size_t i = 0; i < fields.sections.size(); ++i) {
    const PeSection& section = fields.sections[i];
    if (i == own || Span(section) == 0) continue;
    if (section.virtual_address < rva + size && rva < section.virtual_address + Span(section)) {
      return true;
    }
  }
  return false;
}

// Writes `tree` as the content of the section whose header is at `header` (raw data at the
// file's end), and the header fields that follow from it.
bool PlaceTree(std::string& image, const PeLayout& layout, uint64_t header, uint32_t rva,
               const std::string& tree, uint32_t old_raw_size, std::string& problem) {
  const uint64_t raw_offset = Get32(image, header + 20);
  const uint64_t raw_size = AlignUp(tree.size(), layout.file_alignment);
  const uint64_t image_size = AlignUp(uint64_t{rva} + tree.size(), layout.section_alignment);
  if (raw_offset + raw_size > UINT32_MAX || image_size > UINT32_MAX) {
    problem = "is too large to take the new resources";
    return false;
  }
  image.resize(raw_offset);
  image += tree;
  image.resize(raw_offset + raw_size, '\0');
  Put32(image, header + 8, static_cast<uint32_t>(tree.size()));
  Put32(image, header + 16, static_cast<uint32_t>(raw_size));
  Put32(image, layout.optional + 56, static_cast<uint32_t>(image_size));  // SizeOfImage
  const uint64_t initialized = layout.optional + 8;                       // SizeOfInitializedData
  Put32(image, initialized,
        static_cast<uint32_t>(Get32(image, initialized) + raw_size - old_raw_size));
  Put32(image, layout.resource_entry, rva);
  Put32(image, layout.resource_entry + 4, static_cast<uint32_t>(tree.size()));
  Put32(image, layout.optional + 64, 0);  // CheckSum: no longer the image's
  return true;
}

// Puts the relocation section `moved` (header at `header`, raw bytes `bytes`) at the end of the
// file and at `rva` in memory, with the data directory entry and SizeOfImage to match.
bool PlaceBehind(std::string& image, const PeLayout& layout, const PeSection& moved,
                 uint64_t header, uint64_t rva, const std::string& bytes, std::string& problem) {
  const uint64_t raw_offset = image.size();
  const uint64_t end = AlignUp(rva + Span(moved), layout.section_alignment);
  if (raw_offset + bytes.size() > UINT32_MAX || end > UINT32_MAX) {
    problem = "is too large to take the new resources";
    return false;
  }
  image += bytes;
  Put32(image, header + 12, static_cast<uint32_t>(rva));
  Put32(image, header + 20, bytes.empty() ? 0 : static_cast<uint32_t>(raw_offset));
  Put32(image, layout.relocation_entry, static_cast<uint32_t>(rva));
  Put32(image, layout.optional + 56, static_cast<uint32_t>(end));  // SizeOfImage
  return true;
}

// Adds an empty section header named ".rsrc" behind the last one, its raw data at the aligned
// end of the file and its RVA behind the image. False when the headers have no free room.
bool AppendSectionHeader(std::string& image, const PeLayout& layout, const PeImageFields& fields,
                         uint64_t& header, uint32_t& rva, std::string& problem) {
  header = layout.section_table + uint64_t{layout.section_count} * kSectionHeaderSize;
  uint64_t first_data = layout.size_of_headers;
  for (const PeSection& section : fields.sections) {
    if (section.raw_size != 0) first_data = std::min<uint64_t>(first_data, section.raw_offset);
  }
  const bool free = header + kSectionHeaderSize <= first_data &&
                    header + kSectionHeaderSize <= image.size() &&
                    image.find_first_not_of('\0', header) >= header + kSectionHeaderSize;
  // Behind every section and the headers, which the loader maps first.
  const uint64_t next_rva = AlignUp(
      std::max<uint64_t>({ImageEnd(fields), layout.size_of_headers, 1}), layout.section_alignment);
  const uint64_t raw_offset = AlignUp(image.size(), layout.file_alignment);
  if (!free || layout.section_count == UINT16_MAX) {
    problem = "has no room in its headers for another section to hold the new resources";
    return false;
  }
  if (next_rva > UINT32_MAX || raw_offset > UINT32_MAX) {
    problem = "is too large to take the new resources";
    return false;
  }
  rva = static_cast<uint32_t>(next_rva);
  image.replace(header, 8, std::string(".rsrc\0\0\0", 8));
  Put32(image, header + 12, rva);
  Put32(image, header + 20, static_cast<uint32_t>(raw_offset));
  Put32(image, header + 36, kInitializedData | kReadable);
  Put16(image, layout.section_count_field, static_cast<uint16_t>(layout.section_count + 1));
  return true;
}

}  // namespace

bool ReadResourceTree(std::string_view image, ResourceNode& root, std::string& problem) {
  root = ResourceNode();
  MemoryByteSource source(image);
  PeImageFields fields;
  if (!ReadPeImageFields(source, fields)) {
    problem = "is not a PE image with a readable section table";
    return false;
  }
  if (fields.resources.address == 0) return true;
  return TreeReader(image, fields).Read(root, problem);
}

const ResourceNode* FindResourceChild(const ResourceNode& directory, uint32_t id) {
  for (const ResourceNode& child : directory.children) {
    if (child.name.empty() && child.id == id) return &child;
  }
  return nullptr;
}

ResourceNode* FindResourceChild(ResourceNode& directory, uint32_t id) {
  return const_cast<ResourceNode*>(FindResourceChild(std::as_const(directory), id));
}

const ResourceNode* FindResourceChild(const ResourceNode& directory, std::u16string_view name) {
  for (const ResourceNode& child : directory.children) {
    if (!child.name.empty() && SameNameIgnoringAsciiCase(child.name, name)) return &child;
  }
  return nullptr;
}

std::string SerializeResourceTree(const ResourceNode& root, uint32_t section_rva) {
  const TreeLayout layout = LayOut(root);
  std::string out(layout.size, '\0');
  for (const ResourceNode* directory : layout.directories) WriteDirectory(*directory, layout, out);
  for (const auto& [node, at] : layout.name_offset) {
    Put16(out, at, static_cast<uint16_t>(node->name.size()));
    for (size_t i = 0; i < node->name.size(); ++i) Put16(out, at + 2 + 2 * i, node->name[i]);
  }
  for (const ResourceNode* leaf : layout.leaves) {
    const uint32_t entry = layout.entry_offset.at(leaf);
    const uint32_t data = layout.data_offset.at(leaf);
    Put32(out, entry, section_rva + data);
    Put32(out, entry + 4, static_cast<uint32_t>(leaf->data.size()));
    Put32(out, entry + 8, leaf->code_page);
    out.replace(data, leaf->data.size(), leaf->data);
  }
  return out;
}

bool ReplaceResourceTree(std::string& image, const ResourceNode& root, std::string& problem) {
  MemoryByteSource source(image);
  PeImageFields fields;
  PeLayout layout;
  if (!ReadPeImageFields(source, fields) || !ReadLayout(image, layout)) {
    problem = "is not a PE image with a readable section table and alignments";
    return false;
  }
  std::string edited = image;
  const int section = fields.resources.address ? SectionOf(fields, fields.resources.address) : -1;
  uint64_t header = 0;
  uint32_t rva = 0;
  uint32_t old_raw_size = 0;
  const bool own_section =
      section >= 0 && fields.sections[section].virtual_address == fields.resources.address;
  const int relocations = own_section ? RelocationsBehind(image, layout, fields, section) : -1;
  std::string relocation_bytes;
  if (relocations >= 0) {
    // Taken off the end, put back behind the new tree below.
    const PeSection& moved = fields.sections[relocations];
    relocation_bytes = edited.substr(moved.raw_offset, moved.raw_size);
    edited.resize(moved.raw_offset);
  }
  if (own_section && (relocations >= 0 || IsLastSection(fields, section, image.size()))) {
    header = layout.section_table + uint64_t(section) * kSectionHeaderSize;
    rva = fields.resources.address;
    old_raw_size = fields.sections[section].raw_size;
  } else if (!AppendSectionHeader(edited, layout, fields, header, rva, problem)) {
    return false;
  }
  const uint64_t tree_bytes = LayOut(root).size;
  if (tree_bytes > UINT32_MAX - rva) {
    problem = "cannot take resources of " + std::to_string(tree_bytes) + " bytes";
    return false;
  }
  if (!PlaceTree(edited, layout, header, rva, SerializeResourceTree(root, rva), old_raw_size,
                 problem) ||
      (relocations >= 0 &&
       !PlaceBehind(edited, layout, fields.sections[relocations],
                    layout.section_table + uint64_t(relocations) * kSectionHeaderSize,
                    AlignUp(uint64_t{rva} + tree_bytes, layout.section_alignment), relocation_bytes,
                    problem))) {
    return false;
  }
  // Sections that overlap in memory can hide any part of the new tree behind another section's
  // bytes.
  MemoryByteSource written(edited);
  uint64_t at = 0;
  if (!ReadPeImageFields(written, fields) ||
      !RvaToFileOffset(fields, rva, static_cast<uint32_t>(tree_bytes), at) ||
      at != Get32(edited, header + 20) ||
      OverlapsAnotherSection(fields, (header - layout.section_table) / kSectionHeaderSize, rva,
                             tree_bytes)) {
    problem = "has sections that overlap where its new resources would go";
    return false;
  }
  image = std::move(edited);
  return true;
}
