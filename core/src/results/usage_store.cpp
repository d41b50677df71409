#include "quillo/core/results/usage_store.h"

#include <array>
#include <limits>
#include <utility>

#include "quillo/core/preferences/preference_keys.h"

namespace quillo::core {
namespace {

// Ids an earlier version counted under, and the ids of the same commands now.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kFormerIds{{
    {"action.Keep Awake for 1 Hour", "action.Keep Awake"},
    {"action.Toggle Dark Mode", "capability.com.apple.systemevents/aprp.thme"},
}};

UsageCounts countsIn(const std::optional<DefaultsValue>& stored) {
  UsageCounts counts;
  if (!stored || stored->dictionary() == nullptr) return counts;
  for (const auto& [id, value] : *stored->dictionary()) {
    const auto count = value.integer();
    // Anything but a table of whole numbers is not a usage table.
    if (!count || *count < std::numeric_limits<int>::min() || *count > std::numeric_limits<int>::max())
      return {};
    counts.emplace(id, static_cast<int>(*count));
  }
  return counts;
}

// Moves the counts of retired ids to their current ids; true when something moved.
bool migrate(UsageCounts& counts) {
  bool moved = false;
  for (const auto& [former, current] : kFormerIds) {
    const auto found = counts.find(std::string(former));
    if (found == counts.end()) continue;
    const int count = found->second;
    counts.erase(found);
    counts[std::string(current)] += count;
    moved = true;
  }
  return moved;
}

DefaultsValue tableOf(const UsageCounts& counts) {
  DefaultsValue::Dictionary dictionary;
  for (const auto& [id, count] : counts)
    dictionary.emplace(id, count);
  return dictionary;
}

}  // namespace

UsageStore::UsageStore(DefaultsStore& defaults)
    : defaults_(defaults), counts_(countsIn(defaults.value(PreferenceKeys::usage))) {
  if (!migrate(counts_)) return;
  defaults_.update(PreferenceKeys::usage,
                   [](const std::optional<DefaultsValue>& stored) -> std::optional<DefaultsValue> {
                     UsageCounts counts = countsIn(stored);
                     if (!migrate(counts)) return stored;
                     return tableOf(counts);
                   });
}

const UsageCounts& UsageStore::rankingCounts(bool enabled) const {
  static const UsageCounts none;
  return enabled ? counts_ : none;
}

void UsageStore::record(const std::string& id, bool enabled) {
  if (!enabled) return;
  // Counted on the stored table, which other processes may have counted on since this one read it.
  int recorded = 0;
  defaults_.update(PreferenceKeys::usage, [&](const std::optional<DefaultsValue>& stored) {
    UsageCounts counts = countsIn(stored);
    migrate(counts);
    recorded = ++counts[id];
    return std::optional<DefaultsValue>(tableOf(counts));
  });
  counts_[id] = recorded;
}

void UsageStore::clear() {
  defaults_.remove(PreferenceKeys::usage);
  counts_.clear();
}

}  // namespace quillo::core
