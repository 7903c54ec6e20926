// The product version that a Windows program's version resource states, read from the file's
// bytes without any platform.
#ifndef BRINDLE_TOOLS_VERSION_RESOURCE_H_
#define BRINDLE_TOOLS_VERSION_RESOURCE_H_

#include <string>

#include "setup/package_format.h"

// The "ProductVersion" string of the first string table of the program's first version resource
// (UTF-8, white space trimmed) or, when there is no such string, the fixed product version as
// "major.minor.patch.build". Empty when the file is no PE image or has no version resource.
std::string ReadProductVersion(ByteSource& program);

#endif  // BRINDLE_TOOLS_VERSION_RESOURCE_H_
