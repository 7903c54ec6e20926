// The error box text of each cause of a failed installation.
#include "app/install_failure_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InstallFailureTextTest, NamesTheCauseAndThePath) {
  const std::wstring path = L"C:\\Program Files\\Velto\\Velto.exe";
  const struct {
    InstallError error;
    std::wstring text;
  } cases[] = {
      {InstallError::kPackageDamaged, L"安装包校验失败, 操作终止."},
      {InstallError::kNone, L"安装包校验失败, 操作终止."},
      {InstallError::kDiskFull, L"磁盘空间不足, 无法写入“" + path + L"”, 操作终止."},
      {InstallError::kCannotWrite, L"无法写入“" + path + L"”, 操作终止."},
      {InstallError::kFileInUse, L"文件“" + path + L"”正被其他程序使用, 无法替换, 操作终止."},
      {InstallError::kFolderInTheWay, L"“" + path + L"”是一个文件夹, 无法写入同名文件, 操作终止."},
      {InstallError::kFileInTheWay, L"“" + path + L"”是一个文件, 无法创建同名文件夹, 操作终止."},
      {InstallError::kProgramNotClosed, L"您选择不结束正在运行的程序“" + path + L"”, 操作终止."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, InstallFailureText({c.error, path})) << static_cast<int>(c.error);
  }
}

TEST(InstallFailureTextTest, APathWithPercentSignsIsShownAsItIs) {
  EXPECT_EQ(L"无法写入“D:\\100%s\\%d”, 操作终止.",
            InstallFailureText({InstallError::kCannotWrite, L"D:\\100%s\\%d"}));
}

}  // namespace
