#include "quillo/platform/desktop/process_identity.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace quillo::platform::desktop {
namespace {

std::string contents(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string withoutDesktopSuffix(std::string name) {
  constexpr std::string_view suffix = ".desktop";
  if (name.size() > suffix.size() && name.ends_with(suffix)) name.resize(name.size() - suffix.size());
  return name;
}

// systemd escapes "-" and other bytes in unit names as "\xNN".
std::string unescaped(const std::string& text) {
  std::string result;
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (text.compare(index, 2, "\\x") == 0 && index + 3 < text.size()) {
      const std::string hex = text.substr(index + 2, 2);
      char* end = nullptr;
      const long value = std::strtol(hex.c_str(), &end, 16);
      if (hex.size() == 2 && end == hex.c_str() + 2) {
        result.push_back(static_cast<char>(value));
        index += 3;
        continue;
      }
    }
    result.push_back(text[index]);
  }
  return result;
}

// The desktop entry the launcher noted in the environment, when the note is about this process
// and not inherited from the program that started it.
std::string launchedDesktopFile(const std::filesystem::path& folder, ProcessID pid) {
  const std::string environment = contents(folder / "environ");
  std::string file;
  std::string notedPid;
  std::istringstream variables(environment);
  for (std::string variable; std::getline(variables, variable, '\0');) {
    if (variable.starts_with("GIO_LAUNCHED_DESKTOP_FILE="))
      file = variable.substr(variable.find('=') + 1);
    else if (variable.starts_with("GIO_LAUNCHED_DESKTOP_FILE_PID="))
      notedPid = variable.substr(variable.find('=') + 1);
  }
  if (file.empty() || notedPid != std::to_string(pid)) return {};
  return withoutDesktopSuffix(std::filesystem::path(file).filename().string());
}

std::string scopeDesktopFile(const std::filesystem::path& folder, ProcessID pid) {
  std::istringstream groups(contents(folder / "cgroup"));
  for (std::string line; std::getline(groups, line);) {
    const auto slash = line.rfind('/');
    if (slash == std::string::npos) continue;
    if (auto id = desktopFileIdOfScope(line.substr(slash + 1), pid); !id.empty()) return id;
  }
  return {};
}

}  // namespace

std::string desktopFileIdOfScope(const std::string& unit, ProcessID pid) {
  constexpr std::string_view prefix = "app-";
  constexpr std::string_view suffix = ".scope";
  if (!unit.starts_with(prefix) || !unit.ends_with(suffix)) return {};
  const std::string name = unit.substr(prefix.size(), unit.size() - prefix.size() - suffix.size());
  std::vector<std::string> parts;
  std::istringstream pieces(name);
  for (std::string part; std::getline(pieces, part, '-');)
    parts.push_back(part);
  // [launcher-]id-pid: the id's own dashes are escaped, so there are two or three parts.
  if (parts.size() < 2 || parts.size() > 3 || parts.back() != std::to_string(pid)) return {};
  return unescaped(parts[parts.size() - 2]);
}

ProcessIdentity identifyProcess(ProcessID pid, const std::filesystem::path& processes) {
  ProcessIdentity identity{pid};
  if (pid <= 0) return identity;
  const std::filesystem::path folder = processes / std::to_string(pid);
  std::error_code error;
  const auto program = std::filesystem::read_symlink(folder / "exe", error);
  if (!error) {
    identity.executable = program.filename().string();
    // A program replaced while it runs reads as "name (deleted)".
    constexpr std::string_view deleted = " (deleted)";
    if (identity.executable.ends_with(deleted))
      identity.executable.resize(identity.executable.size() - deleted.size());
  }
  identity.desktopFileId = launchedDesktopFile(folder, pid);
  if (identity.desktopFileId.empty()) identity.desktopFileId = scopeDesktopFile(folder, pid);
  return identity;
}

}  // namespace quillo::platform::desktop
