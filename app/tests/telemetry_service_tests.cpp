#include <gtest/gtest.h>

#include "quillo/app/telemetry_service.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/testing/manual_main_queue.h"

namespace quillo::app {
namespace {

constexpr const char* kAppID = "6B29FC40-CA47-1067-B31D-00DD010662DA";

struct Sent {
  std::string name;
  std::map<std::string, std::string> parameters;
  bool operator==(const Sent&) const = default;
};

struct TelemetryServiceTest : ::testing::Test {
  core::MemoryDefaultsStore defaults;
  testing::TestClock clock;
  std::vector<Sent> sent;
  int initialized = 0;

  TelemetryService service(std::optional<std::string> appID = kAppID) {
    return TelemetryService(
        defaults, clock,
        {.initialize = [this](const std::string&, bool) { ++initialized; },
         .signal =
             [this](const std::string& name, const std::map<std::string, std::string>& parameters) {
               sent.push_back({name, parameters});
             }},
        {.appID = std::move(appID)});
  }

  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const Sent& signal : sent)
      result.push_back(signal.name);
    return result;
  }
};

TEST_F(TelemetryServiceTest, AnOptedOutUserSendsNothing) {
  defaults.set(TelemetryService::enabledKey, false);
  auto telemetry = service();
  telemetry.start();
  telemetry.launcherOpened();
  telemetry.actionInvoked(Feature::macActions, Interaction::run);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(initialized, 0);
}

TEST_F(TelemetryServiceTest, TurningTheSwitchOffStopsSignalsAtOnceAndIsRemembered) {
  auto telemetry = service();
  telemetry.start();
  EXPECT_TRUE(telemetry.isEnabled());
  telemetry.setEnabled(false);
  const auto before = sent.size();
  telemetry.launcherOpened();
  telemetry.actionInvoked(Feature::macActions, Interaction::run);
  EXPECT_EQ(sent.size(), before);
  EXPECT_FALSE(service().isEnabled());
  EXPECT_EQ(defaults.value(TelemetryService::enabledKey)->boolean(), std::optional<bool>(false));
}

TEST_F(TelemetryServiceTest, AnAppIDThatIsNotAUUIDDisablesAnalytics) {
  auto telemetry = service("not-a-uuid");
  telemetry.start();
  telemetry.launcherOpened();
  EXPECT_TRUE(sent.empty());
  EXPECT_FALSE(telemetry.hasStarted());
}

TEST_F(TelemetryServiceTest, TheFirstStartReportsTheInstallAndEveryStartTheLaunch) {
  service().start();
  service().start();
  EXPECT_EQ(names(), (std::vector<std::string>{"App.installed", "App.launched", "App.launched"}));
  EXPECT_EQ(initialized, 2);
}

TEST_F(TelemetryServiceTest, AFeatureIsReportedOncePerOpening) {
  auto telemetry = service();
  telemetry.start();
  sent.clear();
  telemetry.launcherOpened();
  telemetry.featureUsed(Feature::fileSearch);
  telemetry.featureUsed(Feature::fileSearch);
  telemetry.launcherClosed();
  telemetry.launcherOpened();
  telemetry.featureUsed(Feature::fileSearch);
  EXPECT_EQ(names(), (std::vector<std::string>{"Launcher.opened", "Usage.activeDay", "Feature.used",
                                               "Launcher.opened", "Feature.used"}));
  EXPECT_EQ(sent[2].parameters, (std::map<std::string, std::string>{{"feature", "fileSearch"}}));
}

TEST_F(TelemetryServiceTest, AnActionWhileTheLauncherIsClosedSendsNothing) {
  auto telemetry = service();
  telemetry.start();
  sent.clear();
  telemetry.actionInvoked(Feature::clipboard, Interaction::paste);
  EXPECT_TRUE(sent.empty());
}

TEST_F(TelemetryServiceTest, AnActionReportsItsFeatureFirst) {
  auto telemetry = service();
  telemetry.start();
  telemetry.launcherOpened();
  sent.clear();
  telemetry.actionInvoked(featureOf(core::QuilloPreferences::Scope::menus), Interaction::copyPath);
  EXPECT_EQ(sent, (std::vector<Sent>{
                      {"Feature.used", {{"feature", "menuActions"}}},
                      {"Action.invoked", {{"feature", "menuActions"}, {"interaction", "copyPath"}}}}));
}

TEST_F(TelemetryServiceTest, AnActiveDayIsReportedOncePerCalendarDay) {
  clock.setDate(base::Date{1'800'000'000});  // 2027-01-15 08:00 UTC
  auto telemetry = service();
  telemetry.start();
  sent.clear();
  telemetry.launcherOpened();
  telemetry.launcherClosed();
  telemetry.launcherOpened();
  telemetry.launcherClosed();
  clock.setDate(base::Date{1'800'000'000 + 16 * 3600});  // just after midnight
  telemetry.launcherOpened();
  std::vector<Sent> days;
  for (const Sent& signal : sent)
    if (signal.name == "Usage.activeDay") days.push_back(signal);
  EXPECT_EQ(days, (std::vector<Sent>{{"Usage.activeDay", {{"usageDay", "2027-01-15"}}},
                                     {"Usage.activeDay", {{"usageDay", "2027-01-16"}}}}));
}

}  // namespace
}  // namespace quillo::app
