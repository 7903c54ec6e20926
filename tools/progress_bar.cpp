#include "tools/progress_bar.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr double kDelaySeconds = 1.0;
constexpr double kRedrawSeconds = 0.1;
constexpr int kBarWidth = 30;

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

}  // namespace

ProgressBar::ProgressBar(FILE* out, bool enabled, uint64_t total_files, uint64_t total_bytes,
                         Clock clock)
    : out_(out),
      enabled_(enabled),
      total_files_(total_files),
      total_bytes_(total_bytes),
      clock_(std::move(clock)),
      start_(clock_()) {}

void ProgressBar::Update(uint64_t files_done, uint64_t bytes_done) {
  files_done_ = files_done;
  bytes_done_ = bytes_done;
  if (!enabled_ || finished_) return;
  const double now = clock_();
  if (now - start_ < kDelaySeconds || (shown_ && now - last_draw_ < kRedrawSeconds)) return;
  last_draw_ = now;
  Draw();
}

void ProgressBar::Finish() {
  if (finished_) return;
  finished_ = true;
  if (!shown_) return;
  Draw();
  std::fputc('\n', out_);
  std::fflush(out_);
}

void ProgressBar::Draw() {
  shown_ = true;
  std::fprintf(out_, "\r%s", Render(files_done_, total_files_, bytes_done_, total_bytes_).c_str());
  std::fflush(out_);
}

std::string ProgressBar::Render(uint64_t files_done, uint64_t total_files, uint64_t bytes_done,
                                uint64_t total_bytes) {
  // Bytes drive the bar; a payload of empty files advances by files instead.
  double fraction =
      total_bytes > 0   ? static_cast<double>(bytes_done) / static_cast<double>(total_bytes)
      : total_files > 0 ? static_cast<double>(files_done) / static_cast<double>(total_files)
                        : 1.0;
  fraction = std::min(fraction, 1.0);
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::string bar = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
  return bar + " " + percent + "  " + std::to_string(files_done) + "/" +
         std::to_string(total_files) + " files  " + Megabytes(bytes_done) + "/" +
         Megabytes(total_bytes) + " MiB";
}

double ProgressBar::SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
