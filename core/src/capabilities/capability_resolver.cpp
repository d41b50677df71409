#include "quillo/core/capabilities/capability_resolver.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "quillo/core/capabilities/capability_catalog.h"
#include "quillo/core/capabilities/capability_policy.h"
#include "quillo/core/capabilities/capability_query.h"

namespace quillo::core::CapabilityResolver {
namespace {

using Rows = std::vector<ResolvedAction>;

constexpr std::string_view kNoValueDetail = "Runs at once, and takes no value";

ResolvedAction call(const Capability& capability, std::optional<AppleEventCall::Value> value,
                    std::string detail, std::string key) {
  return {invocation::AppleEvent{AppleEventCall{capability.app, capability.operation, std::move(value)}},
          std::move(detail), std::move(key)};
}

ResolvedAction request(std::string detail) {
  return {std::nullopt, std::move(detail), "request"};
}

bool isProperty(const Capability& capability) {
  return std::holds_alternative<Capability::PropertyOperation>(capability.operation);
}

std::vector<bool> toggles(const ParsedQuery& query) {
  std::vector<bool> found;
  for (const ParsedValue& value : query.values) {
    if (const auto* toggle = std::get_if<parsed::Toggle>(&value)) found.push_back(toggle->on);
  }
  return found;
}

Rows withoutValue(const Capability& capability, const ParsedQuery& query) {
  const bool takesNothingTyped =
      std::any_of(query.values.begin(), query.values.end(), [](const ParsedValue& value) {
        return !std::holds_alternative<parsed::Duration>(value) &&
               !std::holds_alternative<parsed::Toggle>(value);
      });
  if (takesNothingTyped) return {request(std::string(kNoValueDetail))};
  return {call(capability, std::nullopt, "", "now")};
}

Rows integers(const Capability& capability, const ParsedQuery& query) {
  Rows rows;
  for (const ParsedValue& value : query.values) {
    std::optional<long long> number;
    if (const auto* percent = std::get_if<parsed::Percent>(&value)) number = percent->value;
    if (const auto* plain = std::get_if<parsed::Number>(&value)) number = plain->value;
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max()) {
      continue;
    }
    const auto n = static_cast<std::int32_t>(*number);
    rows.push_back(
        call(capability, AppleEventCall::Integer{n}, std::to_string(n), "int." + std::to_string(n)));
  }
  return rows;
}

Rows booleans(const Capability& capability, const ParsedQuery& query, bool offersPresets) {
  const auto row = [&](bool on) {
    return call(capability, AppleEventCall::Boolean{on}, on ? "Turn on" : "Turn off", on ? "on" : "off");
  };
  Rows rows;
  for (const bool on : toggles(query))
    rows.push_back(row(on));
  // Another kind of value typed (a number, a time) asks for on or off instead of offering them.
  if (!rows.empty() || !offersPresets || !query.values.empty()) return rows;
  rows = {row(true), row(false)};
  if (isProperty(capability)) rows.push_back(call(capability, AppleEventCall::Flipped{}, "Switch", "flip"));
  return rows;
}

// The words of the query that are neither the capability's own, nor verbs, nor the small words
// between a name and its value: what may name an enumerator.
std::vector<std::string> remainingWords(const Capability& capability, const ParsedQuery& query) {
  std::unordered_set<std::string> own;
  const std::string container = capability.container.value_or("");
  for (const std::string* text : {&capability.app.name, &capability.name, &container}) {
    for (std::string& word : CapabilityPolicy::words(*text))
      own.insert(std::move(word));
  }
  std::vector<std::string> remaining;
  for (std::string& word : CapabilityPolicy::words(query.remainder)) {
    if (!own.contains(word) && !CapabilityQuery::isVerb(word) && !CapabilityQuery::isFiller(word))
      remaining.push_back(std::move(word));
  }
  return remaining;
}

// A typed word names an enumerator when it is one of its words or begins one with at least two
// letters ("li" for light).
bool names(const Capability::Enumerator& enumerator, const std::vector<std::string>& typed) {
  const std::vector<std::string> words = CapabilityPolicy::words(enumerator.name);
  return std::any_of(typed.begin(), typed.end(), [&](const std::string& word) {
    return std::any_of(words.begin(), words.end(), [&](const std::string& own) {
      return own == word || (word.size() >= 2 && own.starts_with(word));
    });
  });
}

Rows enumerators(const Capability& capability, const Capability::Enumeration& enumeration,
                 const ParsedQuery& query, bool offersPresets) {
  const std::vector<std::string> typed = remainingWords(capability, query);
  Rows rows;
  for (const Capability::Enumerator& enumerator : enumeration.enumerators) {
    // Without a choice typed, the first row lists them all, as a boolean lists on and off.
    const bool offered = typed.empty() ? offersPresets && query.values.empty() : names(enumerator, typed);
    if (!offered) continue;
    rows.push_back(call(capability, AppleEventCall::Enumerator{enumerator.code},
                        CapabilityCatalog::titled(enumerator.name), "enum." + enumerator.code));
  }
  return rows;
}

Rows unique(Rows rows) {
  std::unordered_set<std::string> keys;
  Rows kept;
  for (ResolvedAction& row : rows) {
    if (keys.insert(row.key).second) kept.push_back(std::move(row));
  }
  return kept;
}

}  // namespace

std::string hint(const Capability& capability) {
  if (!capability.value) return std::string(kNoValueDetail);
  if (std::holds_alternative<Capability::Integer>(*capability.value)) return "Type a number";
  if (std::holds_alternative<Capability::Boolean>(*capability.value)) return "Type on or off";
  std::string text = "Type one of: ";
  const auto& list = std::get<Capability::Enumeration>(*capability.value).enumerators;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) text += ", ";
    text += list[i].name;
  }
  return text;
}

std::vector<ResolvedAction> rows(const Capability& capability, const ParsedQuery& query, bool offersPresets) {
  if (!capability.value) return withoutValue(capability, query);
  Rows rows;
  if (std::holds_alternative<Capability::Integer>(*capability.value)) {
    rows = integers(capability, query);
  } else if (std::holds_alternative<Capability::Boolean>(*capability.value)) {
    rows = booleans(capability, query, offersPresets);
  } else {
    rows =
        enumerators(capability, std::get<Capability::Enumeration>(*capability.value), query, offersPresets);
  }
  rows = unique(std::move(rows));
  if (rows.empty() && (!offersPresets || !query.values.empty())) return {request(hint(capability))};
  return rows;
}

}  // namespace quillo::core::CapabilityResolver
