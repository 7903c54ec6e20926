// libFuzzer target: the resource tree reader on arbitrary images. A tree it reads must be written
// back (when the image can take it) and read again as the same tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/pe_resources.h"

namespace {

bool Same(const ResourceNode& a, const ResourceNode& b) {
  if (a.id != b.id || a.name != b.name || a.is_data != b.is_data || a.data != b.data ||
      a.code_page != b.code_page || a.children.size() != b.children.size()) {
    return false;
  }
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!Same(a.children[i], b.children[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string image(reinterpret_cast<const char*>(data), size);
  ResourceNode tree;
  std::string problem;
  if (!ReadResourceTree(image, tree, problem)) return 0;
  if (!ReplaceResourceTree(image, tree, problem)) return 0;
  ResourceNode again;
  if (!ReadResourceTree(image, again, problem) || !Same(tree, again)) std::abort();
  return 0;
}
