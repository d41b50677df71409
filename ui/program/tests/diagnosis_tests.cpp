#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// GNOME's Wayland session as the program sees it: a compositor without the data-control
// protocol, XWayland beside it (the test display), GNOME's settings schemas where the system keeps
// them, and no portal on the session bus.
std::map<std::string, std::string> gnomeWayland(const TestHome& home) {
  return {{"XDG_SESSION_TYPE", "wayland"},
          {"WAYLAND_DISPLAY", "wayland-quillo-absent"},
          {"XDG_CURRENT_DESKTOP", "GNOME"},
          {"GSETTINGS_BACKEND", "keyfile"},
          {"XDG_DATA_DIRS", (home.folder / "system").string() + ":/usr/local/share:/usr/share"}};
}

// Sets the session's accessibility switch, which other tests of this program may have turned on:
// with it off, GNOME's Wayland session cannot say which application is in front.
void switchAccessibilityOff() {
  QDBusMessage message = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                        "org.freedesktop.DBus.Properties", "Set");
  message.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                        QVariant::fromValue(QDBusVariant(false))});
  ASSERT_EQ(QDBusConnection::sessionBus().call(message).type(), QDBusMessage::ReplyMessage);
}

TEST(ProgramDiagnosis, OnGnomesWaylandEveryFacilityIsReportedWithWhatTheSessionAllows) {
  TestHome home;
  switchAccessibilityOff();
  auto facilities = diagnosis(home, gnomeWayland(home));
  std::vector<std::string> names;
  for (const auto& [name, facility] : facilities)
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"clipboard", "frontApplication", "keepAwake", "menus", "panel",
                                             "paste", "shortcuts", "tray"}));
  EXPECT_EQ(facilities["clipboard"]["state"], "working") << facilities["clipboard"].dump();
  EXPECT_NE(facilities["clipboard"]["detail"].get<std::string>().find("XWayland"), std::string::npos);
  EXPECT_EQ(facilities["shortcuts"]["state"], "degraded") << facilities["shortcuts"].dump();
  EXPECT_EQ(facilities["paste"]["state"], "unavailable") << facilities["paste"].dump();
  EXPECT_EQ(facilities["frontApplication"]["state"], "unavailable");
  EXPECT_NE(facilities["frontApplication"]["detail"].get<std::string>().find("unknown"), std::string::npos);
  EXPECT_EQ(facilities["tray"]["state"], "degraded") << facilities["tray"].dump();
  EXPECT_EQ(facilities["keepAwake"]["state"], "working") << facilities["keepAwake"].dump();
  for (const auto& name : {"shortcuts", "paste", "frontApplication", "tray"})
    EXPECT_TRUE(facilities[name]["fix"].is_string()) << name << " says no way out";
}

TEST(ProgramDiagnosis, OnGnomesWaylandWithoutConsentTheShortcutsFixAsksForItInTheSettings) {
  TestHome home;
  auto facilities = diagnosis(home, gnomeWayland(home));
  EXPECT_NE(facilities["shortcuts"]["fix"].get<std::string>().find(
                "Add Quillo's shortcuts to GNOME's keyboard settings"),
            std::string::npos)
      << facilities["shortcuts"].dump();
}

}  // namespace
}  // namespace quillo::ui::testing
