#include <gtest/gtest.h>

#include "defaults_json.h"

namespace quillo::cli {
namespace {

using core::DefaultsValue;

TEST(DefaultsJson, RoundTripsEveryKind) {
  const DefaultsValue value = DefaultsValue::Dictionary{
      {"flag", true},
      {"count", -3},
      {"ratio", 0.5},
      {"text", "Zoë"},
      {"bytes", DefaultsValue::Data{{0, 1, 2, 254, 255}}},
      {"empty", DefaultsValue::Data{}},
      {"when", base::Date{1764945000.25}},
      {"list", DefaultsValue::Array{1, "two", DefaultsValue::Array{}}},
  };
  const auto json = toJson(value);
  EXPECT_EQ(json["bytes"], (nlohmann::ordered_json{{"data", "AAEC/v8="}}));
  EXPECT_EQ(json["empty"], (nlohmann::ordered_json{{"data", ""}}));
  EXPECT_EQ(json["when"], (nlohmann::ordered_json{{"date", "2025-12-05T14:30:00.250Z"}}));
  EXPECT_EQ(fromJson(nlohmann::json::parse(json.dump())), value);
}

TEST(DefaultsJson, ReadsDatesWithOffsetsAndNumbersByKind) {
  EXPECT_EQ(fromJson(nlohmann::json{{"date", "2025-12-05T15:30:00+01:00"}}),
            DefaultsValue(base::Date{1764945000}));
  EXPECT_EQ(fromJson(nlohmann::json::parse("3")).kind(), DefaultsValue::Kind::integer);
  EXPECT_EQ(fromJson(nlohmann::json::parse("3.0")).kind(), DefaultsValue::Kind::real);
  // An object of one "date" key that is not text is an ordinary dictionary.
  EXPECT_EQ(fromJson(nlohmann::json{{"date", 5}}).kind(), DefaultsValue::Kind::dictionary);
}

TEST(DefaultsJson, RejectsWhatCannotBeStored) {
  EXPECT_THROW(fromJson(nullptr), std::invalid_argument);
  EXPECT_THROW(fromJson(nlohmann::json{{"date", "tomorrow"}}), std::invalid_argument);
  EXPECT_THROW(fromJson(nlohmann::json{{"date", "2025-12-05T15:30:00"}}), std::invalid_argument);  // no zone
  EXPECT_THROW(fromJson(nlohmann::json{{"data", "abc"}}), std::invalid_argument);
  EXPECT_THROW(fromJson(nlohmann::json::parse("18446744073709551615")), std::invalid_argument);
}

}  // namespace
}  // namespace quillo::cli
