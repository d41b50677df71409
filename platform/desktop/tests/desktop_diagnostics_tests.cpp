#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "quillo/platform/desktop/desktop_diagnostics.h"
#include "quillo/testing/fake_remote_desktop.h"
#include "quillo/testing/qt_test_loop.h"

namespace quillo::platform::desktop {
namespace {

using State = FacilityStatus::State;

std::map<std::string, State> states(const std::vector<FacilityStatus>& report) {
  std::map<std::string, State> byFacility;
  for (const auto& status : report)
    byFacility[status.facility] = status.state;
  return byFacility;
}

TEST(DesktopDiagnostics, TheTestDisplayIsAnX11SessionWhereClipboardShortcutsAndPasteWork) {
  const auto facts = probeSession();
  EXPECT_EQ(facts.displayServer, SessionFacts::DisplayServer::x11);
  EXPECT_TRUE(facts.xFixes);
  EXPECT_TRUE(facts.xTest);
  EXPECT_FALSE(facts.trayWatcher);  // a private bus: nobody shows tray icons
  const auto report = states(assess(facts));
  EXPECT_EQ(report.at("clipboard"), State::working);
  EXPECT_EQ(report.at("shortcuts"), State::working);
  EXPECT_EQ(report.at("paste"), State::working);
  EXPECT_EQ(report.at("tray"), State::degraded);
  EXPECT_EQ(report.at("panel"), State::working);
}

TEST(DesktopDiagnostics, GnomeOnWaylandWatchesThroughXWaylandAndSaysHowToBindTheShortcuts) {
  SessionFacts gnome;
  gnome.displayServer = SessionFacts::DisplayServer::wayland;
  gnome.desktop = SessionFacts::Desktop::gnome;
  gnome.xDisplay = gnome.xTest = gnome.xFixes = true;
  gnome.remoteDesktopPortal = true;
  gnome.gnomeKeyboardSettings = true;
  const auto report = assess(gnome);
  const auto byFacility = states(report);
  EXPECT_EQ(byFacility.at("clipboard"), State::working);
  EXPECT_EQ(byFacility.at("shortcuts"), State::degraded);
  EXPECT_EQ(byFacility.at("paste"), State::degraded);
  EXPECT_EQ(byFacility.at("frontApplication"), State::unavailable);  // the accessibility bus is off
  std::map<std::string, std::string> fixes;
  for (const auto& status : report)
    fixes[status.facility] = status.fix;
  EXPECT_NE(fixes.at("shortcuts").find("quillo --toggle"), std::string::npos);
  EXPECT_NE(fixes.at("tray").find("AppIndicator"), std::string::npos);
  EXPECT_NE(fixes.at("frontApplication").find("menu search"), std::string::npos);
}

TEST(DesktopDiagnostics, GnomeOnWaylandReadsTheFrontApplicationFromTheAccessibilityBusAndSaysWhoIsLeftOut) {
  SessionFacts gnome;
  gnome.displayServer = SessionFacts::DisplayServer::wayland;
  gnome.desktop = SessionFacts::Desktop::gnome;
  gnome.accessibilityEnabled = true;
  const auto report = assess(gnome);
  const auto front = std::find_if(report.begin(), report.end(), [](const FacilityStatus& status) {
    return status.facility == "frontApplication";
  });
  ASSERT_NE(front, report.end());
  EXPECT_EQ(front->state, State::degraded);
  EXPECT_NE(front->detail.find("do not publish"), std::string::npos) << front->detail;
}

TEST(DesktopDiagnostics, GnomeOnWaylandShortcutsWorkOnceTheyAreInGnomesKeyboardSettings) {
  SessionFacts gnome;
  gnome.displayServer = SessionFacts::DisplayServer::wayland;
  gnome.desktop = SessionFacts::Desktop::gnome;
  gnome.gnomeKeyboardSettings = gnome.gnomeShortcutsInstalled = true;
  EXPECT_EQ(states(assess(gnome)).at("shortcuts"), State::working);
  gnome.gnomeKeyboardSettings = gnome.gnomeShortcutsInstalled = false;
  EXPECT_EQ(states(assess(gnome)).at("shortcuts"), State::degraded);
}

TEST(DesktopDiagnostics, PlasmaOnWaylandUsesDataControlAndTheShortcutsPortal) {
  SessionFacts plasma;
  plasma.displayServer = SessionFacts::DisplayServer::wayland;
  plasma.desktop = SessionFacts::Desktop::kde;
  plasma.dataControl = "zwlr_data_control_manager_v1";
  plasma.globalShortcutsPortal = plasma.trayWatcher = plasma.kwinScripting = true;
  const auto byFacility = states(assess(plasma));
  EXPECT_EQ(byFacility.at("clipboard"), State::working);
  EXPECT_EQ(byFacility.at("shortcuts"), State::working);
  EXPECT_EQ(byFacility.at("paste"), State::unavailable);
  EXPECT_EQ(byFacility.at("tray"), State::working);
  EXPECT_EQ(byFacility.at("frontApplication"), State::working);
}

TEST(DesktopDiagnostics, ShortcutsTheUserTurnedDownInThePortalAreDegradedWithHowToAllowThem) {
  SessionFacts plasma;
  plasma.displayServer = SessionFacts::DisplayServer::wayland;
  plasma.desktop = SessionFacts::Desktop::kde;
  plasma.globalShortcutsPortal = plasma.globalShortcutsRefused = true;
  const auto report = assess(plasma);
  const auto shortcuts = std::find_if(report.begin(), report.end(),
                                      [](const auto& status) { return status.facility == "shortcuts"; });
  ASSERT_NE(shortcuts, report.end());
  EXPECT_EQ(shortcuts->state, State::degraded);
  EXPECT_NE(shortcuts->detail.find("turned down"), std::string::npos);
  EXPECT_NE(shortcuts->fix.find("accept the desktop's dialog"), std::string::npos);
}

TEST(DesktopDiagnostics, OnWaylandWithTheRemoteDesktopPortalThePasteGoesThroughIt) {
  testing::TestCoreApplication application;
  testing::RemoteDesktopOnBus desktop;
  ASSERT_TRUE(desktop.registered);
  const std::string session = std::getenv("XDG_SESSION_TYPE") ? std::getenv("XDG_SESSION_TYPE") : "";
  setenv("XDG_SESSION_TYPE", "wayland", 1);
  const auto facts = probeSession();
  setenv("XDG_SESSION_TYPE", session.c_str(), 1);
  EXPECT_TRUE(facts.remoteDesktopPortal);
  const auto report = assess(facts);
  const auto paste = std::find_if(report.begin(), report.end(),
                                  [](const FacilityStatus& status) { return status.facility == "paste"; });
  ASSERT_NE(paste, report.end());
  EXPECT_EQ(paste->state, State::degraded);
  EXPECT_NE(paste->detail.find("remote-desktop portal"), std::string::npos) << paste->detail;
}

}  // namespace
}  // namespace quillo::platform::desktop
