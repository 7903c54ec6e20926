// Whether a package file holds the program image this process runs from. The
// program opens its own file once, first thing, and reads its package through
// that handle only; this check refuses a handle to a file that is not even the
// same program (something put at the program's path before the open). Two
// packages behind the same program image look alike to it: what binds the
// package is the open at start.
#ifndef BRINDLE_APP_RUNNING_IMAGE_H_
#define BRINDLE_APP_RUNNING_IMAGE_H_

#include "setup/package_layout.h"

// True when the PE headers at the start of `package` (SizeOfHeaders bytes)
// are those the loader mapped for the running executable, the image base
// field aside (the loader may rebase the image and record the new base).
// False when the file is not open, is no PE image, or differs.
bool HoldsRunningImage(const PackageFile& package);

#endif  // BRINDLE_APP_RUNNING_IMAGE_H_
