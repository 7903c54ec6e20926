// Raw bytes of a resource compiled into a module.
#pragma once

#include <windows.h>

#include <string>

// Replaces `bytes` with the content of the resource with numeric `id` and
// `type` (a name such as L"UIR", or MAKEINTRESOURCEW of a standard type) in
// `module` (null: the executable). True if the resource was found and is not
// empty; `bytes` is empty otherwise.
bool LoadResourceBytes(HMODULE module, const wchar_t* type, int id, std::string& bytes);
