// The resource tree of a PE image (PE32 or PE32+), read from and written back into the image's
// bytes without any platform: the packing tool reads it to find the setup program's marker and
// rewrites it to give the setup program a product's icon.
#ifndef BRINDLE_TOOLS_PE_RESOURCES_H_
#define BRINDLE_TOOLS_PE_RESOURCES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Standard resource types (the ids of the tree's first level).
constexpr uint32_t kResourceTypeIcon = 3;        // RT_ICON: one image of an icon
constexpr uint32_t kResourceTypeRcData = 10;     // RT_RCDATA
constexpr uint32_t kResourceTypeGroupIcon = 14;  // RT_GROUP_ICON: an icon's directory

// One node of the tree: a directory (type, name or language level) or, at the leaves, data.
// A node is named either by a number (`name` empty) or by a string.
struct ResourceNode {
  uint32_t id = 0;
  std::u16string name;  // non-empty: the entry is named by this string, and `id` is unused
  bool is_data = false;
  // A directory's header fields, kept as they were read.
  uint32_t characteristics = 0;
  uint32_t time_stamp = 0;
  uint16_t major_version = 0;
  uint16_t minor_version = 0;
  std::vector<ResourceNode> children;  // a directory's entries: named ones first, in file order
  // A leaf's bytes and code page.
  std::string data;
  uint32_t code_page = 0;
};

// Reads the resource tree of the image in `image`. An image without a resource directory gives
// an empty root. False, with `problem` saying what is wrong, when `image` is no PE image or its
// resource directory is damaged (entries outside the section, loops, more than 8 levels or 65536
// entries, data outside the image, or data shared so often that its copies would exceed four
// times the image's size).
bool ReadResourceTree(std::string_view image, ResourceNode& root, std::string& problem);

// The child of `directory` with the numeric id `id`, or null.
const ResourceNode* FindResourceChild(const ResourceNode& directory, uint32_t id);
ResourceNode* FindResourceChild(ResourceNode& directory, uint32_t id);
// The child of `directory` named `name` (compared case-insensitively in ASCII, as Windows
// compares resource names), or null.
const ResourceNode* FindResourceChild(const ResourceNode& directory, std::u16string_view name);

// The tree's bytes for a resource section whose first byte has the RVA `section_rva`: every
// directory table (breadth first), the name strings, the data entries, then each resource's data
// (8-byte aligned). Entries are written in the order of `children`; Windows looks names up by
// binary search, so named entries must come first, sorted, then ids in ascending order.
std::string SerializeResourceTree(const ResourceNode& root, uint32_t section_rva);

// Replaces the resource tree of the image in `image` with `root`. When the section holding the
// resource directory is the image's last section (in the file and in memory), its content is
// replaced; likewise when only the base relocation section follows it (as the linker lays out
// .rsrc and .reloc), which then moves behind the new tree (its header, the relocation directory
// entry and SizeOfImage follow; relocations name RVAs elsewhere, so their bytes stay as they
// are). Otherwise a section ".rsrc" is appended for the new tree (the old one stays unused),
// which needs room for one more section header before the first section's data. The image is
// kept valid: section sizes, SizeOfImage, SizeOfInitializedData and the resource directory entry
// are updated, CheckSum is zeroed, and the file ends where the last section ends. False, with
// `problem` set and `image` unchanged, when the image cannot take the tree or when the tree
// would not be found where it is written (sections that overlap).
bool ReplaceResourceTree(std::string& image, const ResourceNode& root, std::string& problem);

#endif  // BRINDLE_TOOLS_PE_RESOURCES_H_
