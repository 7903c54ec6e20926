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

// The argument that starts at `at`: up to the next blank outside double
// quotes, the quotes removed. `at` moves past it.
std::wstring NextArgument(const std::wstring& text, size_t& at) {
  std::wstring argument;
  bool quoted = false;
  for (; at < text.size() && (quoted || !IsBlank(text[at])); ++at) {
    if (text[at] == L'"') {
      quoted = !quoted;
    } else {
      argument += text[at];
    }
  }
  return argument;
}

// A folder name cannot hold a double quote: every one is a caller's quoting.
std::wstring WithoutQuotes(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'"'), text.end());
  return text;
}

std::wstring TrimRight(std::wstring text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

// Applies the switch `word` (without its "/" or "-"); false when unknown.
bool ApplySwitch(const std::wstring& word, CommandLineOptions& options) {
  const std::wstring upper = Upper(word);
  if (upper == L"S") {
    options.ui = UiLevel::kSilent;
  } else if (upper == L"PASSIVE") {
    // /S wins over /PASSIVE in either order.
    if (options.ui != UiLevel::kSilent) options.ui = UiLevel::kPassive;
  } else if (upper == L"NODESKTOP") {
    options.no_desktop = true;
  } else if (upper == L"NOTASKBAR") {
    options.no_taskbar = true;
  } else if (upper == L"NOSTARTMENU") {
    options.no_start_menu = true;
  } else if (upper == L"ALLUSERS") {
    options.scope = ScopeSwitch::kAllUsers;
  } else if (upper == L"CURRENTUSER") {
    options.scope = ScopeSwitch::kCurrentUser;
  } else if (upper == L"?") {
    options.help = true;
  } else if (StartsWith(word, L"LOG=") && word.size() > 4) {
    options.log_path = word.substr(4);
  } else {
    return false;
  }
  return true;
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::wstring& arguments) {
  CommandLineOptions options;
  size_t at = SkipBlanks(arguments, 0);
  while (at < arguments.size()) {
    const size_t start = at;
    // Callers that quote every argument with blanks put the quote first.
    const size_t name = arguments[at] == L'"' ? at + 1 : at;
    const bool is_switch =
        name < arguments.size() && (arguments[name] == L'/' || arguments[name] == L'-');
    if (is_switch && StartsWith(arguments.substr(name + 1, 2), L"D=")) {
      options.folder = TrimRight(WithoutQuotes(arguments.substr(name + 3)));
      if (options.folder.empty() && options.unknown.empty()) options.unknown = arguments.substr(at);
      break;
    }
    const std::wstring argument = NextArgument(arguments, at);
    const bool known = is_switch && ApplySwitch(argument.substr(1), options);
    if (!known && options.unknown.empty()) options.unknown = arguments.substr(start, at - start);
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
