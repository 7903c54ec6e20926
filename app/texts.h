// Every text the setup program's windows show, defined once in each of the two
// built-in languages (a package may carry more, setup/language.h). The windows, the work driver and
// the start-up take them from AppTextsFor(product language); nothing else spells them out. The step
// texts and the question of the engines are in setup/engine_texts.h.
#ifndef BRINDLE_APP_TEXTS_H_
#define BRINDLE_APP_TEXTS_H_

#include "setup/engine_texts.h"
#include "setup/product.h"

// Title of the main window (the title bar itself is never drawn).
inline constexpr wchar_t kMainWindowTitle[] = L"Brindle";

struct AppTexts {
  // Error box (no caption) when the running file carries no valid package
  // config, and when the install engine fails because the package cannot be
  // read or fails its checks.
  const wchar_t* package_damaged;
  // Error boxes (no caption) when the install engine fails for another reason
  // than the package; "%s" stands for the full path concerned.
  const wchar_t* disk_full;
  const wchar_t* cannot_write;
  const wchar_t* file_in_use;
  const wchar_t* folder_in_the_way;
  const wchar_t* file_in_the_way;
  const wchar_t* program_not_closed;
  const wchar_t* link_in_the_way;
  // Error box (no caption) when the install folder's drive has too little
  // free space for the payload, checked before anything is copied; "%s"
  // stands for the install folder.
  const wchar_t* not_enough_space;
  // Added to not_enough_space and disk_full: the first "%s" stands for the
  // space the installation needs, the second for the space that is free
  // (SpaceText, "12.5 MB").
  const wchar_t* space_figures;
  // Added below a failure text when the rollback could not restore
  // everything; "%s" stands for one line per file (the file, or the file
  // and where its original waits).
  const wchar_t* rollback_incomplete;
  // Error box (no caption) when the uninstall engine fails.
  const wchar_t* uninstall_failed;
  // Error box (no caption) when the uninstall left files; "%s" stands for
  // one line per file.
  const wchar_t* uninstall_incomplete;
  // Box (no caption) when the uninstall left files that the system removes
  // (or puts back) when it restarts; "%s" stands for one line per file.
  const wchar_t* uninstall_restart;
  // Error box (no caption) at start-up when the undoing of an interrupted
  // run could not put everything back; "%s" stands for one line per file.
  // The setup stops and tries again at its next start.
  const wchar_t* recovery_incomplete;
  // Error box (no caption) when another setup or uninstaller of the product
  // runs.
  const wchar_t* already_running;
  // Error box (no caption) of the install-finished window when the installed
  // program could not be started without administrator rights (it is never
  // started with them); "%s" stands for the program's path.
  const wchar_t* product_not_started;
  // Warning boxes (caption folder_warning_caption) of the folder check, one
  // for each cause it tells apart (FolderProblem); folder_warning for a
  // refusal that fits none of them. "%s" stands for the path the cause
  // concerns (FolderCheck::path); folder_too_long names no path.
  const wchar_t* folder_warning;
  const wchar_t* folder_warning_caption;
  const wchar_t* folder_not_full_path;
  const wchar_t* folder_bad_name;
  const wchar_t* folder_too_long;
  const wchar_t* folder_unreachable;
  const wchar_t* folder_not_writable;
  const wchar_t* folder_is_file;
  // Questions (caption folder_warning_caption, default No) before installing
  // into a folder that holds files of something else ("%s": the folder), and
  // before replacing a newer installed version ("%s": the installed
  // version).
  const wchar_t* folder_not_empty;
  const wchar_t* downgrade;

  // Install page.
  const wchar_t* install_button;
  const wchar_t* desktop_box;
  const wchar_t* taskbar_box;
  const wchar_t* start_menu_box;
  const wchar_t* agreement_box;
  const wchar_t* browse_button;
  // The scope box of a package whose scope is "both": ticked, every user.
  const wchar_t* all_users_box;

  // Uninstall page: the question ("%s" stands for the product's name), its
  // button, and the cancel button of this page and of the progress window.
  const wchar_t* uninstall_question;
  const wchar_t* uninstall_button;
  const wchar_t* cancel;

  // Step texts of the progress window.
  const wchar_t* preparing_install;
  const wchar_t* preparing_uninstall;
  const wchar_t* install_finished;
  // Step text put up before the error box of a failed engine run.
  const wchar_t* install_failed_step;
  const wchar_t* uninstall_failed_step;

  // Uninstall-finished window.
  const wchar_t* uninstall_finished;
  const wchar_t* done;

  // The box of /? and of a switch the program does not know (no caption):
  // the list of switches.
  const wchar_t* usage;

  // Names that assistive technology gives the controls that show no text of
  // their own (a picture, a box whose label is drawn into the skin): the
  // close button, the folder box, the licence box, the progress bar and the
  // install-finished window's start button.
  const wchar_t* close_name;
  const wchar_t* folder_box_name;
  const wchar_t* licence_box_name;
  const wchar_t* progress_name;
  const wchar_t* start_product_name;
};

// Every text's id, the member's name: the keys of a translation (setup/language.h).
struct AppTextId {
  const char* id;
  const wchar_t* AppTexts::*member;
};

inline constexpr AppTextId kAppTextIds[] = {
    {"package_damaged", &AppTexts::package_damaged},
    {"disk_full", &AppTexts::disk_full},
    {"cannot_write", &AppTexts::cannot_write},
    {"file_in_use", &AppTexts::file_in_use},
    {"folder_in_the_way", &AppTexts::folder_in_the_way},
    {"file_in_the_way", &AppTexts::file_in_the_way},
    {"program_not_closed", &AppTexts::program_not_closed},
    {"link_in_the_way", &AppTexts::link_in_the_way},
    {"not_enough_space", &AppTexts::not_enough_space},
    {"space_figures", &AppTexts::space_figures},
    {"rollback_incomplete", &AppTexts::rollback_incomplete},
    {"uninstall_failed", &AppTexts::uninstall_failed},
    {"uninstall_incomplete", &AppTexts::uninstall_incomplete},
    {"uninstall_restart", &AppTexts::uninstall_restart},
    {"recovery_incomplete", &AppTexts::recovery_incomplete},
    {"already_running", &AppTexts::already_running},
    {"product_not_started", &AppTexts::product_not_started},
    {"folder_warning", &AppTexts::folder_warning},
    {"folder_warning_caption", &AppTexts::folder_warning_caption},
    {"folder_not_full_path", &AppTexts::folder_not_full_path},
    {"folder_bad_name", &AppTexts::folder_bad_name},
    {"folder_too_long", &AppTexts::folder_too_long},
    {"folder_unreachable", &AppTexts::folder_unreachable},
    {"folder_not_writable", &AppTexts::folder_not_writable},
    {"folder_is_file", &AppTexts::folder_is_file},
    {"folder_not_empty", &AppTexts::folder_not_empty},
    {"downgrade", &AppTexts::downgrade},
    {"install_button", &AppTexts::install_button},
    {"desktop_box", &AppTexts::desktop_box},
    {"taskbar_box", &AppTexts::taskbar_box},
    {"start_menu_box", &AppTexts::start_menu_box},
    {"agreement_box", &AppTexts::agreement_box},
    {"browse_button", &AppTexts::browse_button},
    {"all_users_box", &AppTexts::all_users_box},
    {"uninstall_question", &AppTexts::uninstall_question},
    {"uninstall_button", &AppTexts::uninstall_button},
    {"cancel", &AppTexts::cancel},
    {"preparing_install", &AppTexts::preparing_install},
    {"preparing_uninstall", &AppTexts::preparing_uninstall},
    {"install_finished", &AppTexts::install_finished},
    {"install_failed_step", &AppTexts::install_failed_step},
    {"uninstall_failed_step", &AppTexts::uninstall_failed_step},
    {"uninstall_finished", &AppTexts::uninstall_finished},
    {"done", &AppTexts::done},
    {"usage", &AppTexts::usage},
    {"close_name", &AppTexts::close_name},
    {"folder_box_name", &AppTexts::folder_box_name},
    {"licence_box_name", &AppTexts::licence_box_name},
    {"progress_name", &AppTexts::progress_name},
    {"start_product_name", &AppTexts::start_product_name},
};
static_assert(sizeof(kAppTextIds) / sizeof(kAppTextIds[0]) == sizeof(AppTexts) / sizeof(wchar_t*),
              "every text of AppTexts has its id");

inline constexpr AppTexts kChineseTexts = {
    L"安装包校验失败, 操作终止.",
    L"磁盘空间不足, 无法写入“%s”, 操作终止.",
    L"无法写入“%s”, 操作终止.",
    L"文件“%s”正被其他程序使用, 无法替换, 操作终止.",
    L"“%s”是一个文件夹, 无法写入同名文件, 操作终止.",
    L"“%s”是一个文件, 无法创建同名文件夹, 操作终止.",
    L"您选择不结束正在运行的程序“%s”, 操作终止.",
    L"“%s”是一个指向别处的链接, 无法在其中写入, 操作终止.",
    L"磁盘空间不足, 无法安装到“%s”, 操作终止.",
    L"\n\n需要空间: %s, 可用空间: %s",
    L"\n\n以下文件未能恢复原状 (原文件保存在箭头所指之处):\n%s",
    L"卸载出现错误, 操作中止.",
    L"卸载未能完成, 以下文件无法删除或恢复, 请关闭占用它们的程序后再次卸载:\n%s",
    L"卸载已完成, 以下文件正被使用, 将在重新启动计算机时删除或恢复:\n%s",
    L"上次中断的安装未能完全撤销, 以下文件无法恢复原状, "
    L"请关闭占用它们的程序后再次运行安装程序:\n%s",
    L"该产品的另一个安装或卸载程序正在运行, 操作终止.",
    L"无法以当前用户的身份启动“%s”, 请稍后从开始菜单或桌面启动该程序.",
    L"输入路径有误, 无法安装在此路径下",
    L"提示",
    L"“%s”不是完整的路径, 请输入以盘符 (如 C:\\) 开头的路径, 无法安装在此路径下",
    L"“%s”含有 Windows 不允许的字符 (: * ? \" < > |) 或名称 (如 CON、NUL、以点或空格结尾的名称), "
    L"无法安装在此路径下",
    L"输入路径太长 (最多 246 个字符), 无法安装在此路径下",
    L"无法访问“%s”, 该驱动器或网络位置不存在或未连接, 无法安装在此路径下",
    L"无法在“%s”中写入 (只读或没有权限), 无法安装在此路径下",
    L"“%s”是一个文件, 不是文件夹, 无法安装在此路径下",
    L"文件夹“%s”中已有其他文件, 确定要安装到此文件夹吗?",
    L"已安装的版本 %s 比本安装包更新, 确定要安装较旧的版本吗?",
    L"立即安装",
    L"建立桌面快捷方式",
    L"建立任务栏快捷方式",
    L"建立开始菜单快捷方式",
    L"我同意用户协议",
    L"更换目录",
    L"为所有用户安装",
    L"您确认卸载%s吗？",
    L"卸载",
    L"取消",
    L"准备安装...",
    L"准备卸载...",
    L"安装完毕: 100%",
    L"安装失败",
    L"卸载未能完成",
    L"卸载完毕。我们致力于为您打造超一流的用户体验，我们希望能得到您宝贵的建议和反馈。",
    L"完成",
    L"用法: 安装程序 [/S | /PASSIVE] [/NODESKTOP] [/NOTASKBAR] [/NOSTARTMENU] "
    L"[/ALLUSERS | /CURRENTUSER] [/LOG=文件] [/D=安装目录]\n\n"
    L"/S\t静默: 不显示任何窗口和提示\n"
    L"/PASSIVE\t只显示进度窗口\n"
    L"/NODESKTOP, /NOTASKBAR, /NOSTARTMENU\t不建立该快捷方式\n"
    L"/ALLUSERS, /CURRENTUSER\t为所有用户或只为当前用户安装 (安装包允许选择时)\n"
    L"/LOG=文件\t把过程写入日志 (UTF-8)\n"
    L"/ALLOWDOWNGRADE, /ALLOWNONEMPTYFOLDER, /CLOSEAPPLICATIONS\t无人值守时允许降级安装, "
    L"允许装入有其他文件的目录, 结束正在运行的本产品程序\n"
    L"/D=安装目录\t安装目录, 可含空格 (不加引号时放在最后)\n"
    L"/?\t显示本说明",
    L"关闭",
    L"安装目录",
    L"用户协议",
    L"进度",
    L"立即体验",
};

inline constexpr AppTexts kEnglishTexts = {
    L"The setup package failed its check. Setup stopped.",
    L"There is not enough disk space to write \u201c%s\u201d. Setup stopped.",
    L"\u201c%s\u201d cannot be written. Setup stopped.",
    L"The file \u201c%s\u201d is in use by another program and cannot be replaced. Setup stopped.",
    L"\u201c%s\u201d is a folder, so a file of that name cannot be written. Setup stopped.",
    L"\u201c%s\u201d is a file, so a folder of that name cannot be created. Setup stopped.",
    L"You chose not to close the running program \u201c%s\u201d. Setup stopped.",
    L"\u201c%s\u201d is a link to somewhere else; setup does not write through it. Setup "
    L"stopped.",
    L"There is not enough disk space to install into \u201c%s\u201d. Setup stopped.",
    L"\n\nSpace needed: %s; space free: %s",
    L"\n\nThese files could not be restored (each original waits where its arrow points):\n%s",
    L"An error occurred while uninstalling. Uninstall stopped.",
    L"The uninstall could not finish. These files could not be removed or restored; close the "
    L"programs that use them and uninstall again:\n%s",
    L"Uninstall complete. These files are in use; they are removed or restored when the "
    L"computer restarts:\n%s",
    L"An interrupted setup could not be undone completely. These files could not be put back; "
    L"close the programs that use them and run the setup again:\n%s",
    L"Another setup or uninstall of this product is running. Setup stopped.",
    L"\u201c%s\u201d could not be started as the signed-in user. Start it later from the "
    L"Start menu or the desktop.",
    L"The folder is not valid; setup cannot install there.",
    L"Notice",
    L"\u201c%s\u201d is not a full path: start it with a drive (such as C:\\). Setup cannot "
    L"install there.",
    L"\u201c%s\u201d holds a character Windows does not allow in names (: * ? \" < > |) or a "
    L"reserved name (such as CON or NUL, or a name ending with a dot or a blank). Setup cannot "
    L"install there.",
    L"The folder path is too long (246 characters at most). Setup cannot install there.",
    L"\u201c%s\u201d cannot be reached: the drive or network location does not exist or is not "
    L"connected. Setup cannot install there.",
    L"\u201c%s\u201d cannot be written to (it is read-only, or access is denied). Setup cannot "
    L"install there.",
    L"\u201c%s\u201d is a file, not a folder. Setup cannot install there.",
    L"The folder \u201c%s\u201d already holds other files. Install into it anyway?",
    L"The installed version %s is newer than this setup. Install the older version anyway?",
    L"Install now",
    L"Desktop shortcut",
    L"Taskbar shortcut",
    L"Start menu shortcut",
    L"I accept the licence agreement",
    L"Browse",
    L"Install for all users",
    L"Do you want to uninstall %s?",
    L"Uninstall",
    L"Cancel",
    L"Preparing to install...",
    L"Preparing to uninstall...",
    L"Installation complete: 100%",
    L"Installation failed",
    L"Uninstall did not finish",
    L"Uninstall complete. Your suggestions and feedback are welcome.",
    L"Done",
    L"Usage: setup [/S | /PASSIVE] [/NODESKTOP] [/NOTASKBAR] [/NOSTARTMENU] "
    L"[/ALLUSERS | /CURRENTUSER] [/LOG=file] [/D=folder]\n\n"
    L"/S\tsilent: no window and no question\n"
    L"/PASSIVE\tonly the progress window\n"
    L"/NODESKTOP, /NOTASKBAR, /NOSTARTMENU\tleave out that shortcut\n"
    L"/ALLUSERS, /CURRENTUSER\tinstall for every user or for you only (where the setup lets you "
    L"choose)\n"
    L"/LOG=file\twrite what the setup does to a UTF-8 log\n"
    L"/ALLOWDOWNGRADE, /ALLOWNONEMPTYFOLDER, /CLOSEAPPLICATIONS\tunattended: install over a "
    L"newer version, into a folder of other files, ending the product's running programs\n"
    L"/D=folder\tthe install folder; blanks allowed (last when not quoted)\n"
    L"/?\tshow this list",
    L"Close",
    L"Install folder",
    L"Licence agreement",
    L"Progress",
    L"Start now",
};

// The texts in `language`: a translation's texts point into `language`'s table and stay valid
// while a copy of it lives; an id the translation lacks, or whose placeholders differ from the
// English text's, is shown in English. Defined in texts.cpp, so that one translation unit holds
// the tables' strings (an inline function would put a copy of every string into each window's
// object).
AppTexts AppTextsFor(const Language& language);

#endif  // BRINDLE_APP_TEXTS_H_
