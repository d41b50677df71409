// Scopes, menus, feedback and running rows.
#include "search_model_fixture.h"

namespace quillo::app::test {
namespace {

using Scope = SearchModel::Scope;

const FrontApp kNotes{
    .pid = testing::FakeAccessibility::kPid, .bundleID = "dev.example.notes", .name = "Notes"};

core::ResultRow rowTitled(const SearchModel& model, const std::string& title) {
  for (const core::ResultRow& row : model.rows())
    if (row.command.title == title) return row;
  throw std::runtime_error("no row titled " + title);
}

TEST_F(SearchModelTest, TabFromFilesGoesToMenus) {
  model->changeScope(Scope::files);
  model->toggleScope();
  EXPECT_EQ(model->scope(), Scope::menus);
  EXPECT_EQ(preferences.scopeOnOpen(true), Scope::menus);
}

TEST_F(SearchModelTest, BackspaceInTheEmptyFieldReturnsToTheScopeTheFilesShortcutLeft) {
  model->changeScope(Scope::menus);
  model->showFilesFromShortcut();
  EXPECT_TRUE(model->goBackAScope());
  EXPECT_EQ(model->scope(), Scope::menus);
  // Nothing comes before the menus.
  EXPECT_FALSE(model->goBackAScope());
  EXPECT_EQ(model->scope(), Scope::menus);
}

TEST_F(SearchModelTest, MenusAreReadOffTheMainThreadAndSearched) {
  model->panelDidOpen(kNotes);
  EXPECT_EQ(model->scope(), Scope::menus);
  EXPECT_TRUE(std::holds_alternative<menu::Reading>(model->menuState()));
  model->setQuery("export");
  EXPECT_EQ(model->launcherMessage(), "Reading the menus of Notes\u2026");
  ASSERT_TRUE(main.runUntil([&] { return std::holds_alternative<menu::Ready>(model->menuState()); }));
  EXPECT_EQ(std::get<menu::Ready>(model->menuState()).count, 2u);
  EXPECT_EQ(titles(model->rows()), std::vector<std::string>{"Export as PDF"});
  EXPECT_GT(ax.calls(), 0);
  EXPECT_EQ(ax.mainThreadCalls(), 0);
}

TEST_F(SearchModelTest, WithNoFrontApplicationTheMenusScopeSaysSo) {
  model->panelDidOpen(std::nullopt);
  model->changeScope(Scope::menus);
  EXPECT_EQ(model->launcherMessage(), "No app to read menus from");
}

TEST_F(SearchModelTest, WithoutAccessibilityTheMenusScopeAsksForPermission) {
  fakeAx.setTrusted(false);
  model->panelDidOpen(kNotes);
  EXPECT_EQ(model->launcherFeedback(), LauncherFeedback::permission);
  EXPECT_EQ(ax.calls(), 0);
}

TEST_F(SearchModelTest, FilesWithoutSearchFoldersAskForSetup) {
  model->changeScope(Scope::files);
  model->setQuery("report");
  EXPECT_EQ(model->launcherFeedback(), LauncherFeedback::fileSetup);
  EXPECT_EQ(std::get<ravo::Off>(model->ravo()).reason, "choose search folders");
  EXPECT_FALSE(model->clipboardRow());
}

TEST_F(SearchModelTest, ATextWithoutMatchesSaysSoOnceNothingIsPending) {
  answerByTitle({});
  model->setQuery("zqxj");
  EXPECT_EQ(model->launcherFeedback(), std::nullopt);
  main.advance(std::chrono::milliseconds(90));
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  EXPECT_EQ(model->launcherFeedback(), LauncherFeedback::noMatches);
  model->setQuery("");
  EXPECT_EQ(model->launcherFeedback(), std::nullopt);
}

TEST_F(SearchModelTest, ReturnOnAnActionWithoutItsValuePutsItsTitleInTheField) {
  bool ran = false;
  hooks.runRow = [&](const core::ResultRow&, bool) { ran = true; };
  start();
  const auto& actions = core::Catalog::actions(system);
  const auto setVolume = std::find_if(actions.begin(), actions.end(), [](const core::Command& command) {
    return command.title == "Set Volume";
  });
  ASSERT_NE(setVolume, actions.end());
  model->run(core::ResultRow{*setVolume, std::nullopt, std::nullopt}, false);
  EXPECT_EQ(model->query(), "Set Volume ");
  EXPECT_FALSE(ran);
}

TEST_F(SearchModelTest, RunningARowCountsItClosesThePanelAndRunsIt) {
  std::vector<std::string> steps;
  hooks.onRun = [&] { steps.push_back("close"); };
  hooks.runRow = [&](const core::ResultRow& row, bool alternate) {
    steps.push_back(row.command.title + (alternate ? " alternate" : ""));
  };
  start();
  model->setQuery("safari");
  model->run(model->rows().front(), true);
  EXPECT_EQ(steps, (std::vector<std::string>{"close", "Safari alternate"}));
  EXPECT_EQ(usage.counts().at("app.Safari"), 1);
}

TEST_F(SearchModelTest, AScreenshotRunsOnlyAfterThePanelIsGone) {
  std::vector<std::string> steps;
  hooks.onRun = [&] { steps.push_back("close"); };
  hooks.runRow = [&](const core::ResultRow&, bool) { steps.push_back("capture"); };
  start();
  model->setQuery("screenshot screen to clipboard");
  model->run(rowTitled(*model, "Screenshot Screen to Clipboard"), false);
  EXPECT_EQ(steps, std::vector<std::string>{"close"});
  main.drain();
  EXPECT_EQ(steps, (std::vector<std::string>{"close", "capture"}));
}

TEST_F(SearchModelTest, TheClipboardMatchArrivesFromItsHook) {
  bool offMain = false;
  hooks.clipboardMatch = [&](const std::string& query, std::stop_token) -> std::optional<core::Command> {
    offMain = !main.isMainThread();
    return core::Command("clip.1", "copied " + query, core::Command::Kind::clipboard, "", "", "",
                         core::target::Clipboard{});
  };
  start();
  model->setQuery("invoice");
  ASSERT_TRUE(main.runUntil([&] { return model->clipboardRow().has_value(); }));
  EXPECT_EQ(model->clipboardRow()->command.title, "copied invoice");
  EXPECT_TRUE(offMain);
}

TEST_F(SearchModelTest, TheSelectionMovesOntoTheClipboardRowAfterTheLastRow) {
  hooks.clipboardMatch = [](const std::string& query, std::stop_token) -> std::optional<core::Command> {
    return core::Command("clip.1", "copied " + query, core::Command::Kind::clipboard, "", "", "",
                         core::target::Clipboard{});
  };
  start();
  model->setQuery("screenshot");
  ASSERT_TRUE(main.runUntil([&] { return model->clipboardRow().has_value() && !model->rows().empty(); }));
  ASSERT_LT(model->rows().size(), SearchModel::localLimit);
  model->moveSelection(SearchModel::localLimit);
  EXPECT_EQ(model->selection(), model->rows().size());
  ASSERT_TRUE(model->selectedRow());
  EXPECT_EQ(model->selectedRow()->command.title, "copied screenshot");
  model->moveSelection(-1);
  EXPECT_EQ(model->selectedRow()->command.title, model->rows().back().command.title);
}

}  // namespace
}  // namespace quillo::app::test
