#include "panel_fixture.h"

#include <QTest>
#include <nlohmann/json.hpp>

#include "quillo/ui/panel/search_field.h"

namespace quillo::ui::test {

namespace {

// Owns the application object for the whole run and destroys it when the tests end, before the
// program's exit handlers take down Qt's own globals that its destructor still uses.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  QApplication& application() {
    if (!application_) application_ = std::make_unique<QApplication>(argc_, argv_);
    return *application_;
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[24] = "quillo-ui-panel-tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

// Google Test takes ownership of the environments it is given.
QtApplicationEnvironment* const environment = static_cast<QtApplicationEnvironment*>(
    ::testing::AddGlobalTestEnvironment(std::make_unique<QtApplicationEnvironment>().release()));

}  // namespace

QApplication& application() {
  return environment->application();
}

bool runUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done() && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
  return done();
}

QAccessibleInterface* findAccessible(QAccessibleInterface* root, QAccessible::Role role) {
  if (!root) return nullptr;
  if (root->role() == role) return root;
  for (int index = 0; index < root->childCount(); ++index)
    if (auto* found = findAccessible(root->child(index), role)) return found;
  return nullptr;
}

std::vector<std::string> shownTitles(QWidget& window) {
  std::vector<std::string> titles;
  QAccessibleInterface* list =
      findAccessible(QAccessible::queryAccessibleInterface(&window), QAccessible::List);
  if (!list) return titles;
  for (int index = 0; index < list->childCount(); ++index)
    titles.push_back(list->child(index)->text(QAccessible::Name).toStdString());
  return titles;
}

int shownSelection(QWidget& window) {
  QAccessibleInterface* list =
      findAccessible(QAccessible::queryAccessibleInterface(&window), QAccessible::List);
  for (int index = 0; list && index < list->childCount(); ++index)
    if (list->child(index)->state().selected) return index;
  return -1;
}

std::string menuBar() {
  using nlohmann::json;
  auto item = [](const std::string& title) {
    return json{{"AXRole", "AXMenuItem"}, {"AXTitle", title}, {"AXEnabled", true}};
  };
  json file = item("File");
  file["AXChildren"] = json::array({json{{"AXRole", "AXMenu"}, {"AXChildren", {item("New Note")}}}});
  // The first menu is the system's and is never read.
  json system = item("Apple");
  system["AXChildren"] = json::array({json{{"AXRole", "AXMenu"}, {"AXChildren", {item("Lock Screen")}}}});
  return json{{"AXRole", "AXApplication"},
              {"AXMenuBar", {{"AXRole", "AXMenuBar"}, {"AXChildren", {system, file}}}}}
      .dump();
}

core::Command command(const std::string& id, const std::string& title, core::Command::Kind kind,
                      const std::string& shortcut) {
  return core::Command(id, title, kind, "", "", shortcut, core::target::Shell{title});
}

void PanelTest::start(bool withService) {
  window.reset();
  model.reset();
  std::shared_ptr<core::BackendClient> backend;
  if (withService)
    backend = std::make_shared<core::BackendClient>(service.baseUrl(), service.clientKey(),
                                                    std::make_shared<core::FixedCredential>(""), http);
  model = std::make_unique<app::SearchModel>(app::SearchModelDependencies{.main = main,
                                                                          .pool = pool,
                                                                          .clock = clock,
                                                                          .preferences = preferences,
                                                                          .usage = usage,
                                                                          .accessibility = fakeAx,
                                                                          .backend = backend},
                                             modelHooks);
  using Kind = core::Command::Kind;
  std::vector<core::Command> commands{
      command("app.safari", "Safari", Kind::app),
      command("app.mail", "Mail", Kind::app),
      command("app.notes", "Notes", Kind::app),
      command("setting.wifi", "Wi-Fi", Kind::setting),
      command("action.wifi-off", "Turn Wi-Fi Off", Kind::action, "Ctrl+Alt+W"),
      command("action.wifi-on", "Turn Wi-Fi On", Kind::action),
  };
  for (const core::Command& action : core::Catalog::actions(system))
    commands.push_back(action);
  model->refreshCommands([commands] { return core::CommandIndex(commands); });
  ASSERT_TRUE(runUntil([&] { return model->commandCount() > 0; }));
  window = std::make_unique<LauncherWindow>(*model, preferences, hooks);
}

void PanelTest::present() {
  const app::Size size = window->preferredSize();
  window->present({{100, 100}, size},
                  app::PanelTransition{.duration = std::chrono::milliseconds(0), .slide = 0}, std::nullopt);
  ASSERT_TRUE(runUntil([&] { return window->isActiveWindow() && window->searchField()->hasFocus(); }));
}

void PanelTest::type(const std::string& text) {
  QTest::keyClicks(window->searchField(), QString::fromStdString(text));
}

void PanelTest::TearDown() {
  window.reset();
  model.reset();
}

}  // namespace quillo::ui::test
