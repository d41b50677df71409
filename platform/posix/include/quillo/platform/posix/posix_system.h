#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "quillo/platform/system.h"

namespace quillo::platform::posix {

// System facts read from uname, the environment, the password database and /etc.
class PosixSystem final : public System {
 public:
  using Environment = std::function<std::optional<std::string>(std::string_view name)>;

  struct Options {
    // Reads one environment variable; the process environment when empty.
    Environment environment;
    // Where "localtime" and "timezone" are looked up.
    std::string configFolder = "/etc";
  };

  PosixSystem();
  explicit PosixSystem(Options options);

  bool isMacOS() const override;
  OSVersion osVersion() const override;
  std::string homeFolder() const override;
  std::optional<std::string> environment(std::string_view name) const override;
  std::string localeIdentifier() const override;
  std::string timeZoneIdentifier() const override;

  // "6.1.0-18-amd64" reads as 6.1.0; missing parts are zero.
  static OSVersion parseVersion(std::string_view release);

 private:
  Options options_;
};

}  // namespace quillo::platform::posix
