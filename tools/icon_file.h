// Icon files (".ico") and the icon of a program: the images of an icon file become the program's
// first icon group (RT_GROUP_ICON) and its images (RT_ICON), the icon Explorer shows for the file.
#ifndef BRINDLE_TOOLS_ICON_FILE_H_
#define BRINDLE_TOOLS_ICON_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pe_resources.h"

// One image of an icon, with the fields of its directory entry (width and height 0 mean 256).
struct IconImage {
  uint8_t width = 0;
  uint8_t height = 0;
  uint8_t colour_count = 0;
  uint16_t planes = 0;
  uint16_t bit_count = 0;
  std::string data;  // a PNG file or a DIB (BITMAPINFOHEADER, colours, XOR and AND masks)
};

// Reads an icon file: the header (reserved 0, type 1, at least one image), one directory entry
// per image, each image's bytes inside the file and beginning as a PNG file or a
// BITMAPINFOHEADER does. False, with `problem` saying what is wrong, otherwise.
bool ParseIconFile(std::string_view bytes, std::vector<IconImage>& images, std::string& problem);

// Makes `images` the icon of the program whose resource tree is `root`: the first icon group
// (the one Explorer shows) keeps its name and language and lists the new images; the images it
// listed before are removed; the new images take the lowest free RT_ICON ids. A program without
// an icon group gets group 1, language neutral. `images` must not be empty.
void SetProgramIcon(ResourceNode& root, const std::vector<IconImage>& images);

// The images that the program's first icon group lists, in its order (empty without one, and
// for an image the group names but the tree lacks, an image without data).
std::vector<IconImage> ProgramIconImages(const ResourceNode& root);

#endif  // BRINDLE_TOOLS_ICON_FILE_H_
