// The skin container as the setup program stores it in its resources: deflated behind a magic
// of its own, since its JSON text shrinks to an eighth (every byte of the resource is part of
// the program image that users download). Layout, integers unsigned 32-bit little-endian:
//   offset 0   magic, the four bytes ".uiz"
//   offset 4   length of the container
//   offset 8   the container as one raw deflate stream (RFC 1951), nothing after it
// Portable: byte-level only (zlib), no Win32.
#ifndef BRINDLE_UI_FRAMEWORK_PACKED_SKIN_H_
#define BRINDLE_UI_FRAMEWORK_PACKED_SKIN_H_

#include <cstddef>
#include <string>

// The largest container a packed skin may state (64 MiB). A skin holds its text and the images
// of a few windows (the shipped one unpacks to well under 1 MiB); a larger stated length belongs
// to a damaged header, and a 32-bit program could not allocate the up to 4 GiB the field names.
constexpr size_t kMaxSkinContainerBytes = size_t{64} << 20;

// Replaces packed container bytes in `bytes` with the container they hold; any other bytes (a
// container stored as it is among them) are left as they are, for the container parser to take
// or refuse. False, with `bytes` unchanged, when they begin with the packed magic but the rest is
// not one complete deflate stream of exactly the stated length, or states a length that no
// deflate stream of that size can hold or that exceeds kMaxSkinContainerBytes; nothing is
// allocated for a refused length.
bool UnpackSkinContainer(std::string& bytes);

#endif  // BRINDLE_UI_FRAMEWORK_PACKED_SKIN_H_
