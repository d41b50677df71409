#pragma once

#include <optional>
#include <set>
#include <string>

#include "quillo/core/capabilities/capability.h"
#include "quillo/core/capabilities/capability_query.h"
#include "quillo/core/matching/match_target.h"

namespace quillo::core {

// What the command index matches a capability by: its words (application name, capability
// name, container name), how much of that is the application's name, and the words of its
// enumerators, which a query may carry as the value. Immutable; safe from any thread.
struct CapabilityTarget {
  MatchTarget term;
  // Scalars of the application-name prefix of the term (without the space after it).
  int appLength = 0;
  std::set<std::string> choiceWords;

  static CapabilityTarget of(const Capability& capability);

  // A score on the fuzzy matcher's scale: 1000 when the words name the capability exactly,
  // 871 to 910 when they begin its name in order, 801 to 819 when each begins some word of it,
  // below 800 when they are only scattered through it; none when the query does not name it.
  std::optional<int> score(const CapabilityQuery& query) const;

  bool operator==(const CapabilityTarget&) const = default;
};

}  // namespace quillo::core
