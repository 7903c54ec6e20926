#include "ui/framework/gdi_handles.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using brindle::gdi::Brush;
using brindle::gdi::BrushView;
using brindle::gdi::MemoryDC;
using brindle::gdi::ScopedSaveDC;
using brindle::gdi::ScopedSelectObject;
using brindle::gdi::WindowDC;

bool IsLiveObject(HGDIOBJ object) { return ::GetObjectType(object) != 0; }

TEST(GdiHandlesTest, OwnerDeletesOnceAndMovesOwnership) {
  HBRUSH raw = ::CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_NE(nullptr, raw);
  {
    Brush first(raw);
    Brush second(std::move(first));
    EXPECT_FALSE(first);  // NOLINT: checking the moved-from state
    EXPECT_EQ(raw, second.get());
    Brush third;
    third = std::move(second);
    EXPECT_EQ(raw, third.get());
    const BrushView view(third);
    EXPECT_EQ(raw, view.get());
    EXPECT_TRUE(IsLiveObject(raw));
  }
  EXPECT_FALSE(IsLiveObject(raw));
}

TEST(GdiHandlesTest, ReleaseHandsOverAndResetDeletes) {
  Brush brush(::CreateSolidBrush(RGB(4, 5, 6)));
  HBRUSH released = brush.release();
  EXPECT_FALSE(brush);
  EXPECT_TRUE(IsLiveObject(released));
  brush.reset(released);
  HBRUSH replacement = ::CreateSolidBrush(RGB(7, 8, 9));
  brush.reset(replacement);
  EXPECT_FALSE(IsLiveObject(released));
  EXPECT_TRUE(IsLiveObject(replacement));
  brush.reset(replacement);  // the same handle again: kept, not deleted
  EXPECT_TRUE(IsLiveObject(replacement));
  *brush.receive() = ::CreateSolidBrush(0);
  EXPECT_FALSE(IsLiveObject(replacement));
}

TEST(GdiHandlesTest, ScopedSelectionRestoresThePreviousObject) {
  const MemoryDC dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BRUSH);
  const Brush brush(::CreateSolidBrush(RGB(10, 20, 30)));
  {
    const ScopedSelectObject select(dc.get(), brush.get());
    EXPECT_EQ(original, select.previous());
    EXPECT_EQ(brush.get(), ::GetCurrentObject(dc.get(), OBJ_BRUSH));
  }
  EXPECT_EQ(original, ::GetCurrentObject(dc.get(), OBJ_BRUSH));
}

TEST(GdiHandlesTest, ScopedSaveRestoresTheDCState) {
  const MemoryDC dc(::CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  ::SetBkMode(dc.get(), OPAQUE);
  {
    const ScopedSaveDC save(dc.get());
    ::SetBkMode(dc.get(), TRANSPARENT);
  }
  EXPECT_EQ(OPAQUE, ::GetBkMode(dc.get()));
}

TEST(GdiHandlesTest, WindowDCIsReleasedAndMovable) {
  WindowDC screen(nullptr);
  ASSERT_TRUE(screen);
  WindowDC moved(std::move(screen));
  EXPECT_FALSE(screen);  // NOLINT: checking the moved-from state
  EXPECT_TRUE(moved);
  EXPECT_NE(0, ::GetDeviceCaps(moved.get(), BITSPIXEL));
  moved.reset();
  EXPECT_FALSE(moved);
}

}  // namespace
