#include <gtest/gtest.h>

#include <algorithm>

#include "quillo/core/index/linux_catalogue_sources.h"
#include "quillo/testing/fake_system.h"

namespace quillo::core {
namespace {

std::optional<std::string> openedFolder(const SystemSources& sources, std::string_view id) {
  const auto found =
      std::ranges::find_if(sources.actions, [&](const Command& command) { return command.id == id; });
  if (found == sources.actions.end()) return std::nullopt;
  const auto* open = std::get_if<target::OpenUrl>(&found->target);
  if (open == nullptr) return std::nullopt;
  return open->url.filePath();
}

TEST(LinuxCatalogueSources, TheFoldersTheUserNamedReplaceTheHomeFoldersDefaults) {
  testing::FakeSystem system;
  system.macOS = false;
  system.home = "/home/ada";
  const auto sources = linuxCatalogueSources({}, LinuxTools{}, system,
                                             NamedUserFolders{.downloads = "/home/ada/Téléchargements"});
  EXPECT_EQ(openedFolder(sources, "action.Open Downloads"), "/home/ada/Téléchargements");
  EXPECT_EQ(openedFolder(sources, "action.Open Documents"), "/home/ada/Documents");
}

TEST(LinuxCatalogueSources, TheSessionsDesktopsAreReadInOrderWithoutEmptyNames) {
  testing::FakeSystem system;
  system.variables["XDG_CURRENT_DESKTOP"] = "ubuntu::GNOME";
  EXPECT_EQ(currentDesktops(system), (std::vector<std::string>{"ubuntu", "GNOME"}));
  EXPECT_EQ(desktopEntryLocale("en_US_POSIX"), "");
  EXPECT_EQ(desktopEntryLocale("de_CH"), "de_CH");
}

}  // namespace
}  // namespace quillo::core
