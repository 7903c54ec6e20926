// SHA-256 (FIPS 180-4) of a file, for the hashes a package manager checks. Portable.
#ifndef BRINDLE_TOOLS_SHA256_H_
#define BRINDLE_TOOLS_SHA256_H_

#include <cstddef>
#include <cstdint>
#include <string>

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // The digest as 64 upper-case hexadecimal digits; the object is spent afterwards.
  std::string FinishHex();

 private:
  void Block(const uint8_t* block);

  uint32_t state_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t total_bytes_ = 0;
};

// The SHA-256 of the file `path` in upper-case hexadecimal, or empty with `problem` set when it
// cannot be read.
std::string FileSha256(const std::string& path, std::string& problem);

#endif  // BRINDLE_TOOLS_SHA256_H_
