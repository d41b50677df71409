#pragma once

#include <map>
#include <string>

#include "quillo/platform/system.h"

namespace quillo::testing {

// A System whose every answer is a field the test sets.
class FakeSystem final : public platform::System {
 public:
  bool macOS = true;
  platform::OSVersion version{26, 0, 0};
  std::string home = "/Users/tester";
  std::map<std::string, std::string, std::less<>> variables;
  std::string locale = "en_US";
  std::string timeZone = "Europe/Zurich";

  bool isMacOS() const override { return macOS; }
  platform::OSVersion osVersion() const override { return version; }
  std::string homeFolder() const override { return home; }
  std::optional<std::string> environment(std::string_view name) const override;
  std::string localeIdentifier() const override { return locale; }
  std::string timeZoneIdentifier() const override { return timeZone; }
};

}  // namespace quillo::testing
