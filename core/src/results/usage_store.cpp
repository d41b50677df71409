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

UsageCounts readCounts(const DefaultsStore& defaults) {
  UsageCounts counts;
  const auto stored = defaults.value(PreferenceKeys::usage);
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

}  // namespace

UsageStore::UsageStore(DefaultsStore& defaults) : defaults_(defaults), counts_(readCounts(defaults)) {
  bool moved = false;
  for (const auto& [former, current] : kFormerIds) {
    const auto found = counts_.find(std::string(former));
    if (found == counts_.end()) continue;
    const int count = found->second;
    counts_.erase(found);
    counts_[std::string(current)] += count;
    moved = true;
  }
  if (moved) write();
}

const UsageCounts& UsageStore::rankingCounts(bool enabled) const {
  static const UsageCounts none;
  return enabled ? counts_ : none;
}

void UsageStore::record(const std::string& id, bool enabled) {
  if (!enabled) return;
  ++counts_[id];
  try {
    write();
  } catch (...) {
    // The count is not kept when it cannot be stored: memory follows the disk.
    if (--counts_[id] == 0) counts_.erase(id);
    throw;
  }
}

void UsageStore::clear() {
  defaults_.remove(PreferenceKeys::usage);
  counts_.clear();
}

void UsageStore::write() {
  DefaultsValue::Dictionary dictionary;
  for (const auto& [id, count] : counts_)
    dictionary.emplace(id, count);
  defaults_.set(PreferenceKeys::usage, std::move(dictionary));
}

}  // namespace quillo::core
