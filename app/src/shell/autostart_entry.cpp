#include "quillo/app/shell/autostart_entry.h"

#include <fmt/format.h>

#include <sstream>
#include <string_view>
#include <utility>

namespace quillo::app {

namespace {

// Small on purpose: a desktop entry is a few hundred bytes, and anything larger is not ours.
constexpr std::size_t kReadLimit = 64 * 1024;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The value of `key` in the [Desktop Entry] group; empty when absent.
std::string entryValue(const std::string& text, std::string_view key) {
  std::istringstream lines(text);
  std::string line;
  bool inEntry = false;
  std::string value;
  while (std::getline(lines, line)) {
    const std::string_view content = trimmed(line);
    if (content.empty() || content.front() == '#') continue;
    if (content.front() == '[') {
      inEntry = content == "[Desktop Entry]";
      continue;
    }
    if (!inEntry) continue;
    const auto equals = content.find('=');
    if (equals == std::string_view::npos || trimmed(content.substr(0, equals)) != key) continue;
    value = std::string(trimmed(content.substr(equals + 1)));
  }
  return value;
}

}  // namespace

std::string execArgument(const std::string& path) {
  constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
  if (path.find_first_of(reserved) == std::string::npos) return path;
  // Inside quotes the Exec field escapes ", `, $ and \ with a backslash; the desktop file's own
  // string escaping then doubles every backslash.
  std::string quoted = "\"";
  for (const char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

AutostartEntry::AutostartEntry(platform::FileSystem& files, const platform::System& system,
                               std::string program)
    : files_(files), system_(system), program_(std::move(program)) {}

std::filesystem::path AutostartEntry::path() const {
  const auto configured = system_.environment("XDG_CONFIG_HOME");
  // The base directory specification ignores a relative path here.
  const std::filesystem::path config = configured && !configured->empty() && configured->front() == '/'
                                           ? std::filesystem::path(*configured)
                                           : std::filesystem::path(system_.homeFolder()) / ".config";
  return config / "autostart" / fileName;
}

std::string AutostartEntry::contents() const {
  return fmt::format(
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Quillo\n"
      "Comment=Keyboard launcher and clipboard history\n"
      "Exec={}\n"
      "Icon=dev.tarnwick.Quillo\n"
      "Terminal=false\n"
      "NoDisplay=true\n"
      "X-GNOME-Autostart-enabled=true\n",
      execArgument(program_));
}

bool AutostartEntry::isEnabled() const {
  std::optional<std::string> text;
  try {
    text = files_.readFile(path(), kReadLimit);
  } catch (const platform::FileSystemError&) {
    return false;
  }
  if (!text) return false;
  return entryValue(*text, "Hidden") != "true" && entryValue(*text, "X-GNOME-Autostart-enabled") != "false";
}

void AutostartEntry::setEnabled(bool on) {
  try {
    if (on)
      files_.replaceFile(path(), contents(), {.fileMode = 0644, .folderMode = 0700});
    else
      files_.removeFile(path());
  } catch (const platform::FileSystemError& failure) {
    throw AutostartError(
        fmt::format("Quillo couldn’t {} starting at login: {}", on ? "turn on" : "turn off", failure.what()));
  }
}

}  // namespace quillo::app
