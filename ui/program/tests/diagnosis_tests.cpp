#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "program_process.h"

namespace quillo::ui::testing {
namespace {

using std::chrono_literals::operator""s;

// `quillo --diagnose --json` in this environment: facility name → its entry.
std::map<std::string, nlohmann::json> diagnosis(const TestHome& home,
                                                const std::map<std::string, std::string>& extra) {
  const auto output = home.folder / "diagnosis.json";
  ProgramProcess program(home, {"--diagnose", "--json"}, output, extra);
  EXPECT_EQ(program.wait(20s), 0);
  std::ifstream in(output);
  const auto json = nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
  std::map<std::string, nlohmann::json> facilities;
  for (const auto& facility : json["facilities"])
    facilities[facility["facility"].get<std::string>()] = facility;
  return facilities;
}

TEST(ProgramDiagnosis, OnAnX11DesktopTheClipboardShortcutsAndPasteWork) {
  TestHome home;
  auto facilities = diagnosis(home, {});
  EXPECT_EQ(facilities["clipboard"]["state"], "working") << facilities["clipboard"].dump();
  EXPECT_EQ(facilities["shortcuts"]["state"], "working") << facilities["shortcuts"].dump();
  EXPECT_EQ(facilities["paste"]["state"], "working") << facilities["paste"].dump();
}

TEST(ProgramDiagnosis, WithoutADisplayTheClipboardIsUnavailableAndSaysWhatFixesIt) {
  TestHome home;
  auto facilities = diagnosis(home, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", ""}});
  EXPECT_EQ(facilities["clipboard"]["state"], "unavailable");
  EXPECT_TRUE(facilities["clipboard"]["fix"].is_string());
  EXPECT_FALSE(facilities["clipboard"]["fix"].get<std::string>().empty());
}

}  // namespace
}  // namespace quillo::ui::testing
