// The launcher panel over the real search model: what it lists, how keys travel, what it says.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "panel_fixture.h"
#include "quillo/ui/panel/result_list.h"
#include "quillo/ui/panel/scope_chip.h"
#include "quillo/ui/panel/search_field.h"

namespace quillo::ui::test {
namespace {

using Scope = app::SearchModel::Scope;

bool contains(const std::vector<std::string>& titles, const std::string& title) {
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

QString footerText(QWidget& window) {
  auto* footer = window.findChild<QLabel*>("serviceState");
  return footer ? footer->text() : QString();
}

QPushButton* feedbackButton(QWidget& window) {
  for (QPushButton* button : window.findChildren<QPushButton*>())
    if (button->isVisible()) return button;
  return nullptr;
}

TEST_F(PanelTest, TypingShowsTheMatchingRowsToScreenReaders) {
  present();
  type("wifi");
  ASSERT_TRUE(runQtUntil([&] { return !shownTitles(*window).empty(); }));
  const auto titles = shownTitles(*window);
  EXPECT_TRUE(contains(titles, "Wi-Fi"));
  EXPECT_TRUE(contains(titles, "Turn Wi-Fi Off"));
  EXPECT_FALSE(contains(titles, "Safari"));
  EXPECT_EQ(model->query(), "wifi");
  EXPECT_EQ(shownSelection(*window), 0);
}

TEST_F(PanelTest, ArrowsMoveTheSelection) {
  present();
  type("wifi");
  ASSERT_TRUE(runQtUntil([&] { return shownTitles(*window).size() >= 2; }));
  QTest::keyClick(window->searchField(), Qt::Key_Down);
  EXPECT_EQ(shownSelection(*window), 1);
  EXPECT_EQ(model->selection(), 1u);
  QTest::keyClick(window->searchField(), Qt::Key_Up);
  EXPECT_EQ(shownSelection(*window), 0);
  // The caret stayed where typing left it.
  EXPECT_EQ(window->searchField()->cursorPosition(), 4);
}

TEST_F(PanelTest, ShortcutsShowAsKeyCapsOnlyWhenAsked) {
  preferences.setShowResultShortcuts(true);
  start();
  present();
  type("turn wi-fi off");
  ASSERT_TRUE(runQtUntil([&] { return !shownTitles(*window).empty(); }));
  QAccessibleInterface* list =
      findAccessible(QAccessible::queryAccessibleInterface(window.get()), QAccessible::List);
  EXPECT_EQ(list->child(0)->text(QAccessible::Accelerator), "Ctrl+Alt+W");

  preferences.setShowResultShortcuts(false);
  start();
  present();
  type("turn wi-fi off");
  ASSERT_TRUE(runQtUntil([&] { return !shownTitles(*window).empty(); }));
  list = findAccessible(QAccessible::queryAccessibleInterface(window.get()), QAccessible::List);
  EXPECT_EQ(list->child(0)->text(QAccessible::Accelerator), "");
}

TEST_F(PanelTest, KeysTheRoutingConsumesNeverReachTheField) {
  std::vector<app::SearchFieldState> states;
  hooks.routeKey = [&](const app::KeyEvent& key, const app::SearchFieldState& field) {
    states.push_back(field);
    return key.charactersIgnoringModifiers == "q" || key.keyCode == app::KeyCode::downArrow
               ? app::Routing::consumed
               : app::Routing::normal;
  };
  start();
  present();
  type("wq");
  EXPECT_EQ(window->searchField()->text(), "w");
  EXPECT_EQ(model->query(), "w");
  ASSERT_EQ(states.size(), 2u);
  EXPECT_TRUE(states[0].isEmpty);
  EXPECT_TRUE(states[0].isFirstResponder);
  EXPECT_FALSE(states[1].isEmpty);

  window->searchField()->clear();
  type("wifi");
  ASSERT_TRUE(runQtUntil([&] { return shownTitles(*window).size() >= 2; }));
  QTest::keyClick(window->searchField(), Qt::Key_Down);
  EXPECT_EQ(model->selection(), 0u);
}

TEST_F(PanelTest, TheRoutingHearsWhenAnInputMethodIsComposing) {
  std::vector<app::SearchFieldState> states;
  hooks.routeKey = [&](const app::KeyEvent&, const app::SearchFieldState& field) {
    states.push_back(field);
    return app::Routing::normal;
  };
  start();
  present();
  QInputMethodEvent composing("ka", {});
  QApplication::sendEvent(window->searchField(), &composing);
  QTest::keyClick(window->searchField(), Qt::Key_Backspace);
  QInputMethodEvent committed;
  committed.setCommitString("\u304b");
  QApplication::sendEvent(window->searchField(), &committed);
  QTest::keyClick(window->searchField(), Qt::Key_Backspace);
  ASSERT_EQ(states.size(), 2u);
  EXPECT_TRUE(states[0].isComposing);
  EXPECT_FALSE(states[1].isComposing);
  EXPECT_FALSE(states[1].isEmpty);
}

TEST_F(PanelTest, TabSwitchesTheScopeShownInThePanel) {
  present();
  ASSERT_EQ(model->scope(), Scope::commands);
  QTest::keyClick(window->searchField(), Qt::Key_Tab);
  EXPECT_EQ(model->scope(), Scope::files);
  EXPECT_TRUE(window->searchField()->hasFocus());
  EXPECT_EQ(window->searchField()->placeholderText(), "Search file names");
  EXPECT_EQ(window->findChild<ScopeChip*>()->accessibleName(), "Searching Files");
}

TEST_F(PanelTest, EscapeAsksTheOwnerToHideThePanel) {
  int dismissals = 0;
  hooks.dismissRequested = [&] { ++dismissals; };
  start();
  present();
  QTest::keyClick(window->searchField(), Qt::Key_Escape);
  EXPECT_EQ(dismissals, 1);
}

TEST_F(PanelTest, ReturnRunsTheSelectedRow) {
  std::vector<std::string> ran;
  modelHooks.runRow = [&](const core::ResultRow& row, bool) { ran.push_back(row.command.title); };
  start();
  present();
  type("wifi");
  ASSERT_TRUE(runQtUntil([&] { return shownTitles(*window).size() >= 2; }));
  QTest::keyClick(window->searchField(), Qt::Key_Down);
  const std::string second = shownTitles(*window)[1];
  QTest::keyClick(window->searchField(), Qt::Key_Return);
  EXPECT_EQ(ran, std::vector<std::string>{second});
}

TEST_F(PanelTest, ReturnOnTheClipboardRowBelowTheLastRowPastesIt) {
  std::vector<std::string> pasted;
  modelHooks.clipboardMatch = [](const std::string& query, std::stop_token) -> std::optional<core::Command> {
    return core::Command("clip.1", "copied " + query, core::Command::Kind::clipboard, "", "", "",
                         core::target::Clipboard{});
  };
  modelHooks.pasteClipboard = [&](const core::ResultRow& row) { pasted.push_back(row.command.title); };
  start();
  present();
  type("wifi");
  ASSERT_TRUE(runQtUntil([&] { return contains(shownTitles(*window), "copied wifi"); }));
  for (std::size_t row = 0; row < app::SearchModel::localLimit; ++row)
    QTest::keyClick(window->searchField(), Qt::Key_Down);
  const auto titles = shownTitles(*window);
  EXPECT_EQ(titles.back(), "copied wifi");
  EXPECT_EQ(shownSelection(*window), int(titles.size()) - 1);
  QTest::keyClick(window->searchField(), Qt::Key_Return);
  EXPECT_EQ(pasted, std::vector<std::string>{"copied wifi"});
}

TEST_F(PanelTest, ClickingARowRunsIt) {
  std::vector<std::string> ran;
  modelHooks.runRow = [&](const core::ResultRow& row, bool) { ran.push_back(row.command.title); };
  start();
  present();
  type("wifi");
  ASSERT_TRUE(runQtUntil([&] { return shownTitles(*window).size() >= 3; }));
  auto* list = window->findChild<ResultList*>();
  QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(2).center());
  EXPECT_EQ(ran, std::vector<std::string>{shownTitles(*window)[2]});
}

TEST_F(PanelTest, RowsTheServicePlacedCarryAQuietCue) {
  // The service picks "Turn Wi-Fi Off" among the candidates it is sent.
  service.on(kCommandsPath, [](const testing::ServiceRequest& request) {
    std::map<std::string, double> probabilities{{"none", 0.05}};
    const auto& candidates = request.json["candidates"];
    for (std::size_t position = 0; position < candidates.size(); ++position)
      if (candidates[position]["title"] == "Turn Wi-Fi Off")
        probabilities["c" + std::to_string(position)] = 0.9;
    return testing::ServiceReply{.body = testing::rankingBody(probabilities)};
  });
  start(true);
  present();
  type("screenshot to clipboard");
  ASSERT_TRUE(runQtUntil([&] { return std::holds_alternative<app::ravo::Answered>(model->ravo()); }));
  ASSERT_TRUE(runQtUntil([&] { return contains(shownTitles(*window), "Turn Wi-Fi Off"); }));
  QAccessibleInterface* list =
      findAccessible(QAccessible::queryAccessibleInterface(window.get()), QAccessible::List);
  for (int index = 0; index < list->childCount(); ++index) {
    const QString name = list->child(index)->text(QAccessible::Name);
    const QString description = list->child(index)->text(QAccessible::Description);
    EXPECT_EQ(description.contains("ranked by Ravo"), name == "Turn Wi-Fi Off") << name.toStdString();
  }
  EXPECT_EQ(footerText(*window), "Ranked by Ravo");
}

TEST_F(PanelTest, TheFooterSaysWhyTheServiceIsOff) {
  present();
  type("wifi");
  const auto& off = std::get<app::ravo::Off>(model->ravo());
  EXPECT_EQ(footerText(*window), "Ravo off \u00b7 " + QString::fromStdString(off.reason));
}

TEST_F(PanelTest, TheFooterShowsWaitingThenTheServicesFailure) {
  service.answer(kCommandsPath, {.status = 500, .body = "{}", .delay = std::chrono::milliseconds(300)});
  start(true);
  present();
  type("screenshot to clipboard");
  ASSERT_TRUE(runQtUntil([&] { return std::holds_alternative<app::ravo::Waiting>(model->ravo()); }));
  EXPECT_EQ(footerText(*window), "Ravo is ranking\u2026");
  ASSERT_TRUE(runQtUntil([&] { return std::holds_alternative<app::ravo::Failed>(model->ravo()); }));
  const auto& failed = std::get<app::ravo::Failed>(model->ravo());
  EXPECT_EQ(footerText(*window), "Ravo failed \u00b7 " + QString::fromStdString(failed.message));
}

TEST_F(PanelTest, AFeedbackButtonReachesTheModel) {
  present();
  QTest::keyClick(window->searchField(), Qt::Key_Tab);  // files
  QTest::keyClick(window->searchField(), Qt::Key_Tab);  // menus, with no application to read
  ASSERT_EQ(model->scope(), Scope::menus);
  model->readMenus(
      app::FrontApp{.pid = testing::FakeAccessibility::kPid, .bundleID = "notes", .name = "Notes"});
  ASSERT_TRUE(runQtUntil([&] { return std::holds_alternative<app::menu::Ready>(model->menuState()); }));
  type("zqxj");
  ASSERT_TRUE(runQtUntil([&] { return model->launcherFeedback() == app::LauncherFeedback::noMatches; }));
  QPushButton* button = feedbackButton(*window);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "Search Commands");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(model->scope(), Scope::commands);
  EXPECT_EQ(model->query(), "zqxj");
  EXPECT_EQ(window->searchField()->text(), "zqxj");
}

TEST_F(PanelTest, ButtonsThatNeedTheProgramGoToItsHook) {
  std::vector<app::LauncherFeedback> asked;
  hooks.feedbackAction = [&](app::LauncherFeedback feedback) { asked.push_back(feedback); };
  start();
  present();
  QTest::keyClick(window->searchField(), Qt::Key_Tab);  // files, without search folders
  ASSERT_EQ(model->launcherFeedback(), app::LauncherFeedback::fileSetup);
  QPushButton* button = feedbackButton(*window);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(asked, std::vector<app::LauncherFeedback>{app::LauncherFeedback::fileSetup});
}

std::vector<std::string> netWmState(QWidget& window) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11->connection();
  const char* name = "_NET_WM_STATE";
  auto* atomReply =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
  auto* reply = xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window.winId(), atomReply->atom, XCB_ATOM_ATOM, 0, 32),
      nullptr);
  std::free(atomReply);
  std::vector<std::string> states;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
  for (int index = 0; index < xcb_get_property_value_length(reply) / 4; ++index) {
    auto* nameReply =
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atoms[index]), nullptr);
    states.emplace_back(xcb_get_atom_name_name(nameReply), xcb_get_atom_name_name_length(nameReply));
    std::free(nameReply);
  }
  std::free(reply);
  return states;
}

TEST_F(PanelTest, ThePanelNeverShowsInTheTaskbar) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  present();
  ASSERT_TRUE(runQtUntil([&] {
    const auto states = netWmState(*window);
    return std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR") != states.end();
  }));
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::Tool));
}

TEST_F(PanelTest, ThePanelTakesTheKeyboardAndTellsWhenItLosesIt) {
  int resigned = 0;
  hooks.resignedKey = [&] { ++resigned; };
  start();
  present();
  EXPECT_TRUE(window->searchField()->hasFocus());
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(runQtUntil([&] { return resigned > 0; }));
}

TEST_F(PanelTest, DismissFadesOutThenHides) {
  present();
  bool done = false;
  window->dismiss(app::PanelTransition{.duration = std::chrono::milliseconds(60), .slide = 8},
                  [&] { done = true; });
  EXPECT_TRUE(window->isVisible());
  ASSERT_TRUE(runQtUntil([&] { return done; }));
  EXPECT_FALSE(window->isVisible());
}

TEST_F(PanelTest, EveryNewContentIsReportedPainted) {
  int painted = 0;
  hooks.painted = [&] { ++painted; };
  start();
  present();
  ASSERT_TRUE(runQtUntil([&] { return painted > 0; }));
  const int before = painted;
  type("w");
  ASSERT_TRUE(runQtUntil([&] { return painted > before; }));
}

TEST_F(PanelTest, TheMenusScopeChipTakesTheFrontApplicationsBrandColour) {
  testing::writeFile(folder / "metainfo/notes.metainfo.xml",
                     R"(<component><branding><color type="primary">#c061cb</color></branding></component>)");
  hooks.branding = [this](const std::string& appId) {
    return core::readAppBranding(appId, {folder / "metainfo"}, files);
  };
  start();
  present();
  const auto* chip = window->findChild<ScopeChip*>();
  ASSERT_NE(chip, nullptr);
  EXPECT_EQ(chip->accent(), std::nullopt);  // the commands are nobody's
  model->changeScope(Scope::menus);
  model->readMenus(
      app::FrontApp{.pid = testing::FakeAccessibility::kPid, .bundleID = "notes", .name = "Notes"});
  ASSERT_TRUE(runQtUntil([&] { return chip->accent() == QColor("#c061cb"); }));
  model->changeScope(Scope::commands);
  EXPECT_EQ(chip->accent(), std::nullopt);
}

TEST_F(PanelTest, WithoutAccessibilityTheMenusAskForItThroughTheProgram) {
  std::vector<app::LauncherFeedback> asked;
  hooks.feedbackAction = [&](app::LauncherFeedback feedback) { asked.push_back(feedback); };
  fakeAx.setTrusted(false);
  start();
  present();
  model->changeScope(Scope::menus);
  model->readMenus(
      app::FrontApp{.pid = testing::FakeAccessibility::kPid, .bundleID = "notes", .name = "Notes"});
  ASSERT_EQ(model->launcherFeedback(), app::LauncherFeedback::permission);
  QPushButton* button = feedbackButton(*window);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(asked, std::vector<app::LauncherFeedback>{app::LauncherFeedback::permission});
}

TEST_F(PanelTest, TheClipboardHistoryTakesThePanelsPlaceAndTheKeyboard) {
  int dismissals = 0;
  hooks.dismissRequested = [&] { ++dismissals; };
  start();
  auto* history = new QLineEdit;
  history->setObjectName("history");
  window->setClipboardView(history);
  present();
  window->showContent(app::LauncherPresentation::Content::clipboard);
  EXPECT_TRUE(history->isVisible());
  EXPECT_FALSE(window->searchField()->isVisible());
  ASSERT_TRUE(runQtUntil([&] { return history->hasFocus(); }));
  QTest::keyClicks(history, "ab");
  EXPECT_EQ(model->query(), "");
  window->showContent(app::LauncherPresentation::Content::launcher);
  EXPECT_TRUE(window->searchField()->isVisible());
  ASSERT_TRUE(runQtUntil([&] { return window->searchField()->hasFocus(); }));
}

TEST_F(PanelTest, AMoveOfThePanelIsReportedOnce) {
  std::vector<platform::Rect> frames;
  hooks.moved = [&](const platform::Rect& frame) { frames.push_back(frame); };
  start();
  present();
  QTest::qWait(300);
  ASSERT_TRUE(frames.empty());
  window->move(320, 240);
  ASSERT_TRUE(runQtUntil([&] { return !frames.empty(); }));
  QTest::qWait(300);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].origin, (platform::Point{320, 240}));
  EXPECT_EQ(frames[0].size.width, window->width());
}

TEST_F(PanelTest, ShowingFadesInWithASmallSlide) {
  const platform::Rect frame{{200, 150}, window->preferredSize()};
  window->present(frame, app::PanelTransition{.duration = std::chrono::milliseconds(400), .slide = 8},
                  std::nullopt);
  EXPECT_EQ(window->windowOpacity(), 0.0);
  EXPECT_EQ(window->pos(), QPoint(200, 142));
  ASSERT_TRUE(
      runQtUntil([&] { return window->windowOpacity() == 1.0 && window->pos() == QPoint(200, 150); }));
}

TEST_F(PanelTest, WithLessMotionOnlyTheOpacityChanges) {
  const platform::Rect frame{{200, 150}, window->preferredSize()};
  window->present(frame, app::panelTransition(true), std::nullopt);
  EXPECT_EQ(window->windowOpacity(), 0.0);
  EXPECT_EQ(window->pos(), QPoint(200, 150));
  ASSERT_TRUE(runQtUntil([&] { return window->windowOpacity() == 1.0; }));
  EXPECT_EQ(window->pos(), QPoint(200, 150));
}

}  // namespace
}  // namespace quillo::ui::test
