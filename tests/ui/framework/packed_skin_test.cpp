// Unpacking the deflated skin container of the setup program's resources: the container comes
// back byte for byte; other bytes pass unchanged; every broken packed form is refused and leaves
// the bytes as they were.
#include "ui/framework/packed_skin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/ui/framework/packed_bytes.h"

namespace {

using packed_bytes::Deflate;
using packed_bytes::Le32;
using packed_bytes::Packed;

const std::string kContainer = std::string(".uir") + Le32(12) +
                               std::string("{\"cfg\":{}}\n\0", 12) + Le32(1) + Le32(100) + Le32(3) +
                               "png";

TEST(PackedSkin, UnpacksToTheContainer) {
  const std::string containers[] = {kContainer, std::string(".uir") + Le32(0) + Le32(0),
                                    kContainer + std::string(5000, 'x'), ""};
  for (const std::string& container : containers) {
    std::string bytes = Packed(container);
    ASSERT_TRUE(UnpackSkinContainer(bytes)) << container.size();
    EXPECT_EQ(bytes, container);
  }
}

TEST(PackedSkin, OtherBytesPassUnchanged) {
  const std::string cases[] = {kContainer, "", ".ui", ".uiZ" + Le32(1) + "x", "GIF89a"};
  for (const std::string& original : cases) {
    std::string bytes = original;
    EXPECT_TRUE(UnpackSkinContainer(bytes));
    EXPECT_EQ(bytes, original);
  }
}

TEST(PackedSkin, BrokenPackedFormsAreRefused) {
  const std::string stream = Deflate(kContainer);
  const uint32_t length = static_cast<uint32_t>(kContainer.size());
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"magic only", ".uiz"},
      {"length cut short", ".uiz" + std::string("\x10\x00", 2)},
      {"no stream", ".uiz" + Le32(length)},
      {"stream cut short", ".uiz" + Le32(length) + stream.substr(0, stream.size() / 2)},
      {"length one too large", ".uiz" + Le32(length + 1) + stream},
      {"length one too small", ".uiz" + Le32(length - 1) + stream},
      {"bytes after the stream", ".uiz" + Le32(length) + stream + "x"},
      {"not deflate", ".uiz" + Le32(length) + std::string(20, '\xff')},
      {"length beyond any deflate stream", ".uiz" + Le32(0xFFFFFFFFu) + stream},
  };
  for (const Case& c : cases) {
    std::string bytes = c.bytes;
    EXPECT_FALSE(UnpackSkinContainer(bytes)) << c.what;
    EXPECT_EQ(bytes, c.bytes) << c.what;
  }
}

// A stated length the format cannot hold is refused as damage before anything is allocated for
// it: an intact stream one byte over the bound, and a stream long enough that the expansion rule
// alone would let it state 4 GiB.
TEST(PackedSkin, OversizeContainersAreRefused) {
  const std::string over(kMaxSkinContainerBytes + 1, '\0');
  const std::string long_stream(5u << 20, '\xff');
  const std::string cases[] = {
      Packed(over),
      ".uiz" + Le32(0xFFFFFFFFu) + long_stream,
  };
  for (const std::string& packed : cases) {
    std::string bytes = packed;
    EXPECT_FALSE(UnpackSkinContainer(bytes)) << packed.size();
    EXPECT_EQ(bytes, packed);
  }
}

}  // namespace
