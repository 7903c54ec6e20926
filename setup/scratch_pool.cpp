#include "setup/scratch_pool.h"

#include <utility>

const char* ScratchPool::Keep(std::string text) {
  narrow_.push_back(std::make_unique<std::string>(std::move(text)));
  return narrow_.back()->c_str();
}

const wchar_t* ScratchPool::Keep(std::wstring text) {
  wide_.push_back(std::make_unique<std::wstring>(std::move(text)));
  return wide_.back()->c_str();
}

void ScratchPool::Release() {
  narrow_.clear();
  wide_.clear();
}
