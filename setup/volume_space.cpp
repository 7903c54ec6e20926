#include "setup/volume_space.h"

#include <windows.h>

namespace {

// `path`, or its nearest parent that exists; empty when none does.
std::wstring NearestExisting(std::wstring path) {
  while (!path.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const size_t slash = path.find_last_of(L'\\');
    path.resize(slash == std::wstring::npos ? 0 : slash);
  }
  return path;
}

}  // namespace

bool QueryVolumeSpace(const std::wstring& path, VolumeSpace& space) {
  std::wstring existing = NearestExisting(path);
  if (existing.empty()) return false;
  // "C:" alone would name the current folder of drive C.
  if (existing.back() != L'\\') existing += L'\\';
  ULARGE_INTEGER available = {};
  if (!GetDiskFreeSpaceExW(existing.c_str(), &available, nullptr, nullptr)) return false;
  space.free_bytes = available.QuadPart;
  space.cluster_bytes = 1;
  // GetDiskFreeSpaceW wants the root of the volume (or of a mounted folder).
  wchar_t root[MAX_PATH + 1] = {};
  DWORD sectors_per_cluster = 0;
  DWORD bytes_per_sector = 0;
  DWORD free_clusters = 0;
  DWORD clusters = 0;
  if (GetVolumePathNameW(existing.c_str(), root, MAX_PATH + 1) &&
      GetDiskFreeSpaceW(root, &sectors_per_cluster, &bytes_per_sector, &free_clusters, &clusters) &&
      sectors_per_cluster > 0 && bytes_per_sector > 0) {
    space.cluster_bytes = static_cast<uint64_t>(sectors_per_cluster) * bytes_per_sector;
  }
  return true;
}

uint64_t RoundUpToClusters(uint64_t bytes, uint64_t cluster_bytes) {
  if (cluster_bytes <= 1) return bytes;
  return (bytes + cluster_bytes - 1) / cluster_bytes * cluster_bytes;
}
