#include "tools/icon_file.h"

#include <algorithm>
#include <set>
#include <utility>

#include "setup/package_format.h"

namespace {

constexpr size_t kFileHeaderSize = 6;
constexpr size_t kFileEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;
constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr uint16_t kLanguageNeutral = 0;
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);

uint16_t Get16(std::string_view bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t Get32(std::string_view bytes, size_t at) {
  return LoadU32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

void Append16(uint16_t value, std::string& out) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

bool IsImageData(std::string_view data) {
  return data.substr(0, kPngSignature.size()) == kPngSignature ||
         (data.size() >= kBitmapInfoHeaderSize && Get32(data, 0) == kBitmapInfoHeaderSize);
}

// The group directory (GRPICONDIR) that lists `images` under the RT_ICON ids `ids`.
std::string GroupData(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids) {
  std::string group;
  Append16(0, group);
  Append16(1, group);
  Append16(static_cast<uint16_t>(images.size()), group);
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    group += static_cast<char>(image.width);
    group += static_cast<char>(image.height);
    group += static_cast<char>(image.colour_count);
    group += '\0';
    Append16(image.planes, group);
    Append16(image.bit_count, group);
    AppendU32(static_cast<uint32_t>(image.data.size()), group);
    Append16(ids[i], group);
  }
  return group;
}

// The RT_ICON ids that a group directory lists.
std::vector<uint16_t> GroupIds(std::string_view group) {
  std::vector<uint16_t> ids;
  if (group.size() < kFileHeaderSize) return ids;
  const size_t count = Get16(group, 4);
  for (size_t i = 0; i < count && kFileHeaderSize + (i + 1) * kGroupEntrySize <= group.size();
       ++i) {
    ids.push_back(Get16(group, kFileHeaderSize + i * kGroupEntrySize + 12));
  }
  return ids;
}

// The directory child of `parent` with id `id`, inserted among the id entries in ascending
// order when missing.
ResourceNode& IdChild(ResourceNode& parent, uint32_t id) {
  if (ResourceNode* found = FindResourceChild(parent, id)) return *found;
  auto at =
      std::find_if(parent.children.begin(), parent.children.end(),
                   [id](const ResourceNode& child) { return child.name.empty() && child.id > id; });
  ResourceNode child;
  child.id = id;
  return *parent.children.insert(at, child);
}

ResourceNode Leaf(uint32_t language, std::string data) {
  ResourceNode leaf;
  leaf.id = language;
  leaf.is_data = true;
  leaf.data = std::move(data);
  return leaf;
}

// What a file that is no icon file is, from its first bytes, for the message that refuses it.
std::string KindOfNonIcon(std::string_view bytes) {
  const std::pair<std::string_view, const char*> kinds[] = {
      {"\x89PNG", "a PNG image"},       {"BM", "a BMP image"},
      {"\xFF\xD8\xFF", "a JPEG image"}, {"GIF8", "a GIF image"},
      {"<svg", "an SVG image"},         {"<?xml", "an XML file (an SVG image?)"},
      {"MZ", "a Windows program"},      {std::string_view("\0\0\2\0", 4), "a cursor (.cur)"},
  };
  for (const auto& [start, kind] : kinds) {
    if (bytes.substr(0, start.size()) == start) return kind;
  }
  return bytes.empty() ? "empty" : "of a kind that is not known here";
}

}  // namespace

bool ParseIconFile(std::string_view bytes, std::vector<IconImage>& images, std::string& problem) {
  images.clear();
  if (bytes.size() < kFileHeaderSize || Get16(bytes, 0) != 0 || Get16(bytes, 2) != 1) {
    problem = "is not an icon file: it is " + KindOfNonIcon(bytes) +
              "; give a Windows icon file (.ico) holding one or more images, for example made "
              "from a PNG with ImageMagick: convert logo.png -define "
              "icon:auto-resize=256,48,32,16 logo.ico";
    return false;
  }
  const size_t count = Get16(bytes, 4);
  if (count == 0 || kFileHeaderSize + count * kFileEntrySize > bytes.size()) {
    problem = "is not a usable icon file: it lists no image, or its directory is cut short";
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = kFileHeaderSize + i * kFileEntrySize;
    const uint32_t size = Get32(bytes, entry + 8);
    const uint32_t offset = Get32(bytes, entry + 12);
    const std::string where = "image " + std::to_string(i + 1) + " of " + std::to_string(count);
    if (size == 0 || offset > bytes.size() || size > bytes.size() - offset) {
      problem = "is not a usable icon file: its " + where + " lies outside the file";
      return false;
    }
    IconImage image;
    image.width = static_cast<uint8_t>(bytes[entry]);
    image.height = static_cast<uint8_t>(bytes[entry + 1]);
    image.colour_count = static_cast<uint8_t>(bytes[entry + 2]);
    image.planes = Get16(bytes, entry + 4);
    image.bit_count = Get16(bytes, entry + 6);
    image.data.assign(bytes.substr(offset, size));
    if (!IsImageData(image.data)) {
      problem = "is not a usable icon file: its " + where + " is neither a PNG nor a bitmap";
      return false;
    }
    images.push_back(std::move(image));
  }
  return true;
}

void SetProgramIcon(ResourceNode& root, const std::vector<IconImage>& images) {
  // Both types first: adding one to the root moves the other.
  IdChild(root, kResourceTypeIcon);
  IdChild(root, kResourceTypeGroupIcon);
  ResourceNode& icons = *FindResourceChild(root, kResourceTypeIcon);
  ResourceNode& groups = *FindResourceChild(root, kResourceTypeGroupIcon);
  if (groups.children.empty()) IdChild(groups, 1);
  ResourceNode& group = groups.children.front();
  const uint32_t language = group.children.empty() ? kLanguageNeutral : group.children.front().id;
  std::set<uint16_t> replaced;
  for (const ResourceNode& leaf : group.children) {
    for (uint16_t id : GroupIds(leaf.data)) replaced.insert(id);
  }
  icons.children.erase(std::remove_if(icons.children.begin(), icons.children.end(),
                                      [&](const ResourceNode& icon) {
                                        return icon.name.empty() && icon.id <= UINT16_MAX &&
                                               replaced.count(static_cast<uint16_t>(icon.id));
                                      }),
                       icons.children.end());
  std::vector<uint16_t> ids;
  for (uint32_t id = 1; ids.size() < images.size(); ++id) {
    if (FindResourceChild(icons, id)) continue;
    ids.push_back(static_cast<uint16_t>(id));
    IdChild(icons, id).children = {Leaf(language, images[ids.size() - 1].data)};
  }
  group.children = {Leaf(language, GroupData(images, ids))};
}

std::vector<IconImage> ProgramIconImages(const ResourceNode& root) {
  std::vector<IconImage> images;
  const ResourceNode* groups = FindResourceChild(root, kResourceTypeGroupIcon);
  const ResourceNode* icons = FindResourceChild(root, kResourceTypeIcon);
  if (!groups || groups->children.empty() || groups->children.front().children.empty()) {
    return images;
  }
  const std::string& group = groups->children.front().children.front().data;
  const std::vector<uint16_t> ids = GroupIds(group);
  for (size_t i = 0; i < ids.size(); ++i) {
    const size_t entry = kFileHeaderSize + i * kGroupEntrySize;
    IconImage image;
    image.width = static_cast<uint8_t>(group[entry]);
    image.height = static_cast<uint8_t>(group[entry + 1]);
    image.colour_count = static_cast<uint8_t>(group[entry + 2]);
    image.planes = Get16(group, entry + 4);
    image.bit_count = Get16(group, entry + 6);
    const ResourceNode* icon = icons ? FindResourceChild(*icons, ids[i]) : nullptr;
    if (icon && !icon->children.empty()) image.data = icon->children.front().data;
    images.push_back(std::move(image));
  }
  return images;
}
