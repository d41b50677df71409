#include <gtest/gtest.h>

#include "quillo/core/values/parameter_parser.h"

namespace quillo::core {
namespace {

using Period = ClockTime::Period;

struct Case {
  std::string text;
  std::vector<ParsedValue> values;
  std::string remainder;
};

ParsedValue clock(int hour, int minute, std::optional<Period> period = std::nullopt) {
  return parsed::Clock{{hour, minute, period}};
}

void expectParses(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const ParsedQuery parsed = ParameterParser::parse(c.text);
    EXPECT_EQ(parsed.values, c.values) << "'" << c.text << "'";
    EXPECT_EQ(parsed.remainder, c.remainder) << "'" << c.text << "'";
  }
}

TEST(ParameterParser, PercentagesInEveryForm) {
  expectParses({
      {"volume 20%", {parsed::Percent{20}}, "volume"},
      {"volume 20 %", {parsed::Percent{20}}, "volume"},
      {"volume 20 pct", {parsed::Percent{20}}, "volume"},
      {"volume 20 per", {parsed::Percent{20}}, "volume"},
      {"volume 20 perc", {parsed::Percent{20}}, "volume"},
      {"twenty-five percent", {parsed::Percent{25}}, ""},
      {"twenty five %", {parsed::Percent{25}}, ""},
      {"set volume to 50%", {parsed::Percent{50}}, "set volume"},
      {"volume at 30%", {parsed::Percent{30}}, "volume"},
      // "percentage" is not the percent word: the number stands alone.
      {"20 percentage", {parsed::Number{20}}, "percentage"},
      {"1.5 percent", {}, "1.5 percent"},
      {"20 pe", {parsed::Number{20}}, "pe"},
  });
}

TEST(ParameterParser, ClockTimesNeedALeadOrAFormThatOnlyTimesHave) {
  expectParses({
      {"keep awake until 4:30", {clock(4, 30)}, "keep awake"},
      {"until 4:30pm", {clock(4, 30, Period::pm)}, ""},
      {"until 4:30 pm", {clock(4, 30, Period::pm)}, ""},
      {"until 4:30 a.m.", {clock(4, 30, Period::am)}, ""},
      {"until 5p.m.", {clock(5, 0, Period::pm)}, ""},
      {"until 5", {clock(5, 0)}, ""},
      {"by 23", {clock(23, 0)}, ""},
      {"till noon", {clock(12, 0, Period::pm)}, ""},
      {"til midnight", {clock(12, 0, Period::am)}, ""},
      {"at 5", {parsed::Number{5}}, ""},
      {"at 5 pm", {clock(5, 0, Period::pm)}, ""},
      {"at 5:00", {clock(5, 0)}, ""},
      {"5", {parsed::Number{5}}, ""},
      {"1:30", {clock(1, 30)}, ""},
      {"5pm", {clock(5, 0, Period::pm)}, ""},
      {"noon", {}, "noon"},
      // Not times: a number that cannot be an hour stays with its lead word.
      {"until 25", {}, "until 25"},
      {"until 13 pm", {}, "until 13 pm"},
      {"until 4:3", {}, "until 4:3"},
      {"until 4:60", {}, "until 4:60"},
      {"24:00", {}, "24:00"},
      {"until 4:30 x", {clock(4, 30)}, "x"},
  });
}

TEST(ParameterParser, SpansAndDelays) {
  expectParses({
      {"Keep Awake for 35 minutes", {parsed::Duration{2100}}, "Keep Awake"},
      {"for 1:30", {parsed::Duration{5400}}, ""},
      {"in 5 seconds", {parsed::Delay{5}}, ""},
      {"after 2 min", {parsed::Delay{120}}, ""},
      {"5 seconds", {parsed::Duration{5}}, ""},
      {"half an hour", {parsed::Duration{1800}}, ""},
      {"2 hours and a half", {parsed::Duration{9000}}, ""},
      {"1 hour and 30 minutes", {parsed::Duration{5400}}, ""},
      {"an hour", {parsed::Duration{3600}}, ""},
      {"1 and a half hours", {parsed::Duration{5400}}, ""},
      {"twenty five minutes", {parsed::Duration{1500}}, ""},
      {"1h30m", {parsed::Duration{5400}}, ""},
      {"90s", {parsed::Duration{90}}, ""},
      {"1.5h", {parsed::Duration{5400}}, ""},
      {"2d", {parsed::Duration{172800}}, ""},
      {"1h 30m", {parsed::Duration{5400}}, ""},
      {"5 m", {parsed::Duration{300}}, ""},
      {"2 days", {parsed::Duration{172800}}, ""},
      {"1.5 sec", {parsed::Duration{2}}, ""},  // halves round away from zero
      // Units must shrink: the second piece is read on its own.
      {"30 minutes 1 hour", {parsed::Duration{1800}, parsed::Duration{3600}}, ""},
      {"1m1h", {}, "1m1h"},
      // A one-letter unit needs digits before it.
      {"five m", {}, "five m"},
      {"2 da", {parsed::Number{2}}, "da"},
      {"1h30", {}, "1h30"},  // a last piece without a unit
  });
}

TEST(ParameterParser, LeadsKeepOnlyValuesThatFitThem) {
  expectParses({
      {"for 5", {parsed::Number{5}}, ""},
      {"in 5", {parsed::Number{5}}, ""},
      // A value that does not fit its lead leaves the lead word behind and is read on its own.
      {"for 50%", {parsed::Percent{50}}, "for"},
      {"in 4:30", {clock(4, 30)}, "in"},
      {"until 5 minutes", {clock(5, 0)}, "minutes"},
      {"by 50%", {parsed::Percent{50}}, "by"},
      {"for", {}, "for"},
      {"to on", {parsed::Toggle{true}}, "to"},
  });
}

TEST(ParameterParser, NumbersTogglesAndTheRemainder) {
  expectParses({
      {"", {}, ""},
      {"   ", {}, ""},
      {"dark mode on", {parsed::Toggle{true}}, "dark mode"},
      {"Turn OFF Wi-Fi", {parsed::Toggle{false}}, "Turn Wi-Fi"},
      {"enable disable", {parsed::Toggle{true}, parsed::Toggle{false}}, ""},
      {"123456", {parsed::Number{123456}}, ""},
      {"1234567", {}, "1234567"},
      {"-5", {}, "-5"},
      {"volume 20%.", {parsed::Percent{20}}, "volume"},
      {"5pm!", {clock(5, 0, Period::pm)}, ""},
      {"  Set   Volume\t50% ", {parsed::Percent{50}}, "Set Volume"},
      {"5 minutes or 300 seconds", {parsed::Duration{300}, parsed::Duration{300}}, "or"},
  });
}

}  // namespace
}  // namespace quillo::core
