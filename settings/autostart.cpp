// autostart.cpp: the autostart entry's text, its Exec quoting, and our mark.
#include "settings/autostart.h"

#include <cstring>

#include "text/utf8.h"

const char kAutostartMark[] = "X-Vapryx-Registered";

namespace {
const char kCannotCarry[] =
    "a control character, \\, $ or `, or bytes that are not UTF-8, which an autostart entry "
    "cannot carry for every desktop";
}  // namespace

bool QuoteExecArgument(const std::string& argument, std::string* quoted) {
  // Characters that make an argument need quotes; of them, '"' needs a backslash inside
  // the quotes. The other escaped ones (\, $, `) are refused: systemd's reader of
  // autostart entries (GNOME's, Plasma's) reads their escapes its own way.
  const char* const reserved = " \t\n\"'><~|&;*?#()";
  if (!IsUtf8(argument)) return false;
  bool quote = argument.empty();
  std::string inner;
  for (const char c : argument) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\' || c == '$' || c == '`') {
      return false;
    }
    if (std::strchr(reserved, c) != nullptr) quote = true;
    if (c == '"') inner += '\\';
    inner += c;
    if (c == '%') inner += '%';  // a lone '%' starts a field code
  }
  if (!quote) return *quoted = inner, true;
  // The string escapes are undone before the quotes are read: every backslash doubles.
  quoted->assign(1, '"');
  for (const char c : inner) *quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
  *quoted += '"';
  return true;
}

bool BuildAutostartEntry(const std::string& program, const std::vector<std::string>& arguments,
                         std::string* entry, std::string* why) {
  std::string exec, word;
  if (!QuoteExecArgument(program, &exec)) {
    return *why = "the program's path holds " + std::string(kCannotCarry), false;
  }
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (!QuoteExecArgument(arguments[i], &word)) {
      const std::string option = arguments[i].substr(0, arguments[i].find('='));
      return *why = "the value of " + option + " holds " + kCannotCarry, false;
    }
    exec += ' ' + word;
  }
  // TryExec: a removed program is skipped at login rather than failing there. It is a
  // plain string: only its backslashes need escaping.
  std::string tryExec;
  for (const char c : program) tryExec += c == '\\' ? std::string("\\\\") : std::string(1, c);
  *entry = std::string("[Desktop Entry]\n") +
           "Type=Application\n"
           "Name=Vapryx\n"
           "Comment=Coloured smoke as the screen saver after a time without input\n"
           "Exec=" + exec + "\n"
           "TryExec=" + tryExec + "\n"
           "Icon=vapryx\n"
           "Terminal=false\n" +
           kAutostartMark + "=true\n";
  return true;
}

std::string ShellCommand(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line;
  for (size_t i = 0; i <= arguments.size(); ++i) {
    const std::string& word = i == 0 ? program : arguments[i - 1];
    bool plain = !word.empty();
    for (const char c : word) {
      const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || std::strchr("-_./:,=+@%", c) != nullptr;
      plain = plain && safe;
    }
    if (i > 0) line += ' ';
    if (plain) {
      line += word;
      continue;
    }
    line += '\'';
    for (const char c : word) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += '\'';
  }
  return line;
}

bool IsOurAutostartEntry(const std::string& file) {
  bool inEntry = false;
  for (size_t start = 0; start < file.size();) {
    size_t end = file.find('\n', start);
    if (end == std::string::npos) end = file.size();
    const std::string line = file.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const size_t equals = line.find('=');
    if (!inEntry || equals == std::string::npos || equals == 0) continue;
    // Blanks around the '=' are allowed.
    const size_t keyEnd = line.find_last_not_of(' ', equals - 1);
    const size_t valueStart = line.find_first_not_of(' ', equals + 1);
    if (keyEnd == std::string::npos || line.compare(0, keyEnd + 1, kAutostartMark) != 0) continue;
    return valueStart != std::string::npos &&
           line.compare(valueStart, std::string::npos, "true") == 0;
  }
  return false;
}
