// The free space of the volume a folder lies on, as the install engine
// checks it before copying.
#pragma once

#include <cstdint>
#include <string>

struct VolumeSpace {
  // Bytes free for the calling user (disk quotas counted).
  uint64_t free_bytes = 0;
  // Bytes of one allocation unit; every file takes whole units. 1 when the
  // volume does not tell.
  uint64_t cluster_bytes = 1;
};

// The space of the volume holding `path`, asked of `path` or, when it does not
// exist, of its nearest existing parent. False when no folder of `path`
// exists or the volume does not answer.
bool QueryVolumeSpace(const std::wstring& path, VolumeSpace& space);

// `bytes` rounded up to whole clusters of `cluster_bytes` (0 or 1: unchanged).
uint64_t RoundUpToClusters(uint64_t bytes, uint64_t cluster_bytes);
