// The texts the install and uninstall engines show (step texts and the
// question to end a running program), in the two built-in languages.
#pragma once

#include <string>

#include "setup/product.h"

struct EngineTexts {
  // Step texts; "%ld%%" stands for the percentage (FormatLong).
  const wchar_t* copying_step;
  const wchar_t* desktop_step;
  const wchar_t* taskbar_step;
  const wchar_t* start_menu_step;
  const wchar_t* deleting_step;
  // The question whether to end the program that holds a file being
  // replaced; "%s" stands for the file's name.
  const wchar_t* in_use_caption;
  const wchar_t* in_use_question;
};

// Every text's id, the member's name: the keys of a translation (setup/language.h).
struct EngineTextId {
  const char* id;
  const wchar_t* EngineTexts::*member;
};

inline constexpr EngineTextId kEngineTextIds[] = {
    {"copying_step", &EngineTexts::copying_step},
    {"desktop_step", &EngineTexts::desktop_step},
    {"taskbar_step", &EngineTexts::taskbar_step},
    {"start_menu_step", &EngineTexts::start_menu_step},
    {"deleting_step", &EngineTexts::deleting_step},
    {"in_use_caption", &EngineTexts::in_use_caption},
    {"in_use_question", &EngineTexts::in_use_question},
};
static_assert(sizeof(kEngineTextIds) / sizeof(kEngineTextIds[0]) ==
                  sizeof(EngineTexts) / sizeof(wchar_t*),
              "every text of EngineTexts has its id");

inline constexpr EngineTexts kChineseEngineTexts = {
    L"正在复制文件: %ld%%",
    L"正在创建桌面快捷方式: %ld%%",
    L"正在创建任务栏快捷方式: %ld%%",
    L"正在创建开始菜单快捷方式: %ld%%",
    L"正在删除快捷方式: %ld%%",
    L"关闭占用",
    L"检测到程序“%s”正在运行, 您必须结束该程序才能继续安装, 是否继续?",
};

inline constexpr EngineTexts kEnglishEngineTexts = {
    L"Copying files: %ld%%",
    L"Creating desktop shortcuts: %ld%%",
    L"Creating taskbar shortcuts: %ld%%",
    L"Creating start menu shortcuts: %ld%%",
    L"Removing shortcuts: %ld%%",
    L"Program in use",
    L"The program \u201c%s\u201d is running. It must be closed before the installation can go on. "
    L"Close it and continue?",
};

// The texts in `language`, as AppTextsFor (app/texts.h) gives the windows' texts (defined in
// engine_texts.cpp: one copy of the strings in the program).
EngineTexts EngineTextsFor(const Language& language);

// `format` with its first "%s" replaced by `value` (replaced, not printed: a
// path or a name may hold "%" itself).
std::wstring FillText(const wchar_t* format, const std::wstring& value);

// `format` with its first "%s" replaced by `first` and the next by `second`,
// in the same way (a "%s" inside `first` stays as it is).
std::wstring FillText(const wchar_t* format, const std::wstring& first, const std::wstring& second);
