#include "quillo/platform/posix/posix_system.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace quillo::platform::posix {
namespace {

std::optional<std::string> processEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// "/usr/share/zoneinfo/Europe/Zurich" names the zone "Europe/Zurich".
std::optional<std::string> zoneFromPath(std::string_view path) {
  constexpr std::string_view marker = "zoneinfo/";
  const auto at = path.find(marker);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view zone = path.substr(at + marker.size());
  // Debian also ships the zones under "posix/" and "right/".
  for (std::string_view prefix : {"posix/", "right/"}) {
    if (zone.starts_with(prefix)) zone.remove_prefix(prefix.size());
  }
  if (zone.empty()) return std::nullopt;
  return std::string(zone);
}

}  // namespace

PosixSystem::PosixSystem() : PosixSystem(Options{}) {}

PosixSystem::PosixSystem(Options options) : options_(std::move(options)) {
  if (!options_.environment) options_.environment = processEnvironment;
}

bool PosixSystem::isMacOS() const {
  utsname name{};
  return uname(&name) == 0 && std::string_view(name.sysname) == "Darwin";
}

OSVersion PosixSystem::osVersion() const {
  utsname name{};
  if (uname(&name) != 0) return {};
  return parseVersion(name.release);
}

OSVersion PosixSystem::parseVersion(std::string_view release) {
  int parts[3] = {0, 0, 0};
  const char* cursor = release.data();
  const char* end = release.data() + release.size();
  for (int index = 0; index < 3 && cursor < end; ++index) {
    const auto [next, error] = std::from_chars(cursor, end, parts[index]);
    if (error != std::errc()) break;
    cursor = next;
    if (cursor == end || *cursor != '.') break;
    ++cursor;
  }
  return {parts[0], parts[1], parts[2]};
}

std::string PosixSystem::homeFolder() const {
  std::string home = environment("HOME").value_or("");
  if (home.empty()) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
      home = found->pw_dir;
    }
  }
  if (home.empty()) home = "/";
  while (home.size() > 1 && home.back() == '/')
    home.pop_back();
  return home;
}

std::optional<std::string> PosixSystem::environment(std::string_view name) const {
  return options_.environment(name);
}

std::string PosixSystem::localeIdentifier() const {
  for (std::string_view variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string value = environment(variable).value_or("");
    if (value.empty()) continue;
    const std::string name = value.substr(0, value.find_first_of(".@"));
    if (name == "C" || name == "POSIX") return "en_US_POSIX";
    return name;
  }
  return "en_US_POSIX";
}

std::string PosixSystem::timeZoneIdentifier() const {
  if (auto tz = environment("TZ"); tz && !tz->empty()) {
    std::string_view value = *tz;
    if (value.front() == ':') value.remove_prefix(1);
    if (auto zone = zoneFromPath(value)) return *zone;
    if (!value.empty() && value.front() != '/') return std::string(value);
  }
  std::error_code error;
  const std::filesystem::path folder(options_.configFolder);
  const auto link = std::filesystem::read_symlink(folder / "localtime", error);
  if (!error) {
    if (auto zone = zoneFromPath(link.string())) return *zone;
  }
  std::ifstream file(folder / "timezone");
  std::string line;
  if (file && std::getline(file, line) && !line.empty()) return line;
  return "UTC";
}

}  // namespace quillo::platform::posix
