#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "quillo/platform/posix/posix_system.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::posix {
namespace {

PosixSystem::Options withEnvironment(std::map<std::string, std::string, std::less<>> variables,
                                     std::string configFolder = "/nonexistent") {
  return {
      .environment = [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        if (found == variables.end()) return std::nullopt;
        return found->second;
      },
      .configFolder = std::move(configFolder)};
}

TEST(PosixSystem, ParsesKernelReleases) {
  EXPECT_EQ(PosixSystem::parseVersion("6.1.0-18-amd64"), (OSVersion{6, 1, 0}));
  EXPECT_EQ(PosixSystem::parseVersion("26.0"), (OSVersion{26, 0, 0}));
  EXPECT_EQ(PosixSystem::parseVersion("garbage"), (OSVersion{0, 0, 0}));
  EXPECT_GT((OSVersion{26, 0, 0}), (OSVersion{15, 9, 9}));
}

TEST(PosixSystem, HomeFolderComesFromTheEnvironmentWithoutTrailingSlash) {
  EXPECT_EQ(PosixSystem(withEnvironment({{"HOME", "/home/ana/"}})).homeFolder(), "/home/ana");
  // Without HOME the password database answers; it always names some folder.
  EXPECT_FALSE(PosixSystem(withEnvironment({})).homeFolder().empty());
}

TEST(PosixSystem, LocaleDropsEncodingAndPrefersTheMostSpecificVariable) {
  EXPECT_EQ(PosixSystem(withEnvironment({{"LANG", "de_CH.UTF-8"}})).localeIdentifier(), "de_CH");
  EXPECT_EQ(
      PosixSystem(withEnvironment({{"LANG", "de_CH.UTF-8"}, {"LC_ALL", "sv_SE@euro"}})).localeIdentifier(),
      "sv_SE");
  EXPECT_EQ(PosixSystem(withEnvironment({{"LANG", "C.UTF-8"}})).localeIdentifier(), "en_US_POSIX");
  EXPECT_EQ(PosixSystem(withEnvironment({})).localeIdentifier(), "en_US_POSIX");
}

TEST(PosixSystem, TimeZoneFromTZThenLocaltimeThenTimezoneFile) {
  EXPECT_EQ(PosixSystem(withEnvironment({{"TZ", ":Europe/Zurich"}})).timeZoneIdentifier(), "Europe/Zurich");
  EXPECT_EQ(
      PosixSystem(withEnvironment({{"TZ", "/usr/share/zoneinfo/posix/Asia/Tokyo"}})).timeZoneIdentifier(),
      "Asia/Tokyo");

  testing::TemporaryFolder etc;
  std::filesystem::create_symlink("/usr/share/zoneinfo/America/New_York", etc.path() / "localtime");
  EXPECT_EQ(PosixSystem(withEnvironment({}, etc.path())).timeZoneIdentifier(), "America/New_York");

  testing::TemporaryFolder other;
  std::ofstream(other.path() / "timezone") << "Pacific/Auckland\n";
  EXPECT_EQ(PosixSystem(withEnvironment({}, other.path())).timeZoneIdentifier(), "Pacific/Auckland");
  EXPECT_EQ(PosixSystem(withEnvironment({})).timeZoneIdentifier(), "UTC");
}

}  // namespace
}  // namespace quillo::platform::posix
