#include "ui/controls/box_row.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "ui/controls/ui_check_box.h"
#include "ui/framework/draw_primitives.h"

namespace {

constexpr int kMaxGapFactor = 3;
constexpr int kRoundingSlack = 1;

// The largest cap with sum(min(need, cap)) <= budget.
int FillingCap(std::vector<int> needs, int budget) {
  std::sort(needs.begin(), needs.end());
  int left = static_cast<int>(needs.size());
  for (const int need : needs) {
    if (need * left > budget) return std::max(0, budget / left);
    budget -= need;
    --left;
  }
  return needs.empty() ? 0 : needs.back();
}

}  // namespace

std::vector<RowSlot> LayOutRow(const std::vector<int>& needs, int left, int right, int gap) {
  std::vector<RowSlot> slots;
  if (needs.empty()) return slots;
  const int count = static_cast<int>(needs.size());
  const int gaps = gap * (count - 1);
  const int total = std::accumulate(needs.begin(), needs.end(), 0) + gaps;
  const int room = right - left;
  int used_gap = gap;
  int cap = std::numeric_limits<int>::max();
  if (total <= room) {
    if (count > 1) used_gap += std::min((room - total) / (count - 1), gap * (kMaxGapFactor - 1));
  } else {
    cap = FillingCap(needs, std::max(0, room - gaps));
  }
  int x = left;
  for (const int need : needs) {
    const int width = std::max(0, std::min(need, cap));
    slots.push_back({x, width});
    x += width + used_gap;
  }
  return slots;
}

int NeededWidth(UICheckBox* box) {
  const CaptionLook& look = box->caption_look();
  const int text =
      MeasureSkinText(box->GetHostDC(), look.styles[kVisualNormal], box->caption().c_str());
  return look.margin.left + look.margin.right + text + kRoundingSlack;
}

void FitBoxRow(const std::vector<UICheckBox*>& boxes, int right, int gap) {
  if (boxes.empty() || right <= boxes.front()->rect().left) return;
  std::vector<int> needs;
  bool all_fit = true;
  for (size_t i = 0; i < boxes.size(); ++i) {
    needs.push_back(NeededWidth(boxes[i]));
    const int limit = i + 1 < boxes.size() ? boxes[i + 1]->rect().left : right;
    const RECT& rect = boxes[i]->rect();
    all_fit =
        all_fit && needs.back() <= rect.right - rect.left && rect.left + needs.back() <= limit;
  }
  if (all_fit) return;
  const std::vector<RowSlot> slots = LayOutRow(needs, boxes.front()->rect().left, right, gap);
  for (size_t i = 0; i < boxes.size(); ++i) {
    RECT rect = boxes[i]->rect();
    rect.left = slots[i].x;
    rect.right = slots[i].x + slots[i].width;
    boxes[i]->set_rect(rect);
    boxes[i]->Invalidate(nullptr, true);
  }
}
