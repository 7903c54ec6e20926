// Links inside an install folder. The engines never create, write, move or
// delete through a folder link, junction, mount point or file link below the
// install folder: what such a link points to is not the product's.
//
// A link is recognised as Windows documents it (FILE_ATTRIBUTE_REPARSE_POINT)
// and, for links that a file system reports otherwise (Wine shows a Unix
// symbolic link to a file as a plain file), by its final path: an entry whose
// final path is not the final path of its folder plus its name leads
// elsewhere.
#pragma once

#include <string>

// Checks the entries on the way from one install folder down to paths below
// it. The folder itself may be a link (the user chose it); entries below it
// may not.
class LinkCheck {
 public:
  // `folder`: the install folder, a full path without a trailing "\" (a
  // drive's root with it: "C:\"). Empty: nothing is below it.
  explicit LinkCheck(const std::wstring& folder);

  // The first existing entry from just below the folder down to `path`
  // inclusive that is a link; empty when there is none or `path` is not
  // below the folder.
  std::wstring FirstLink(const std::wstring& path) const;

  // True when the existing `entry` below the folder is a link (or cannot be
  // opened to tell).
  bool IsLink(const std::wstring& entry) const;

 private:
  std::wstring folder_;
  std::wstring folder_final_;  // the folder's final path; empty when unknown
};

// The final path of the existing entry `path` (GetFinalPathNameByHandleW,
// without the "\\?\" prefix), its links resolved; empty when it cannot be
// opened.
std::wstring FinalPathOf(const std::wstring& path);
