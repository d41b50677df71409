#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::cli {
namespace {

using testing::CliRun;
using testing::runCli;

const std::string kData = QUILLO_MENUS_DATA;
const std::string kNotes = "--tree " + kData + "/notes_menus.json --bundle-id dev.example.notes";

std::vector<std::string> field(const nlohmann::json& list, const char* name) {
  std::vector<std::string> values;
  for (const auto& entry : list)
    values.push_back(entry[name].get<std::string>());
  return values;
}

TEST(QuilloCliMenus, JsonListsTheCommandsInMenuOrderAndMarksTheUsersData) {
  const CliRun result = runCli("menus --json " + kNotes);
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.errors, "");
  const auto list = nlohmann::json::parse(result.output);
  // No system menu, no Services, no separator, no disabled Undo, no submenu items as commands.
  EXPECT_EQ(field(list, "title"),
            (std::vector<std::string>{
                "About Notes", "Hide Notes", "Quit Notes", "New Note", "Budget 2026.txt", "Trip Plans",
                "Clear Menu", "Close", "Export as PDF…", "Copy", "Paste and Match Style", "Start Dictation",
                "Minimize", "Untitled", "Untitled", "Notes Help", "https://example.org/notes"}));
  const auto& recent = list[5];
  EXPECT_EQ(recent, (nlohmann::json{{"id", "menu.dev.example.notes.File › Open Recent.Trip Plans"},
                                    {"title", "Trip Plans"},
                                    {"detail", "File › Open Recent"},
                                    {"hint", "File > Open Recent > Trip Plans"},
                                    {"shortcut", ""},
                                    {"isData", true}}));
  EXPECT_EQ(list[10]["shortcut"], "⌥⇧⌘V");
  EXPECT_EQ(list[11]["shortcut"], "⌃D");
  EXPECT_EQ(list[15]["shortcut"], "⇧⌘?");
  EXPECT_EQ(list[14]["id"], "menu.dev.example.notes.Window.Untitled#2");

  std::vector<std::string> data;
  for (const auto& entry : list)
    if (entry["isData"].get<bool>()) data.push_back(entry["title"]);
  EXPECT_EQ(data, (std::vector<std::string>{"Budget 2026.txt", "Trip Plans", "Clear Menu", "Untitled",
                                            "Untitled", "https://example.org/notes"}));
}

TEST(QuilloCliMenus, TextShowsPathShortcutAndData) {
  const CliRun result = runCli("menus " + kNotes);
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_TRUE(result.output.starts_with("Notes > About Notes\nNotes > Hide Notes  ⌘H\n")) << result.output;
  EXPECT_NE(result.output.find("\nFile > Open Recent > Budget 2026.txt  (data)\n"), std::string::npos);
}

TEST(QuilloCliMenus, ATreeWithoutAMenuBarHasNoCommands) {
  quillo::testing::TemporaryFolder folder;
  quillo::testing::writeFile(folder / "bare.json", R"({"AXRole": "AXApplication"})");
  const CliRun result = runCli("menus --json --tree " + (folder / "bare.json").string() + " --bundle-id a.b");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(nlohmann::json::parse(result.output), nlohmann::json::array());
}

TEST(QuilloCliMenus, UnreadableOrMalformedTreesFailWithOneLine) {
  for (const std::string& file :
       {kData + "/malformed.json", kData + "/not_a_tree.json", kData + "/missing.json"}) {
    const CliRun result = runCli("menus --json --tree " + file + " --bundle-id dev.example.notes");
    EXPECT_EQ(result.status, 1) << file;
    EXPECT_EQ(result.output, "") << file;
    ASSERT_TRUE(result.errors.starts_with("quillo-cli menus: ")) << result.errors;
    EXPECT_NE(result.errors.find(file), std::string::npos) << result.errors;
    EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
  }
  EXPECT_NE(runCli("menus --tree " + kData + "/not_a_tree.json --bundle-id x")
                .errors.find("AXMenuBar.AXChildren[1]"),
            std::string::npos);
}

TEST(QuilloCliMenus, HostileTreesFailWithOneLineNamingTheFile) {
  quillo::testing::TemporaryFolder folder;
  std::string deep;
  for (int level = 0; level < 20000; ++level)
    deep += R"({"AXMenuBar": )";
  deep += "{}" + std::string(20000, '}');
  quillo::testing::writeFile(folder / "deep.json", deep);
  quillo::testing::writeFile(folder / "huge.json", R"({"AXMenuBar": {"AXPosition": 1E999}})");
  for (const auto& file : {folder / "deep.json", folder / "huge.json"}) {
    const CliRun result = runCli("menus --tree " + file.string() + " --bundle-id a.b");
    EXPECT_EQ(result.status, 1) << file;
    EXPECT_TRUE(result.errors.starts_with("quillo-cli menus: " + file.string() + " is not "))
        << result.errors;
    EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
  }
}

TEST(QuilloCliMenus, UsageErrorsExitTwoAndHelpDescribesTheTreeFormat) {
  // Other commands do not take the menus options either.
  for (const std::string& arguments : std::vector<std::string>{
           "menus --bundle-id dev.example.notes", "menus --tree " + kData + "/notes_menus.json",
           "menus " + kNotes + " extra", "menus --limit 3 " + kNotes, "menus --tree", "search --tree x lock"})
    EXPECT_EQ(runCli(arguments).status, 2) << arguments;
  EXPECT_EQ(runCli("menus --json").errors, "quillo-cli menus: --tree FILE is required\n");

  const CliRun result = runCli("menus --help");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.output.starts_with("usage: quillo-cli menus --tree FILE --bundle-id ID [--json]"));
  EXPECT_NE(result.output.find("{\"point\": [x, y]}"), std::string::npos);
  EXPECT_NE(runCli("--help").output.find("menus"), std::string::npos);
}

}  // namespace
}  // namespace quillo::cli
