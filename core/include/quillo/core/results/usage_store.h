#pragma once

#include <string>

#include "quillo/core/index/command_index.h"
#include "quillo/core/preferences/defaults_store.h"

namespace quillo::core {

// How often each command was run, kept in the defaults store under "usage" (a dictionary from
// command id to count) and lent to the command index as its usage bonus. Counts only grow until
// cleared. Not thread-safe: it belongs to the main thread.
class UsageStore {
 public:
  // Reads the counts, moving those of retired command ids to their current ids (written back
  // once, only when something moved).
  explicit UsageStore(DefaultsStore& defaults);

  const UsageCounts& counts() const noexcept { return counts_; }
  // The counts when "Remember what I run" is on; none when it is off, without forgetting them.
  const UsageCounts& rankingCounts(bool enabled) const;
  // Counts one run of `id` when enabled, on top of the runs other processes counted meanwhile.
  void record(const std::string& id, bool enabled);
  // Forgets every count.
  void clear();

 private:
  DefaultsStore& defaults_;
  UsageCounts counts_;
};

}  // namespace quillo::core
