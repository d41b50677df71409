#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/base/xdg.h"

namespace quillo::platform {

// The operating system's version as major.minor.patch.
struct OSVersion {
  int major = 0;
  int minor = 0;
  int patch = 0;

  auto operator<=>(const OSVersion&) const = default;
};

// Facts about the running system and user. Implementations are safe for concurrent use.
class System {
 public:
  virtual ~System() = default;

  // True on macOS, where the program's behaviour was designed; false on other systems.
  virtual bool isMacOS() const = 0;
  virtual OSVersion osVersion() const = 0;
  // The current user's home folder, without a trailing slash.
  virtual std::string homeFolder() const = 0;
  virtual std::optional<std::string> environment(std::string_view name) const = 0;
  // The user's locale as an ICU identifier ("en_US", "de_CH"); "en_US_POSIX" when none is set.
  virtual std::string localeIdentifier() const = 0;
  // The IANA time zone ("Europe/Zurich"); "UTC" when none can be found.
  virtual std::string timeZoneIdentifier() const = 0;
};

// The user's XDG base folder of that kind, from the system's environment and home folder.
inline std::filesystem::path xdgFolder(const System& system, base::XdgFolder kind) {
  return base::xdgFolder(kind, system.environment(base::xdgVariable(kind)), system.homeFolder());
}

}  // namespace quillo::platform
