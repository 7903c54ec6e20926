// The skin a package carries (brindle-pack pack --skin): a skin container as the skin tools make
// it, plain (".uir", tools/skin/build_skin.py) or packed (".uiz", tools/skin/pack_skin.py),
// checked as brindle-skin-check checks it before it goes into the package config.
#ifndef BRINDLE_TOOLS_PACKAGE_SKIN_H_
#define BRINDLE_TOOLS_PACKAGE_SKIN_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The package config's member that holds the skin (kSkinMember): Base64 of the skin file's
// bytes as given.
#include "setup/product_identity.h"

struct SkinSummary {
  bool packed = false;         // the file is the packed form
  size_t container_bytes = 0;  // bytes of the container (unpacked when packed)
  size_t records = 0;
  int drawn_entries = 0;  // state entries that draw from an image
};

// Checks the bytes of a skin file: a packed one must unpack; the container must parse and pass
// every skin check (CheckSkin). False with one message per problem in `problems` otherwise.
bool CheckSkinFile(std::string_view bytes, SkinSummary& summary,
                   std::vector<std::string>& problems);

#endif  // BRINDLE_TOOLS_PACKAGE_SKIN_H_
