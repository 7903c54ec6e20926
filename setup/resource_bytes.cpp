#include "setup/resource_bytes.h"

bool LoadResourceBytes(HMODULE module, const wchar_t* type, int id, std::string& bytes) {
  bytes.clear();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return false;
  // A loaded resource is part of the mapped module image: nothing to free.
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  bytes.assign(static_cast<const char*>(data), SizeofResource(module, found));
  return !bytes.empty();
}
