#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "quillo/core/preferences/defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/platform/clock.h"

namespace quillo::app {

// What a usage signal may say was used. The launcher's scopes map onto the first three.
enum class Feature { menuActions, macActions, fileSearch, clipboard };
std::string_view rawValue(Feature feature);
Feature featureOf(core::QuilloPreferences::Scope scope);

// How a result was used.
enum class Interaction { run, open, reveal, preview, copy, copyPath, drag, paste };
std::string_view rawValue(Interaction interaction);

// The two operations of the analytics client the service drives.
struct TelemetrySdk {
  std::function<void(const std::string& appID, bool testMode)> initialize;
  std::function<void(const std::string& name, const std::map<std::string, std::string>& parameters)> signal;
};

// Sends a fixed vocabulary of anonymous usage signals: installed, launched, launcher opened,
// feature used (once per opening), action invoked, active day (once per calendar day). Every
// parameter value comes from the enumerations above; nothing typed, copied or searched is ever
// sent. No call raises an error: an opted-out user, a missing or malformed app id or a closed
// launcher make the calls return silently. Used on the main thread.
class TelemetryService {
 public:
  static constexpr std::string_view enabledKey = "QuilloTelemetryEnabled";
  static constexpr std::string_view reportedInstallKey = "QuilloTelemetryHasReportedInstall";
  static constexpr std::string_view lastActiveDayKey = "QuilloTelemetryLastActiveDay";

  struct Options {
    std::optional<std::string> appID;
    bool testMode = false;
    // The IANA time zone whose calendar decides the active day.
    std::string timeZone = "UTC";
  };

  TelemetryService(core::DefaultsStore& defaults, const platform::Clock& clock, TelemetrySdk sdk,
                   Options options);

  void start();
  // The user's analytics switch: on unless the user turned it off.
  bool isEnabled() const;
  // Stores the switch. Turning it off stops every signal at once; turning it on starts sending
  // now. Throws core::DefaultsError when it cannot be stored.
  void setEnabled(bool on);
  void launcherOpened();
  void launcherClosed() { isLauncherOpen_ = false; }
  void featureUsed(Feature feature);
  void actionInvoked(Feature feature, Interaction interaction);

  bool hasStarted() const { return hasStarted_; }
  bool isLauncherOpen() const { return isLauncherOpen_; }

 private:
  void send(const std::string& name, const std::map<std::string, std::string>& parameters = {});
  void activeDay();

  core::DefaultsStore& defaults_;
  const platform::Clock& clock_;
  TelemetrySdk sdk_;
  Options options_;
  bool hasStarted_ = false;
  bool isLauncherOpen_ = false;
  std::set<std::string, std::less<>> usedFeatures_;
};

}  // namespace quillo::app
