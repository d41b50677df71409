#include "quillo/core/capabilities/capability_query.h"

#include <algorithm>

#include "quillo/core/capabilities/capability_policy.h"

namespace quillo::core {
namespace {

// The words the value parser reads as a toggle.
constexpr std::array<std::string_view, 4> kToggleWords{"on", "off", "enable", "disable"};

bool isValueWord(std::string_view word) {
  if (std::find(kToggleWords.begin(), kToggleWords.end(), word) != kToggleWords.end()) return true;
  return std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

CapabilityQuery CapabilityQuery::of(std::string_view text) {
  CapabilityQuery query;
  for (std::string& word : CapabilityPolicy::words(text)) {
    if (!isVerb(word) && !isValueWord(word)) query.words.push_back(std::move(word));
  }
  return query;
}

bool CapabilityQuery::isVerb(std::string_view word) {
  return std::find(verbs.begin(), verbs.end(), word) != verbs.end();
}

bool CapabilityQuery::isFiller(std::string_view word) {
  return std::find(fillers.begin(), fillers.end(), word) != fillers.end();
}

}  // namespace quillo::core
