// UILabel: skin reading (shipped and preset text), drawing in a layered host
// (empty text draws nothing), and the text lock shared between a worker
// thread's SetText and painting.
#include "ui/controls/ui_label.h"

#include <gtest/gtest.h>
#include <process.h>

#include <string>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/framework/draw_primitives.h"

namespace brindle::test {
namespace {

// True when every pixel of `rect` is fully transparent.
bool AllTransparent(const ControlHost& host, const RECT& rect) {
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (host.Pixel(x, y) >> 24 != 0) return false;
    }
  }
  return true;
}

// The number of pixels of `rect` that are mostly red (the test text colour).
int RedPixels(const ControlHost& host, const RECT& rect) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const uint32_t p = host.Pixel(x, y);
      const uint32_t alpha = p >> 24, red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF;
      if (alpha > 0x80 && red > 0x80 && green < 0x40) ++count;
    }
  }
  return count;
}

TEST(UILabelTest, BeforeLoadingItIsCentredDragThroughAndOfKindZero) {
  UILabel label;
  EXPECT_EQ(label.style().align, static_cast<UINT>(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
  EXPECT_EQ(label.kind(), 0);
  EXPECT_TRUE(label.drag_through());
  EXPECT_TRUE(label.text().empty());
}

TEST(UILabelTest, DescribesItselfAsStaticTextNamedByItsText) {
  UILabel label;
  EXPECT_EQ(label.Describe().role, ElementRole::kStaticText);
  EXPECT_TRUE(label.Describe().name.empty());
  label.SetText(L"准备安装...");
  EXPECT_EQ(label.Describe().name, L"准备安装...");
  EXPECT_TRUE(label.Describe().value.empty());
}

TEST(UILabelTest, ReadsTheShippedStepTextStyle) {
  UIResource skin;
  ASSERT_TRUE(LoadShippedSkin(skin));
  UILabel label;
  ASSERT_TRUE(label.LoadSkin(&skin, "ProcessWindow/Label1", nullptr));
  EXPECT_EQ(label.style().align, 36u);
  EXPECT_EQ(label.style().color, 131586u);
  EXPECT_EQ(label.size_x(), 56);
  EXPECT_EQ(label.size_y(), 220);
  EXPECT_EQ(label.size_w(), 558);
  EXPECT_EQ(label.size_h(), 28);
  EXPECT_EQ(label.command_id(), 0);
  EXPECT_TRUE(label.text().empty());
}

TEST(UILabelTest, SkinCanPresetTheTextAndAMissingStyleIsAllZero) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(
      CellSkin(R"({"W":{"Preset":{"id":9,"size":[1,2,3,4],"text":{"al":37,"tx":"预设文字"}},)"
               R"("Bare":{"size":[1,2,3,4]}}})")));
  UILabel preset;
  ASSERT_TRUE(preset.LoadSkin(&skin, "W/Preset", nullptr));
  EXPECT_EQ(preset.text(), L"预设文字");
  EXPECT_EQ(preset.command_id(), 0);  // A label reads no "id".
  UILabel bare;
  ASSERT_TRUE(bare.LoadSkin(&skin, "W/Bare", nullptr));
  EXPECT_EQ(bare.style().align, 0u);
  EXPECT_TRUE(bare.text().empty());
  UILabel missing;
  EXPECT_FALSE(missing.LoadSkin(&skin, "W/None", nullptr));
}

class UILabelPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(
        CellSkin(R"({"W":{"Label":{"size":[10,10,180,30],"text":{"al":37,"cr":255}}}})")));
    ASSERT_TRUE(host_.Open(200, 60));
    label_ = MakeControl<UILabel>(&skin_, "W/Label", kElementLabel, &host_);
    ASSERT_NE(label_, nullptr);
    host_.Invalidate(nullptr, true);
  }

  UIResource skin_;
  ControlHost host_;
  UILabel* label_ = nullptr;
};

TEST_F(UILabelPaintTest, DrawsItsTextOnlyWhenThereIsOne) {
  EXPECT_TRUE(AllTransparent(host_, label_->rect()));
  label_->SetText(L"Installing 安装");
  EXPECT_GT(RedPixels(host_, label_->rect()), 10);
  EXPECT_EQ(label_->text_lock().depth(), 0);
  // Replaced by nothing: the label's area is composed again, empty.
  label_->SetText(nullptr);
  EXPECT_TRUE(label_->text().empty());
  EXPECT_TRUE(AllTransparent(host_, label_->rect()));
}

// A one-line text wider than the label shows its longest start that fits,
// ended by "…" at a whole character; the label's name stays whole.
TEST_F(UILabelPaintTest, ATooWideTextIsShortenedWithAnEllipsis) {
  HDC dc = label_->GetHostDC();
  const TextStyle& style = label_->style();
  const int width = label_->rect().right - label_->rect().left;
  EXPECT_EQ(FitTextToWidth(dc, style, L"Installing", width), L"Installing");
  EXPECT_EQ(FitTextToWidth(dc, style, L"Installing", 1), L"\u2026");
  const std::wstring wide_texts[] = {
      L"Uninstall complete. Your suggestions and feedback are welcome, always and everywhere.",
      L"卸载完毕。我们致力于为您打造超一流的用户体验，我们希望能得到您宝贵的建议和反馈。",
      std::wstring(60, L'W'),
      // U+20000 repeated: pairs of UTF-16 units that must stay together.
      [] {
        std::wstring pairs;
        for (int i = 0; i < 60; ++i) pairs += L"\xD840\xDC00";
        return pairs;
      }(),
  };
  for (const std::wstring& text : wide_texts) {
    const std::wstring shown = FitTextToWidth(dc, style, text, width);
    ASSERT_GE(shown.size(), 2u) << text;
    EXPECT_LE(MeasureSkinText(dc, style, shown.c_str()), width) << shown;
    EXPECT_EQ(shown.back(), L'\u2026');
    const std::wstring start = shown.substr(0, shown.size() - 1);
    EXPECT_EQ(text.compare(0, start.size(), start), 0) << shown;
    EXPECT_NE(start.back(), L' ');
    EXPECT_FALSE(IS_HIGH_SURROGATE(start.back())) << shown;
    // Not shortened further than needed: one more character would not fit.
    const size_t next = start.size() + (IS_HIGH_SURROGATE(text[start.size()]) ? 2 : 1);
    if (text[start.size()] != L' ') {
      EXPECT_GT(MeasureSkinText(dc, style, (text.substr(0, next) + L"\u2026").c_str()), width);
    }
  }

  label_->SetText(wide_texts[0].c_str());
  EXPECT_GT(RedPixels(host_, label_->rect()), 10);
  EXPECT_TRUE(AllTransparent(host_, {label_->rect().right, 0, 200, 60}));
  EXPECT_EQ(label_->text(), wide_texts[0]);
}

struct WorkerCall {
  UILabel* label;
  const wchar_t* text;
  HANDLE started;
};

unsigned __stdcall SetTextOnWorker(void* argument) {
  auto* call = static_cast<WorkerCall*>(argument);
  ::SetEvent(call->started);
  call->label->SetText(call->text);
  return 0;
}

// The worker's SetText waits while the user-interface thread holds the lock
// (as painting does), and goes through once it is released.
TEST_F(UILabelPaintTest, SetTextFromAnotherThreadWaitsForThePainter) {
  label_->SetText(L"before");
  HANDLE started = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(started, nullptr);
  WorkerCall call = {label_, L"after", started};
  label_->text_lock().Lock();
  auto worker =
      reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, &SetTextOnWorker, &call, 0, nullptr));
  ASSERT_NE(worker, nullptr);
  ASSERT_EQ(::WaitForSingleObject(started, 5000), WAIT_OBJECT_0);
  // Bounded look for something that must not happen while the lock is held.
  EXPECT_EQ(::WaitForSingleObject(worker, 200), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(label_->text_lock().depth(), 1);
  EXPECT_EQ(label_->text(), L"before");  // Re-entrant on the holding thread.
  label_->text_lock().Unlock();

  // The worker's repaint request is a message to this thread's window: pump
  // until the worker has finished.
  EXPECT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }));
  EXPECT_EQ(label_->text(), L"after");
  ::CloseHandle(worker);
  ::CloseHandle(started);

  label_->Invalidate(nullptr, true);
  EXPECT_GT(RedPixels(host_, label_->rect()), 10);
}

}  // namespace
}  // namespace brindle::test
