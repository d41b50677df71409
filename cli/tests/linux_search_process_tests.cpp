#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli_runner.h"

namespace quillo::cli::testing {
namespace {

using quillo::testing::TemporaryFolder;
using quillo::testing::writeFile;

// Searches as on a Linux desktop whose only tools and desktop entries are the test's own.
class LinuxSearch : public CliFixture {
 protected:
  std::string tool(std::string_view name) {
    const auto path = tools_ / name;
    writeFile(path, "#!/bin/sh\n");
    ::chmod(path.c_str(), 0755);
    return path.string();
  }
  std::string environment() const override {
    return CliFixture::environment() + " XDG_CURRENT_DESKTOP=GNOME PATH=" + tools_.path().string() +
           ":/usr/bin:/bin";
  }
  std::string search(const std::string& query) {
    return "search --json --platform linux --desktop-entries " + entries_.path().string() + " '" + query +
           "'";
  }
  static const nlohmann::json* row(const nlohmann::json& rows, std::string_view id) {
    for (const auto& row : rows) {
      if (row["id"] == id) return &row;
    }
    return nullptr;
  }

  TemporaryFolder tools_;
  TemporaryFolder entries_;
};

TEST_F(LinuxSearch, FindsADesktopApplicationAndItsActions) {
  writeFile(entries_ / "org.example.Browser.desktop",
            "[Desktop Entry]\nType=Application\nName=Browser\nGenericName=Web Browser\nExec=/bin/true %u\n"
            "Actions=private;\n\n[Desktop Action private]\nName=New Private Window\nExec=/bin/true\n");
  const auto rows = json(search("browser"))["rows"];
  const auto* app = row(rows, "app.org.example.Browser");
  ASSERT_NE(app, nullptr);
  EXPECT_EQ((*app)["title"], "Browser");
  EXPECT_EQ((*app)["hint"], "Web Browser");
  const auto* action = row(rows, "app.org.example.Browser#private");
  ASSERT_NE(action, nullptr);
  EXPECT_EQ((*action)["title"], "Browser: New Private Window");
}

TEST_F(LinuxSearch, BrokenEntryIsSkippedWithAWarning) {
  writeFile(entries_ / "broken.desktop", "not a desktop entry");
  const CliRun result = run(search("broken"));
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.errors.find("warning: " + (entries_ / "broken.desktop").string() + ": "),
            std::string::npos);
}

TEST_F(LinuxSearch, PrintsTheLinuxProcessCall) {
  const std::string pactl = tool("pactl");
  const auto rows = json(search("volume 20%"))["rows"];
  const auto* volume = row(rows, "action.Set Volume");
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ((*volume)["action"]["processCall"],
            (nlohmann::json{{"executable", "/bin/sh"},
                            {"arguments",
                             {"-c", pactl + " set-sink-volume @DEFAULT_SINK@ 20% && " + pactl +
                                        " set-sink-mute @DEFAULT_SINK@ 0"}}}));
}

TEST_F(LinuxSearch, ActionWithoutItsToolIsNotOffered) {
  const auto rows = json(search("volume 20%"))["rows"];
  EXPECT_EQ(row(rows, "action.Set Volume"), nullptr);
}

TEST_F(LinuxSearch, PanesOfTheSettingsProgramAreFoundByTheirMacTitles) {
  tool("gnome-control-center");
  const auto rows = json(search("wifi"))["rows"];
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0]["id"], "setting.com.apple.wifi-settings-extension");
  EXPECT_EQ(rows[0]["title"], "Wi-Fi");
}

}  // namespace
}  // namespace quillo::cli::testing
