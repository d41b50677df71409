#include "quillo/core/values/invocation_resolver.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "calendar_time.h"
#include "quillo/core/actions/action_bounds.h"
#include "quillo/core/capabilities/capability_resolver.h"

namespace quillo::core {
namespace {

using Actions = std::vector<ResolvedAction>;

constexpr std::string_view kKeepAwakeHint = "Type how long, such as 35 minutes or until 4:30";
constexpr std::string_view kVolumeHint = "Type a percentage, such as 20%";
constexpr std::string_view kScreenshotHint = "Type a delay in seconds, such as in 5 seconds, or no value";

ResolvedAction refused(const ValueBounds& bounds) {
  return {std::nullopt, std::string(bounds.refusal), "refused"};
}

// Tells that choosing the row replaces the keep-awake that runs now.
std::string replacementNote(const ResolverContext& context) {
  if (!context.awakeUntil || *context.awakeUntil <= context.now) return {};
  return " · replaces until " + clockText(*context.awakeUntil, context);
}

class Readings {
 public:
  explicit Readings(const ResolverContext& context) : context_(context) {}

  Actions operator()(const definition::SetVolume& volume, const ParsedValue& value) const {
    long long percent = 0;
    if (const auto* typed = std::get_if<parsed::Percent>(&value)) {
      percent = typed->value;
    } else if (const auto* number = std::get_if<parsed::Number>(&value)) {
      percent = number->value;
    } else {
      return {};
    }
    if (!ActionBounds::volumePercent.contains(percent)) return {refused(ActionBounds::volumePercent)};
    return {{invocation::SetVolume{volume.channel, static_cast<int>(percent)}, std::to_string(percent) + "%",
             "percent." + std::to_string(percent)}};
  }

  Actions operator()(const definition::KeepAwake& awake, const ParsedValue& value) const {
    const ValueBounds& bounds = ActionBounds::keepAwakeSeconds;
    if (const auto* duration = std::get_if<parsed::Duration>(&value)) {
      if (!bounds.contains(duration->seconds)) return {refused(bounds)};
      return {keepAwakeFor(awake.scope, duration->seconds)};
    }
    if (const auto* number = std::get_if<parsed::Number>(&value)) {
      // A bare number may mean minutes or hours: offer each that fits.
      Actions actions;
      for (const long long seconds : {number->value * 60, number->value * 3600}) {
        if (bounds.contains(seconds)) actions.push_back(keepAwakeFor(awake.scope, seconds));
      }
      if (actions.empty()) actions.push_back(refused(bounds));
      return actions;
    }
    if (const auto* clock = std::get_if<parsed::Clock>(&value))
      return keepAwakeUntil(awake.scope, clock->time);
    return {};
  }

  Actions operator()(const definition::Screenshot& shot, const ParsedValue& value) const {
    long long seconds = 0;
    if (const auto* duration = std::get_if<parsed::Duration>(&value)) {
      seconds = duration->seconds;
    } else if (const auto* delay = std::get_if<parsed::Delay>(&value)) {
      seconds = delay->seconds;
    } else if (const auto* number = std::get_if<parsed::Number>(&value)) {
      seconds = number->value;
    } else {
      return {};
    }
    const ValueBounds& bounds = ActionBounds::screenshotDelaySeconds;
    if (!bounds.contains(seconds)) return {refused(bounds)};
    return {{invocation::Screenshot{shot.mode, shot.destination, static_cast<int>(seconds)},
             "In " + InvocationResolver::spanText(seconds), "delay." + std::to_string(seconds)}};
  }

  Actions operator()(const definition::ScriptableCapability&, const ParsedValue&) const { return {}; }

 private:
  ResolvedAction keepAwakeFor(AwakeScope scope, long long seconds) const {
    const base::Date end{context_.now.secondsSince1970 + static_cast<double>(seconds)};
    return {invocation::KeepAwake{scope, invocation::After{seconds}},
            "For " + InvocationResolver::spanText(seconds) + " · until " + clockText(end, context_) +
                replacementNote(context_),
            "for." + std::to_string(seconds)};
  }

  Actions keepAwakeUntil(AwakeScope scope, const ClockTime& time) const {
    std::vector<int> hours;
    if (time.period) {
      hours.push_back(time.hour % 12 + (*time.period == ClockTime::Period::pm ? 12 : 0));
    } else if (time.hour >= 1 && time.hour <= 12 && usesTwelveHourClock(context_)) {
      // "until 4:30" on a 12-hour clock may mean either 4:30.
      hours = {time.hour % 12, time.hour % 12 + 12};
    } else {
      hours.push_back(time.hour);
    }
    std::vector<base::Date> ends;
    for (const int hour : hours)
      ends.push_back(nextOccurrence(hour, time.minute, context_));
    std::sort(ends.begin(), ends.end());

    Actions actions;
    for (const base::Date end : ends) {
      const auto seconds =
          static_cast<long long>(std::ceil(end.secondsSince1970 - context_.now.secondsSince1970));
      actions.push_back(
          {invocation::KeepAwake{scope, invocation::At{end}},
           "Until " + clockText(end, context_) + " · " + InvocationResolver::spanText(seconds) +
               replacementNote(context_),
           "until." + std::to_string(static_cast<long long>(std::trunc(end.secondsSince1970)))});
    }
    return actions;
  }

  const ResolverContext& context_;
};

std::string_view hintOf(const ActionDefinition& definition) {
  if (std::holds_alternative<definition::KeepAwake>(definition)) return kKeepAwakeHint;
  if (std::holds_alternative<definition::SetVolume>(definition)) return kVolumeHint;
  return kScreenshotHint;
}

// The ready values offered for an action typed without one.
std::vector<ParsedValue> presetsOf(const ActionDefinition& definition) {
  if (std::holds_alternative<definition::KeepAwake>(definition)) {
    return {parsed::Duration{1800}, parsed::Duration{3600}, parsed::Duration{7200}};
  }
  if (std::holds_alternative<definition::SetVolume>(definition)) {
    return {parsed::Percent{25}, parsed::Percent{50}, parsed::Percent{75}, parsed::Percent{100}};
  }
  return {};
}

Actions readingsOf(const ActionDefinition& definition, const std::vector<ParsedValue>& values,
                   const ResolverContext& context) {
  const Readings readings(context);
  Actions actions;
  std::unordered_set<std::string> keys;
  for (const ParsedValue& value : values) {
    Actions read = std::visit([&](const auto& action) { return readings(action, value); }, definition);
    for (ResolvedAction& action : read) {
      if (keys.insert(action.key).second) actions.push_back(std::move(action));
    }
  }
  return actions;
}

}  // namespace

std::vector<ResolvedAction> InvocationResolver::resolve(const ActionDefinition& definition,
                                                        const ParsedQuery& query, bool offersPresets,
                                                        const ResolverContext& context) {
  if (const auto* scriptable = std::get_if<definition::ScriptableCapability>(&definition)) {
    return CapabilityResolver::rows(scriptable->capability, query, offersPresets);
  }
  std::vector<ParsedValue> values = query.values;
  std::erase_if(values,
                [](const ParsedValue& value) { return std::holds_alternative<parsed::Toggle>(value); });

  Actions actions = readingsOf(definition, values, context);
  if (!actions.empty()) return actions;
  const ResolvedAction hint{std::nullopt, std::string(hintOf(definition)), "request"};
  if (!values.empty()) return {hint};
  if (const auto* shot = std::get_if<definition::Screenshot>(&definition)) {
    return {{invocation::Screenshot{shot->mode, shot->destination, 0}, "", "now"}};
  }
  if (!offersPresets) return {hint};
  return readingsOf(definition, presetsOf(definition), context);
}

}  // namespace quillo::core
