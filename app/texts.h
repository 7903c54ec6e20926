// Every text the setup program shows, defined once. The windows, the work
// driver and the start-up use these; nothing else spells them out.
#ifndef BRINDLE_APP_TEXTS_H_
#define BRINDLE_APP_TEXTS_H_

// Title of the main window (the title bar itself is never drawn).
inline constexpr wchar_t kMainWindowTitle[] = L"Brindle";

// Error box (no caption) when the running file carries no valid package
// config, and when the install engine fails because the package cannot be
// read or fails its checks.
inline constexpr wchar_t kPackageDamagedText[] = L"安装包校验失败, 操作终止.";
// Error boxes (no caption) when the install engine fails for another reason
// than the package; "%s" stands for the full path concerned.
inline constexpr wchar_t kDiskFullText[] = L"磁盘空间不足, 无法写入“%s”, 操作终止.";
inline constexpr wchar_t kCannotWriteText[] = L"无法写入“%s”, 操作终止.";
inline constexpr wchar_t kFileInUseText[] = L"文件“%s”正被其他程序使用, 无法替换, 操作终止.";
inline constexpr wchar_t kFolderInTheWayText[] = L"“%s”是一个文件夹, 无法写入同名文件, 操作终止.";
inline constexpr wchar_t kFileInTheWayText[] = L"“%s”是一个文件, 无法创建同名文件夹, 操作终止.";
inline constexpr wchar_t kProgramNotClosedText[] = L"您选择不结束正在运行的程序“%s”, 操作终止.";
// Error box (no caption) when the uninstall engine fails.
inline constexpr wchar_t kUninstallFailedText[] = L"卸载出现错误, 操作中止.";
// Warning box when the install folder neither exists nor can be created, or
// when a file takes its place.
inline constexpr wchar_t kFolderWarningText[] = L"输入路径有误, 无法安装在此路径下";
inline constexpr wchar_t kFolderWarningCaption[] = L"提示";

// Install page.
inline constexpr wchar_t kInstallButtonCaption[] = L"立即安装";
inline constexpr wchar_t kDesktopBoxCaption[] = L"建立桌面快捷方式";
inline constexpr wchar_t kTaskbarBoxCaption[] = L"建立任务栏快捷方式";
inline constexpr wchar_t kStartMenuBoxCaption[] = L"建立开始菜单快捷方式";
inline constexpr wchar_t kAgreementBoxCaption[] = L"我同意用户协议";
inline constexpr wchar_t kBrowseButtonCaption[] = L"更换目录";

// Uninstall page.
inline constexpr wchar_t kUninstallQuestion[] = L"您确认卸载Velto吗？";
inline constexpr wchar_t kUninstallButtonCaption[] = L"卸载";
// The uninstall page's and the progress window's cancel buttons.
inline constexpr wchar_t kCancelCaption[] = L"取消";

// Step texts of the progress window.
inline constexpr wchar_t kPreparingInstallStep[] = L"准备安装...";
inline constexpr wchar_t kPreparingUninstallStep[] = L"准备卸载...";
inline constexpr wchar_t kInstallFinishedStep[] = L"安装完毕: 100%";

// Uninstall-finished window.
inline constexpr wchar_t kUninstallFinishedText[] =
    L"卸载完毕。我们致力于为您打造超一流的用户体验，我们希望能得到您宝贵的建议和反馈。";
inline constexpr wchar_t kDoneCaption[] = L"完成";

#endif  // BRINDLE_APP_TEXTS_H_
