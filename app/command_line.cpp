#include "app/command_line.h"

#include <algorithm>
#include <cwctype>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

size_t SkipBlanks(const std::wstring& text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// True when `argument` (without its "/" or "-") starts with `name` in any case.
bool StartsWith(const std::wstring& argument, const wchar_t* name) {
  return Upper(argument.substr(0, std::char_traits<wchar_t>::length(name))) == name;
}

// The argument that starts at `at`, split as CommandLineToArgvW splits
// every argument after the program name: it ends at a blank outside double
// quotes; 2n backslashes before a quote give n backslashes and the quote
// opens or closes quoting; 2n+1 give n backslashes and a literal quote; two
// quotes inside quoting give a literal quote and end the quoting; other
// backslashes stay as they are. `at` moves past the argument.
std::wstring NextArgument(const std::wstring& text, size_t& at) {
  std::wstring argument;
  bool quoted = false;
  while (at < text.size() && (quoted || !IsBlank(text[at]))) {
    if (text[at] == L'\\') {
      size_t count = 0;
      for (; at < text.size() && text[at] == L'\\'; ++at) ++count;
      const bool before_quote = at < text.size() && text[at] == L'"';
      argument.append(before_quote ? count / 2 : count, L'\\');
      if (before_quote && count % 2 == 1) {
        argument += L'"';
        ++at;
      }
    } else if (text[at] == L'"') {
      if (quoted && at + 1 < text.size() && text[at + 1] == L'"') {
        argument += L'"';
        quoted = false;
        at += 2;
      } else {
        quoted = !quoted;
        ++at;
      }
    } else {
      argument += text[at++];
    }
  }
  return argument;
}

// A path cannot hold a double quote: every one is a caller's quoting.
std::wstring WithoutQuotes(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'"'), text.end());
  return text;
}

std::wstring TrimRight(std::wstring text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

// The length of the name of a folder switch ("D=" or "DIR=") that `word`
// (without its "/" or "-") starts with; 0 for any other word.
size_t FolderSwitchLength(const std::wstring& word) {
  for (const wchar_t* name : {L"D=", L"DIR="}) {
    if (StartsWith(word, name)) return std::char_traits<wchar_t>::length(name);
  }
  return 0;
}

// Switches that name a setting and take no value: the word and the flag it
// sets. The habits of other installers that mean nothing here (we never
// restart, and an unattended run shows no box) set none.
struct FlagSwitch {
  const wchar_t* word;
  bool CommandLineOptions::*flag;
};
constexpr FlagSwitch kFlagSwitches[] = {
    {L"NODESKTOP", &CommandLineOptions::no_desktop},
    {L"NOTASKBAR", &CommandLineOptions::no_taskbar},
    {L"NOSTARTMENU", &CommandLineOptions::no_start_menu},
    {L"ALLOWDOWNGRADE", &CommandLineOptions::allow_downgrade},
    {L"ALLOWNONEMPTYFOLDER", &CommandLineOptions::allow_non_empty_folder},
    {L"CLOSEAPPLICATIONS", &CommandLineOptions::close_applications},
    {L"?", &CommandLineOptions::help},
    {L"NORESTART", nullptr},
    {L"SUPPRESSMSGBOXES", nullptr},
};

// Applies the switch `word` (without its "/" or "-", quotes of its value
// already taken off by the splitting); false when unknown or without the
// value it needs.
bool ApplySwitch(const std::wstring& word, CommandLineOptions& options) {
  const std::wstring upper = Upper(word);
  for (const FlagSwitch& flag : kFlagSwitches) {
    if (upper != flag.word) continue;
    if (flag.flag) options.*flag.flag = true;
    return true;
  }
  if (upper == L"S" || upper == L"VERYSILENT") {
    options.ui = UiLevel::kSilent;
  } else if (upper == L"PASSIVE" || upper == L"SILENT") {
    // /S wins over /PASSIVE in either order.
    if (options.ui != UiLevel::kSilent) options.ui = UiLevel::kPassive;
  } else if (upper == L"ALLUSERS") {
    options.scope = ScopeSwitch::kAllUsers;
  } else if (upper == L"CURRENTUSER") {
    options.scope = ScopeSwitch::kCurrentUser;
  } else if (StartsWith(word, L"LOG=")) {
    options.log_path = WithoutQuotes(word.substr(4));
    return !options.log_path.empty();
  } else if (const size_t name = FolderSwitchLength(word)) {
    options.folder = TrimRight(WithoutQuotes(word.substr(name)));
    return !options.folder.empty();
  } else {
    return false;
  }
  return true;
}

// A folder switch whose value is not quoted, starting at `at`: its value runs
// to the end of the line or to the first blank followed by "/" (a folder name
// never holds "/"), blanks inside included. 0 when the text at `at` is no
// such switch, else the position after the value.
size_t UnquotedFolderEnd(const std::wstring& text, size_t at) {
  if (text[at] != L'/' && text[at] != L'-') return 0;
  const size_t name = FolderSwitchLength(text.substr(at + 1, 4));
  if (name == 0) return 0;
  const size_t value = at + 1 + name;
  if (value < text.size() && text[value] == L'"') return 0;
  for (size_t end = value; end < text.size(); ++end) {
    if (IsBlank(text[end]) && text.compare(SkipBlanks(text, end), 1, L"/") == 0) return end;
  }
  return text.size();
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::wstring& arguments) {
  CommandLineOptions options;
  size_t at = SkipBlanks(arguments, 0);
  while (at < arguments.size()) {
    const size_t start = at;
    std::wstring argument;
    if (const size_t end = UnquotedFolderEnd(arguments, at)) {
      argument = arguments.substr(at, end - at);
      at = end;
    } else {
      argument = NextArgument(arguments, at);
    }
    const bool is_switch = !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
    const bool known = is_switch && ApplySwitch(argument.substr(1), options);
    if (!known && options.unknown.empty()) {
      options.unknown = TrimRight(arguments.substr(start, at - start));
    }
    at = SkipBlanks(arguments, at);
  }
  return options;
}

InstallScope StartScope(PackageScope package, const CommandLineOptions& options) {
  if (package != PackageScope::kBoth) return DefaultInstallScope(package);
  return options.scope == ScopeSwitch::kCurrentUser ? InstallScope::kUser : InstallScope::kMachine;
}

std::wstring ArgumentsOf(const std::wstring& command_line) {
  size_t at = 0;
  if (!command_line.empty() && command_line[0] == L'"') {
    // A quoted name ends at its closing quote, even without a blank after it.
    at = command_line.find(L'"', 1);
    at = at == std::wstring::npos ? command_line.size() : at + 1;
  } else {
    while (at < command_line.size() && !IsBlank(command_line[at])) ++at;
  }
  return command_line.substr(SkipBlanks(command_line, at));
}
