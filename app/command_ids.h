// Command ids of the shipped skin's elements ("id" entries); the setup windows
// act on these numbers, so the skin and this table must agree.
#ifndef BRINDLE_APP_COMMAND_IDS_H_
#define BRINDLE_APP_COMMAND_IDS_H_

enum CommandId : int {
  // The frames' close buttons ("SysBtns/Close").
  kCommandClose = 1000,
  // "立即安装" on the install page, "卸载" on the uninstall page.
  kCommandStart = 1001,
  // The agreement box on the install page; "取消" on the uninstall page and
  // "完成" on the uninstall-finished window.
  kCommandAgreeOrCancel = 1002,
  // The desktop box (1003) and the taskbar and start menu boxes (1004).
  kCommandDesktopBox = 1003,
  kCommandShortcutBox = 1004,
  // "更换目录".
  kCommandBrowse = 1005,
  // "为所有用户安装", shown for a package whose scope is "both".
  kCommandAllUsersBox = 1006,
  // "SuccessWindow/Button1": starts the installed program.
  kCommandLaunch = 2001,
  // The progress window's (hidden) cancel button.
  kCommandCancelWork = 2002,
};

#endif  // BRINDLE_APP_COMMAND_IDS_H_
