#include <gtest/gtest.h>

#include "quillo/core/values/invocation_resolver.h"
#include "quillo/core/values/parameter_parser.h"

namespace quillo::core {
namespace {

constexpr std::string_view kNarrowSpace = "\u202F";  // what current locale data puts before "PM"

ResolverContext zurich(double now, std::string locale = "en_US") {
  ResolverContext context;
  context.now = base::Date{now};
  context.timeZone = "Europe/Zurich";
  context.locale = std::move(locale);
  return context;
}

const ResolverContext kAtThree = zurich(1796479200);     // 2026-12-05 15:00 in Zurich
const ResolverContext kAtHalfPast = zurich(1796481000);  // 15:30

std::vector<ResolvedAction> resolve(const ActionDefinition& definition, std::string_view typed,
                                    const ResolverContext& context = kAtThree, bool presets = false) {
  return InvocationResolver::resolve(definition, ParameterParser::parse(typed), presets, context);
}

std::vector<std::string> keys(const std::vector<ResolvedAction>& actions) {
  std::vector<std::string> result;
  for (const ResolvedAction& action : actions)
    result.push_back(action.key);
  return result;
}

const ActionDefinition kVolume = definition::SetVolume{VolumeChannel::output};
const ActionDefinition kAwake = definition::KeepAwake{AwakeScope::macAndDisplay};
const ActionDefinition kShot = definition::Screenshot{ScreenshotMode::window, ScreenshotDestination::file};

TEST(InvocationResolver, VolumeWithinItsBounds) {
  const auto twenty = resolve(kVolume, "volume 20%");
  ASSERT_EQ(twenty.size(), 1u);
  EXPECT_EQ(twenty[0],
            (ResolvedAction{invocation::SetVolume{VolumeChannel::output, 20}, "20%", "percent.20"}));
  EXPECT_EQ(resolve(kVolume, "volume 0%")[0].invocation,
            ActionInvocation(invocation::SetVolume{VolumeChannel::output, 0}));
  EXPECT_EQ(resolve(kVolume, "volume 100")[0].key, "percent.100");
  EXPECT_EQ(resolve(kVolume, "volume 150%"),
            (std::vector<ResolvedAction>{{std::nullopt, "The volume goes from 0% to 100%", "refused"}}));
}

TEST(InvocationResolver, HintRowOrPresetsWithoutAUsableValue) {
  const ResolvedAction hint{std::nullopt, "Type a percentage, such as 20%", "request"};
  EXPECT_EQ(resolve(kVolume, "volume for 5 minutes"), std::vector<ResolvedAction>{hint});
  EXPECT_EQ(resolve(kVolume, "volume"), std::vector<ResolvedAction>{hint});
  EXPECT_EQ(keys(resolve(kVolume, "volume", kAtThree, true)),
            (std::vector<std::string>{"percent.25", "percent.50", "percent.75", "percent.100"}));
  // Toggles mean nothing to the built-in actions, and do not count as typed values.
  EXPECT_EQ(keys(resolve(kVolume, "volume on", kAtThree, true)).size(), 4u);
  EXPECT_EQ(keys(resolve(kAwake, "keep awake", kAtThree, true)),
            (std::vector<std::string>{"for.1800", "for.3600", "for.7200"}));
  EXPECT_EQ(resolve(kAwake, "keep awake 50%")[0].detail, "Type how long, such as 35 minutes or until 4:30");
}

TEST(InvocationResolver, KeepAwakeForADuration) {
  const auto rows = resolve(kAwake, "keep awake 35 minutes", kAtHalfPast);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].key, "for.2100");
  EXPECT_EQ(rows[0].detail, "For 35 minutes · until 4:05" + std::string(kNarrowSpace) + "PM");
  EXPECT_EQ(rows[0].invocation,
            ActionInvocation(invocation::KeepAwake{AwakeScope::macAndDisplay, invocation::After{2100}}));
  EXPECT_EQ(resolve(kAwake, "keep awake 30 seconds")[0].detail, "Keep awake from 1 minute to 24 hours");
  EXPECT_EQ(resolve(kAwake, "keep awake 25 hours")[0].key, "refused");
  EXPECT_EQ(resolve(kAwake, "keep awake 1 minute")[0].key, "for.60");
  EXPECT_EQ(resolve(kAwake, "keep awake 24 hours")[0].key, "for.86400");
  EXPECT_EQ(resolve(kAwake, "keep awake 90 minutes")[0].detail,
            "For 1 hour, 30 minutes · until 4:30" + std::string(kNarrowSpace) + "PM");
}

TEST(InvocationResolver, KeepAwakeWithABareNumberOffersMinutesAndHours) {
  EXPECT_EQ(keys(resolve(kAwake, "keep awake 2")), (std::vector<std::string>{"for.120", "for.7200"}));
  EXPECT_EQ(keys(resolve(kAwake, "keep awake 30")), (std::vector<std::string>{"for.1800"}));
  EXPECT_EQ(keys(resolve(kAwake, "keep awake 2000")), (std::vector<std::string>{"refused"}));
  // The same choice typed twice is one row.
  EXPECT_EQ(keys(resolve(kAwake, "5 minutes or 300 seconds")), (std::vector<std::string>{"for.300"}));
}

TEST(InvocationResolver, KeepAwakeUntilOffersBothHoursOnATwelveHourClock) {
  const auto rows = resolve(kAwake, "keep awake until 4:30");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].key, "until.1796484600");
  EXPECT_EQ(rows[0].detail, "Until 4:30" + std::string(kNarrowSpace) + "PM · 1 hour, 30 minutes");
  EXPECT_EQ(rows[0].invocation, ActionInvocation(invocation::KeepAwake{
                                    AwakeScope::macAndDisplay, invocation::At{base::Date{1796484600}}}));
  EXPECT_EQ(rows[1].key, "until.1796527800");
  EXPECT_EQ(rows[1].detail, "Until 4:30" + std::string(kNarrowSpace) + "AM tomorrow · 13 hours, 30 minutes");

  const auto swiss = resolve(kAwake, "keep awake until 4:30", zurich(1796479200, "de_CH"));
  ASSERT_EQ(swiss.size(), 1u);
  EXPECT_EQ(swiss[0].detail, "Until 04:30 tomorrow · 13 hours, 30 minutes");
  EXPECT_EQ(keys(resolve(kAwake, "keep awake until 4:30 pm")),
            (std::vector<std::string>{"until.1796484600"}));
  // A time already past today is tomorrow's.
  EXPECT_EQ(keys(resolve(kAwake, "keep awake until 14:00")), (std::vector<std::string>{"until.1796562000"}));
}

TEST(InvocationResolver, KeepAwakeUntilAcrossAClockChange) {
  // 23:00 the night the clocks go forward: 04:00 is four hours away, not five.
  const auto rows = resolve(kAwake, "until 4:00", zurich(1774735200, "de_CH"));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].key, "until.1774749600");
  EXPECT_EQ(rows[0].detail, "Until 04:00 tomorrow · 4 hours");
}

TEST(InvocationResolver, KeepAwakeUntilATimeTheClocksRepeatEndsAtItsFirstInstance) {
  // 01:00 CEST on the night the clocks go back: 02:30 comes first in summer time, 1 h 30 min away.
  const auto first = resolve(kAwake, "keep awake until 2:30", zurich(1792882800, "de_CH"));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].key, "until.1792888200");
  EXPECT_EQ(first[0].detail, "Until 02:30 · 1 hour, 30 minutes");
  // At 02:45 summer time the first 02:30 is past; the second one, in winter time, is next.
  EXPECT_EQ(keys(resolve(kAwake, "keep awake until 2:30", zurich(1792889100, "de_CH"))),
            (std::vector<std::string>{"until.1792891800"}));

  ResolverContext newYork;
  newYork.now = base::Date{1793507400};  // 00:30 EDT on 1 November 2026
  newYork.timeZone = "America/New_York";
  const auto rows = resolve(kAwake, "keep awake until 1:30", newYork);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].key, "until.1793511000");
}

TEST(InvocationResolver, ClockTextFollowsTheHourCycleTheLocaleAsksFor) {
  const auto daily = resolve(kAwake, "keep awake until 4:30", zurich(1796479200, "en_US@hours=h23"));
  ASSERT_EQ(daily.size(), 1u);
  EXPECT_EQ(daily[0].detail, "Until 04:30 tomorrow · 13 hours, 30 minutes");

  const auto twelve = resolve(kAwake, "keep awake until 4:30", zurich(1796479200, "de_CH@hours=h12"));
  ASSERT_EQ(twelve.size(), 2u);
  EXPECT_TRUE(twelve[0].detail.starts_with("Until 4:30" + std::string(kNarrowSpace) + "PM · "))
      << twelve[0].detail;
}

TEST(InvocationResolver, ARunningKeepAwakeIsNamedAsReplaced) {
  ResolverContext context = kAtThree;
  context.awakeUntil = base::Date{1796486400};  // 17:00
  const std::string note = " · replaces until 5:00" + std::string(kNarrowSpace) + "PM";
  EXPECT_EQ(resolve(kAwake, "keep awake until 4:30 pm", context)[0].detail,
            "Until 4:30" + std::string(kNarrowSpace) + "PM · 1 hour, 30 minutes" + note);
  EXPECT_TRUE(resolve(kAwake, "keep awake 1 hour", context)[0].detail.ends_with(note));
  context.awakeUntil = base::Date{1796479000};  // already over
  EXPECT_FALSE(resolve(kAwake, "keep awake 1 hour", context)[0].detail.ends_with(note));
}

TEST(InvocationResolver, ScreenshotsNowOrAfterADelay) {
  EXPECT_EQ(
      resolve(kShot, "screenshot"),
      (std::vector<ResolvedAction>{
          {invocation::Screenshot{ScreenshotMode::window, ScreenshotDestination::file, 0}, "", "now"}}));
  const auto delayed = resolve(kShot, "screenshot in 5 seconds");
  EXPECT_EQ(delayed[0].detail, "In 5 seconds");
  EXPECT_EQ(delayed[0].key, "delay.5");
  EXPECT_EQ(resolve(kShot, "screenshot in 60 seconds")[0].detail, "In 1 minute");
  EXPECT_EQ(resolve(kShot, "screenshot in 2 minutes")[0].detail, "The delay goes from 1 to 60 seconds");
  EXPECT_EQ(resolve(kShot, "screenshot 50%")[0].key, "request");
}

TEST(InvocationResolver, SpanText) {
  EXPECT_EQ(InvocationResolver::spanText(5), "5 seconds");
  EXPECT_EQ(InvocationResolver::spanText(1), "1 second");
  EXPECT_EQ(InvocationResolver::spanText(89), "1 minute");
  EXPECT_EQ(InvocationResolver::spanText(90), "2 minutes");
  EXPECT_EQ(InvocationResolver::spanText(7200), "2 hours");
  EXPECT_EQ(InvocationResolver::spanText(86400), "24 hours");
}

}  // namespace
}  // namespace quillo::core
