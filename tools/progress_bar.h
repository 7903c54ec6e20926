// A one-line progress bar on a terminal stream, shown only once work has taken longer than a
// second, so quick runs print nothing.
#ifndef BRINDLE_TOOLS_PROGRESS_BAR_H_
#define BRINDLE_TOOLS_PROGRESS_BAR_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

class ProgressBar {
 public:
  // Seconds on a monotonic clock.
  using Clock = std::function<double()>;

  // Draws on `out` (borrowed) when `enabled`. Totals are what Update counts towards.
  ProgressBar(FILE* out, bool enabled, uint64_t total_files, uint64_t total_bytes,
              Clock clock = SteadySeconds);
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Reports the work done so far. Redraws at most ten times a second, and only after the first
  // second since construction.
  void Update(uint64_t files_done, uint64_t bytes_done);
  // Draws the final state and ends the line when the bar was shown; idempotent.
  void Finish();

  // The bar's text for the given state, without line control characters.
  static std::string Render(uint64_t files_done, uint64_t total_files, uint64_t bytes_done,
                            uint64_t total_bytes);
  static double SteadySeconds();

 private:
  void Draw();

  FILE* out_;
  bool enabled_;
  uint64_t total_files_;
  uint64_t total_bytes_;
  Clock clock_;
  double start_;
  double last_draw_ = -1;
  bool shown_ = false;
  bool finished_ = false;
  uint64_t files_done_ = 0;
  uint64_t bytes_done_ = 0;
};

#endif  // BRINDLE_TOOLS_PROGRESS_BAR_H_
