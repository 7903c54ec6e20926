#include "tools/progress_bar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Captures what a ProgressBar writes.
class Capture {
 public:
  Capture() : file_(std::tmpfile()) {}
  ~Capture() { std::fclose(file_); }
  FILE* file() const { return file_; }
  std::string Text() const {
    std::fflush(file_);
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

 private:
  FILE* file_;
};

TEST(ProgressBarTest, StaysSilentDuringTheFirstSecond) {
  Capture capture;
  double now = 100.0;
  {
    ProgressBar bar(capture.file(), true, 10, 1000, [&now] { return now; });
    now = 100.9;
    bar.Update(9, 900);
  }
  EXPECT_EQ(capture.Text(), "");
}

TEST(ProgressBarTest, DrawsAfterASecondAndEndsTheLine) {
  Capture capture;
  double now = 0.0;
  ProgressBar bar(capture.file(), true, 4, 4 * 1024 * 1024, [&now] { return now; });
  now = 1.5;
  bar.Update(1, 1024 * 1024);
  now = 1.55;  // within the redraw interval: not drawn
  bar.Update(2, 2 * 1024 * 1024);
  now = 1.7;
  bar.Update(3, 3 * 1024 * 1024);
  bar.Finish();
  bar.Finish();
  const std::string quarter = ProgressBar::Render(1, 4, 1024 * 1024, 4 * 1024 * 1024);
  const std::string three_quarters = ProgressBar::Render(3, 4, 3 * 1024 * 1024, 4 * 1024 * 1024);
  EXPECT_EQ(capture.Text(), "\r" + quarter + "\r" + three_quarters + "\r" + three_quarters + "\n");
}

TEST(ProgressBarTest, DisabledBarNeverDraws) {
  Capture capture;
  double now = 0.0;
  ProgressBar bar(capture.file(), false, 1, 1, [&now] { return now; });
  now = 10.0;
  bar.Update(1, 1);
  bar.Finish();
  EXPECT_EQ(capture.Text(), "");
}

TEST(ProgressBarTest, RenderShowsFilesBytesAndShare) {
  EXPECT_EQ(ProgressBar::Render(1, 4, 1024 * 1024, 4 * 1024 * 1024),
            "[#######.......................]  25%  1/4 files  1.0/4.0 MiB");
  EXPECT_EQ(ProgressBar::Render(3, 3, 5, 5),
            "[##############################] 100%  3/3 files  0.0/0.0 MiB");
  // Only empty files: the file count drives the bar.
  EXPECT_EQ(ProgressBar::Render(1, 2, 0, 0),
            "[###############...............]  50%  1/2 files  0.0/0.0 MiB");
  // More bytes than announced (a file grew) never overfills the bar.
  EXPECT_EQ(ProgressBar::Render(1, 1, 20, 10),
            "[##############################] 100%  1/1 files  0.0/0.0 MiB");
}

}  // namespace
