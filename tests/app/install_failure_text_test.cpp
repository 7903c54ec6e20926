// The error box text and the exit code of each cause of a failed installation.
#include "app/install_failure_text.h"

#include <gtest/gtest.h>

#include <string>

#include "app/exit_code.h"

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
    EXPECT_EQ(c.text, InstallFailureText({c.error, path, {}}, kChineseTexts))
        << static_cast<int>(c.error);
  }
}

TEST(InstallFailureTextTest, APathWithPercentSignsIsShownAsItIs) {
  EXPECT_EQ(L"无法写入“D:\\100%s\\%d”, 操作终止.",
            InstallFailureText({InstallError::kCannotWrite, L"D:\\100%s\\%d", {}}, kChineseTexts));
}

TEST(InstallFailureTextTest, EnglishTextsNameTheSameCauses) {
  const std::wstring path = L"C:\\Mossbank\\a.txt";
  EXPECT_EQ(InstallFailureText({InstallError::kDiskFull, path, {}}, kEnglishTexts),
            L"There is not enough disk space to write \u201c" + path + L"\u201d. Setup stopped.");
  EXPECT_EQ(InstallFailureText({InstallError::kPackageDamaged, path, {}}, kEnglishTexts),
            L"The setup package failed its check. Setup stopped.");
}

TEST(InstallFailureTextTest, AnIncompleteRollbackListsWhatItCouldNotRestore) {
  const InstallResult result{InstallError::kFileInUse,
                             L"C:\\P\\a.dll",
                             {L"C:\\P\\b.dll", L"C:\\P\\c.dll \u2190 C:\\P\\c.dll.old"}};
  EXPECT_EQ(InstallFailureText(result, kChineseTexts),
            L"文件“C:\\P\\a.dll”正被其他程序使用, 无法替换, 操作终止.\n\n"
            L"以下文件未能恢复原状 (原文件保存在箭头所指之处):\n"
            L"C:\\P\\b.dll\nC:\\P\\c.dll \u2190 C:\\P\\c.dll.old");
}

// A full disk and a volume too small give the space needed (rounded up) and free (rounded
// down); without figures (the volume did not answer) the text stops at its cause.
TEST(InstallFailureTextTest, SpaceTextsGiveTheFiguresNeededAndFree) {
  const std::wstring folder = L"T:\\Velto";
  constexpr uint64_t kMiB = 1024 * 1024;
  InstallResult short_of_space{InstallError::kNotEnoughSpace, folder, {}};
  short_of_space.needed_bytes = 20 * kMiB + 1;
  short_of_space.free_bytes = 16 * kMiB - 1;
  EXPECT_EQ(
      InstallFailureText(short_of_space, kChineseTexts),
      L"磁盘空间不足, 无法安装到“T:\\Velto”, 操作终止.\n\n需要空间: 20.1 MB, 可用空间: 15.9 MB");
  EXPECT_EQ(InstallFailureText(short_of_space, kEnglishTexts),
            L"There is not enough disk space to install into \u201cT:\\Velto\u201d. Setup "
            L"stopped.\n\nSpace needed: 20.1 MB; space free: 15.9 MB");
  InstallResult full{InstallError::kDiskFull, folder + L"\\big.bin", {}};
  full.needed_bytes = 3 * kMiB;
  full.free_bytes = 64 * 1024;
  EXPECT_EQ(InstallFailureText(full, kChineseTexts),
            L"磁盘空间不足, 无法写入“T:\\Velto\\big.bin”, 操作终止.\n\n需要空间: 3.0 MB, 可用空间: "
            L"64 KB");
  full.needed_bytes = 0;
  EXPECT_EQ(InstallFailureText(full, kChineseTexts),
            L"磁盘空间不足, 无法写入“T:\\Velto\\big.bin”, 操作终止.");
  // Figures belong to the space causes only.
  InstallResult other{InstallError::kCannotWrite, folder, {}};
  other.needed_bytes = kMiB;
  EXPECT_EQ(InstallFailureText(other, kChineseTexts), L"无法写入“T:\\Velto”, 操作终止.");
  // Nothing was written: the code of every failed install.
  EXPECT_EQ(InstallFailureExitCode(short_of_space), kExitFailed);
}

// Every text of both languages is there, and each one that names a path or a product has
// exactly one "%s".
TEST(InstallFailureTextTest, BothLanguagesHaveEveryTextAndTheirPlaceholders) {
  for (const AppTexts* texts : {&kChineseTexts, &kEnglishTexts}) {
    const wchar_t* const with_placeholder[] = {
        texts->disk_full,
        texts->cannot_write,
        texts->file_in_use,
        texts->folder_in_the_way,
        texts->file_in_the_way,
        texts->program_not_closed,
        texts->link_in_the_way,
        texts->rollback_incomplete,
        texts->uninstall_incomplete,
        texts->uninstall_restart,
        texts->recovery_incomplete,
        texts->folder_not_empty,
        texts->downgrade,
        texts->uninstall_question,
        texts->not_enough_space,
        texts->folder_not_full_path,
        texts->folder_bad_name,
        texts->folder_unreachable,
        texts->folder_not_writable,
        texts->folder_is_file,
    };
    for (const wchar_t* text : with_placeholder) {
      const std::wstring value = text;
      EXPECT_NE(value.find(L"%s"), std::wstring::npos) << value;
      EXPECT_EQ(value.find(L"%s"), value.rfind(L"%s")) << value;
    }
    EXPECT_NE(std::wstring(texts->done), L"");
  }
  EXPECT_EQ(std::wstring(AppTextsFor(Language::English()).install_button),
            kEnglishTexts.install_button);
  EXPECT_EQ(std::wstring(AppTextsFor(Language::Chinese()).install_button),
            kChineseTexts.install_button);
}

}  // namespace

namespace {

TEST(InstallFailureExitCodeTest, EachCauseHasItsCode) {
  const struct {
    InstallError error;
    UINT code;
  } cases[] = {
      {InstallError::kPackageDamaged, kExitPackageDamaged},
      {InstallError::kProgramNotClosed, kExitProductRunning},
      {InstallError::kDiskFull, kExitFailed},
      {InstallError::kCannotWrite, kExitFailed},
      {InstallError::kFileInUse, kExitFailed},
      {InstallError::kFolderInTheWay, kExitFailed},
      {InstallError::kFileInTheWay, kExitFailed},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.code, InstallFailureExitCode({c.error, L"C:\\x", {}})) << static_cast<int>(c.error);
  }
}

// 3010 only when what is left goes at the restart; files left without that are a failure.
TEST(UninstallExitCodeTest, ARestartCodeOnlyWithRemovalsScheduled) {
  const std::vector<std::wstring> held = {L"C:\\Velto\\held.dat"};
  const struct {
    bool read;
    std::vector<std::wstring> left;
    bool scheduled;
    UINT code;
  } cases[] = {
      {false, {}, false, kExitFailed},
      {true, {}, false, kExitSuccess},
      {true, held, true, kExitRestartNeeded},
      {true, held, false, kExitFailed},
  };
  for (const auto& c : cases) {
    UninstallResult result;
    result.read = c.read;
    result.left = c.left;
    result.restart_scheduled = c.scheduled;
    EXPECT_EQ(c.code, UninstallExitCode(result)) << c.read << c.left.size() << c.scheduled;
  }
}

}  // namespace
