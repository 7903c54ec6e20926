// Scratch pool: owns the zero-terminated strings that the conversion helpers
// (ToWide, ToNarrow, Base64Encode, Base64Decode) hand out as raw pointers.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Every string kept in the pool stays valid, at the same address, until the
// pool is released or destroyed; nothing is freed earlier. Moving a pool moves
// the ownership of its strings, their addresses do not change. Not shared
// between threads.
class ScratchPool {
 public:
  ScratchPool() = default;
  ScratchPool(ScratchPool&&) = default;
  ScratchPool& operator=(ScratchPool&&) = default;
  ScratchPool(const ScratchPool&) = delete;
  ScratchPool& operator=(const ScratchPool&) = delete;

  // Takes over `text` and returns its zero-terminated characters, owned by the
  // pool. Embedded zero characters are kept; readers of the returned pointer
  // see the text up to the first of them.
  const char* Keep(std::string text);
  const wchar_t* Keep(std::wstring text);

  // Frees every string the pool holds; pointers it handed out become invalid.
  void Release();

  // Number of strings the pool holds.
  size_t Count() const { return narrow_.size() + wide_.size(); }

 private:
  std::vector<std::unique_ptr<std::string>> narrow_;
  std::vector<std::unique_ptr<std::wstring>> wide_;
};
