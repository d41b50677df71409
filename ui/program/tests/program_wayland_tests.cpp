#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "program_process.h"
#include "quillo/platform/desktop/wayland_data_control.h"

namespace quillo::ui::testing {
namespace {

using nlohmann::json;
using std::chrono_literals::operator""s;
using std::chrono_literals::operator""ms;

// What another program of the session prints, and whether it succeeded.
struct Output {
  std::string text;
  bool succeeded = false;
};
Output run(const std::string& command) {
  std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), &pclose);
  Output output;
  char buffer[4096];
  while (const auto n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
    output.text.append(buffer, n);
  output.succeeded = pclose(pipe.release()) == 0;
  return output;
}

// The program as a user meets it in a Wayland session: sway's headless compositor with its
// keyboard, driven by other Wayland programs (wtype types, wl-copy copies), read through State
// and through the compositor's own account of its windows.
struct WaylandProgram : ::testing::Test {
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "quillo-program-wayland-tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
  }

  void SetUp() override {
    ASSERT_NE(std::getenv("WAYLAND_DISPLAY"), nullptr) << "run under scripts/with-test-wayland";
    ASSERT_NE(std::getenv("SWAYSOCK"), nullptr) << "run under scripts/with-test-wayland";
  }

  TestHome home;
  std::unique_ptr<ProgramProcess> program;

  // The home's runtime folder is not the compositor's: the program finds it by its full path.
  static std::map<std::string, std::string> session() {
    return {{"QT_QPA_PLATFORM", "wayland"},
            {"WAYLAND_DISPLAY",
             std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" + std::getenv("WAYLAND_DISPLAY")}};
  }

  void start() {
    program = std::make_unique<ProgramProcess>(home, std::vector<std::string>{}, std::nullopt, session());
    ASSERT_TRUE(stateWhen(programReady)) << "the program did not answer State";
  }
  // A later start with `arguments`, which hands them to the running program and exits.
  void forward(const std::vector<std::string>& arguments) {
    ProgramProcess later(home, arguments, std::nullopt, session());
    ASSERT_EQ(later.wait(10s), 0) << "the later start did not forward and exit";
  }
  void showLauncher() {
    forward({"--show"});
    ASSERT_TRUE(stateWhen([](const json& state) {
      return state["panel"]["visible"] == true && state["panel"]["content"] == "launcher" &&
             state["panel"]["focused"] == true;
    }));
  }

  // The history's entry titled `title`, once it is there.
  static std::optional<json> entryWhen(const std::string& title) {
    const auto state = stateWhen([&](const json& state) {
      const json& entries = state["clipboard"]["entries"];
      return !entries.empty() && entries[0]["title"] == title;
    });
    if (!state) return std::nullopt;
    return (*state)["clipboard"]["entries"][0];
  }
};

// The compositor's node of the window titled `title`: none when it has no such window.
std::optional<json> compositorWindow(const json& node, const std::string& title) {
  if (node.value("name", json()) == title && node.contains("app_id")) return node;
  for (const char* children : {"nodes", "floating_nodes"})
    for (const json& child : node.value(children, json::array()))
      if (auto found = compositorWindow(child, title)) return found;
  return std::nullopt;
}

// Polls sway's windows until the one titled `title` has the compositor's focus: its node, or none.
std::optional<json> focusedCompositorWindow(const std::string& title) {
  const auto end = std::chrono::steady_clock::now() + 15s;
  std::string tree;
  while (std::chrono::steady_clock::now() < end) {
    tree = run("swaymsg -r -t get_tree").text;
    const json parsed = json::parse(tree, nullptr, false);
    const auto window = parsed.is_object() ? compositorWindow(parsed, title) : std::nullopt;
    if (window && (*window)["focused"] == true) return window;
    std::this_thread::sleep_for(50ms);
  }
  std::fprintf(stderr, "No focused window \"%s\"; sway's windows: %s\n", title.c_str(), tree.c_str());
  return std::nullopt;
}

TEST_F(WaylandProgram, ALaterStartsShowOpensThePanelWithTheKeyboard) {
  start();
  forward({"--show"});
  EXPECT_TRUE(stateWhen([](const json& state) {
    return state["panel"]["visible"] == true && state["panel"]["content"] == "launcher" &&
           state["panel"]["focused"] == true;
  }));
}

TEST_F(WaylandProgram, ThePanelFloatsWithTheCompositorsFocus) {
  start();
  showLauncher();
  const auto panel = focusedCompositorWindow("Quillo");
  ASSERT_TRUE(panel);
  // A tiling compositor would otherwise give the panel half the screen beside other windows.
  EXPECT_EQ((*panel)["type"], "floating_con") << panel->dump();
}

TEST_F(WaylandProgram, TheSettingsCommandOpensTheSettingsWindowWithTheKeyboard) {
  start();
  forward({"--settings"});
  EXPECT_TRUE(focusedCompositorWindow("Quillo Settings"));
}

TEST_F(WaylandProgram, TypingInThePanelListsTheMatchingRows) {
  home.stored("openingScope", "mac");
  start();
  showLauncher();
  ASSERT_TRUE(run("wtype wifi").succeeded);
  const auto state = stateWhen([](const json& state) {
    const json& rows = state["search"]["rows"];
    return state["search"]["query"] == "wifi" && !rows.empty() && rows[0]["title"] == "Wi-Fi Analyzer";
  });
  EXPECT_TRUE(state);
}

TEST_F(WaylandProgram, AForwardedQueryListsTheMatchingRows) {
  home.stored("openingScope", "mac");
  start();
  forward({"--show", "--query", "wifi"});
  const auto state = stateWhen([](const json& state) {
    const json& rows = state["search"]["rows"];
    return state["panel"]["visible"] == true && state["search"]["query"] == "wifi" && !rows.empty() &&
           rows[0]["title"] == "Wi-Fi Analyzer";
  });
  EXPECT_TRUE(state);
}

TEST_F(WaylandProgram, EscapeHidesThePanel) {
  start();
  showLauncher();
  ASSERT_TRUE(run("wtype -k Escape").succeeded);
  EXPECT_TRUE(stateWhen([](const json& state) { return state["panel"]["visible"] == false; }));
}

TEST_F(WaylandProgram, TheClipboardCommandOpensTheHistoryWithTheKeyboard) {
  start();
  forward({"--clipboard"});
  EXPECT_TRUE(stateWhen([](const json& state) {
    return state["panel"]["visible"] == true && state["panel"]["content"] == "clipboard" &&
           state["panel"]["focused"] == true && state["clipboard"]["open"] == true;
  }));
}

TEST_F(WaylandProgram, ACopyInAnotherProgramAppearsInTheHistory) {
  home.stored("clipboard.enabled", true);
  start();
  ASSERT_EQ(std::system("wl-copy 'copied in another program'"), 0);
  const auto entry = entryWhen("copied in another program");
  ASSERT_TRUE(entry);
  EXPECT_EQ((*entry)["kind"], "text") << entry->dump();
}

TEST_F(WaylandProgram, ChoosingAnEntryPutsItOnTheClipboardToPasteByHand) {
  home.stored("clipboard.enabled", true);
  start();
  ASSERT_EQ(std::system("wl-copy 'the older copy'"), 0);
  ASSERT_TRUE(entryWhen("the older copy"));
  ASSERT_EQ(std::system("wl-copy 'the newer copy'"), 0);
  ASSERT_TRUE(entryWhen("the newer copy"));
  forward({"--clipboard"});
  ASSERT_TRUE(stateWhen([](const json& state) {
    return state["panel"]["focused"] == true && state["clipboard"]["open"] == true &&
           state["clipboard"]["entries"].size() == 2;
  }));
  ASSERT_TRUE(run("wtype -k Down -k Return").succeeded);
  // Wayland lets no program type into another: the panel says to paste by hand.
  const auto state = stateWhen([](const json& state) {
    return state["clipboard"]["status"].is_string() &&
           state["clipboard"]["status"].get<std::string>().starts_with("Copied.");
  });
  ASSERT_TRUE(state);
  EXPECT_EQ(run("wl-paste --no-newline").text, "the older copy");
}

TEST_F(WaylandProgram, ACopyMarkedConcealedIsNotRecorded) {
  home.stored("clipboard.enabled", true);
  start();
  {
    // A password manager's copy: the text with its hint beside it.
    platform::desktop::WaylandDataControl passwordManager;
    passwordManager.own({{"text/plain;charset=utf-8", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}});
    // The program looks four times a second; give it several looks at the password.
    std::this_thread::sleep_for(1s);
  }
  ASSERT_EQ(std::system("wl-copy 'after the password'"), 0);
  ASSERT_TRUE(entryWhen("after the password"));
  const json entries = (*programState())["clipboard"]["entries"];
  for (const json& entry : entries)
    EXPECT_NE(entry["title"], "hunter2") << entries.dump();
}

TEST_F(WaylandProgram, AClipboardClearedByItsOwnerStaysEmpty) {
  home.stored("clipboard.enabled", true);
  start();
  ASSERT_EQ(std::system("wl-copy 'a one-time code'"), 0);
  ASSERT_TRUE(entryWhen("a one-time code"));
  ASSERT_TRUE(run("wl-paste --list-types").succeeded);
  ASSERT_EQ(std::system("wl-copy --clear"), 0);
  std::this_thread::sleep_for(1s);
  const Output types = run("wl-paste --list-types 2>/dev/null");
  EXPECT_FALSE(types.succeeded) << "the clipboard holds again: " << types.text;
}

// `quillo --diagnose --json` in this session: facility name → its entry.
std::map<std::string, json> diagnosis(const TestHome& home) {
  const auto output = home.folder / "diagnosis.json";
  ProgramProcess program(home, {"--diagnose", "--json"}, output, WaylandProgram::session());
  EXPECT_EQ(program.wait(20s), 0);
  std::ifstream in(output);
  const auto report = json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
  std::map<std::string, json> facilities;
  for (const auto& facility : report["facilities"])
    facilities[facility["facility"].get<std::string>()] = facility;
  return facilities;
}

bool says(const json& facility, const std::string& words) {
  return facility.value("detail", std::string()).find(words) != std::string::npos;
}

TEST_F(WaylandProgram, DiagnosisSaysTheClipboardIsWatchedThroughDataControl) {
  auto facilities = diagnosis(home);
  EXPECT_EQ(facilities["clipboard"]["state"], "working") << facilities["clipboard"].dump();
  EXPECT_TRUE(says(facilities["clipboard"], "zwlr_data_control_manager_v1"))
      << facilities["clipboard"].dump();
}

TEST_F(WaylandProgram, DiagnosisSaysShortcutsAndPasteWantThePortalsThisSessionLacks) {
  auto facilities = diagnosis(home);
  EXPECT_EQ(facilities["shortcuts"]["state"], "degraded") << facilities["shortcuts"].dump();
  EXPECT_TRUE(says(facilities["shortcuts"], "portal")) << facilities["shortcuts"].dump();
  EXPECT_TRUE(facilities["shortcuts"]["fix"].is_string());
  EXPECT_EQ(facilities["paste"]["state"], "unavailable") << facilities["paste"].dump();
  EXPECT_TRUE(says(facilities["paste"], "portal")) << facilities["paste"].dump();
  EXPECT_TRUE(facilities["paste"]["fix"].is_string());
}

TEST_F(WaylandProgram, DiagnosisSaysTheCompositorPlacesThePanel) {
  auto facilities = diagnosis(home);
  EXPECT_EQ(facilities["panel"]["state"], "degraded") << facilities["panel"].dump();
  EXPECT_TRUE(says(facilities["panel"], "compositor")) << facilities["panel"].dump();
  EXPECT_TRUE(facilities["panel"]["fix"].is_string());
}

}  // namespace
}  // namespace quillo::ui::testing
