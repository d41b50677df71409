#include "quillo/app/telemetry_service.h"

#include <utility>

#include "quillo/base/log.h"
#include "quillo/base/uuid.h"
#include "quillo/core/files/file_format.h"

namespace quillo::app {

namespace {

const base::log::Logger kTelemetryLog("analytics");

}  // namespace

std::string_view rawValue(Feature feature) {
  switch (feature) {
    case Feature::menuActions:
      return "menuActions";
    case Feature::macActions:
      return "macActions";
    case Feature::fileSearch:
      return "fileSearch";
    case Feature::clipboard:
      return "clipboard";
  }
  return "";
}

Feature featureOf(core::QuilloPreferences::Scope scope) {
  switch (scope) {
    case core::QuilloPreferences::Scope::menus:
      return Feature::menuActions;
    case core::QuilloPreferences::Scope::commands:
      return Feature::macActions;
    case core::QuilloPreferences::Scope::files:
      return Feature::fileSearch;
  }
  return Feature::macActions;
}

std::string_view rawValue(Interaction interaction) {
  switch (interaction) {
    case Interaction::run:
      return "run";
    case Interaction::open:
      return "open";
    case Interaction::reveal:
      return "reveal";
    case Interaction::preview:
      return "preview";
    case Interaction::copy:
      return "copy";
    case Interaction::copyPath:
      return "copyPath";
    case Interaction::drag:
      return "drag";
    case Interaction::paste:
      return "paste";
  }
  return "";
}

TelemetryService::TelemetryService(core::DefaultsStore& defaults, const platform::Clock& clock,
                                   TelemetrySdk sdk, Options options)
    : defaults_(defaults), clock_(clock), sdk_(std::move(sdk)), options_(std::move(options)) {}

void TelemetryService::send(const std::string& name, const std::map<std::string, std::string>& parameters) {
  if (sdk_.signal) sdk_.signal(name, parameters);
}

bool TelemetryService::isEnabled() const {
  const auto enabled = defaults_.value(enabledKey);
  return !(enabled && enabled->boolean() == std::optional<bool>(false));
}

void TelemetryService::setEnabled(bool on) {
  defaults_.set(enabledKey, on);
  if (!on) {
    hasStarted_ = false;
    isLauncherOpen_ = false;
    return;
  }
  start();
}

void TelemetryService::start() {
  if (hasStarted_) return;
  if (!isEnabled()) return;
  if (!options_.appID || !base::Uuid::parse(*options_.appID)) return;
  if (sdk_.initialize) sdk_.initialize(*options_.appID, options_.testMode);
  hasStarted_ = true;
  try {
    const auto reported = defaults_.value(reportedInstallKey);
    const bool hasReported = reported && reported->boolean() == std::optional<bool>(true);
    if (!hasReported) {
      defaults_.set(reportedInstallKey, true);
      send("App.installed");
    }
  } catch (const std::exception& failure) {
    kTelemetryLog.warning("Install flag not stored: {}", failure.what());
  }
  send("App.launched");
}

void TelemetryService::launcherOpened() {
  if (!hasStarted_ || isLauncherOpen_) return;
  isLauncherOpen_ = true;
  usedFeatures_.clear();
  send("Launcher.opened");
  activeDay();
}

void TelemetryService::featureUsed(Feature feature) {
  if (!hasStarted_ || !isLauncherOpen_) return;
  activeDay();
  const std::string text(rawValue(feature));
  if (!usedFeatures_.insert(text).second) return;
  send("Feature.used", {{"feature", text}});
}

void TelemetryService::actionInvoked(Feature feature, Interaction interaction) {
  if (!hasStarted_ || !isLauncherOpen_) return;
  featureUsed(feature);
  send("Action.invoked",
       {{"feature", std::string(rawValue(feature))}, {"interaction", std::string(rawValue(interaction))}});
}

void TelemetryService::activeDay() {
  const std::string day = core::FileFormat::day(clock_.now(), options_.timeZone);
  const auto last = defaults_.value(lastActiveDayKey);
  if (last && last->string() && *last->string() == day) return;
  try {
    defaults_.set(lastActiveDayKey, day);
  } catch (const std::exception& failure) {
    kTelemetryLog.warning("Active day not stored: {}", failure.what());
  }
  send("Usage.activeDay", {{"usageDay", day}});
}

}  // namespace quillo::app
