#pragma once

#include <optional>
#include <string>

#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/web/web_search.h"

namespace quillo::core {

// One row of the launcher's result list: a command, the ranking service's probability for it,
// and the choice resolved from the value the user typed.
struct ResultRow {
  Command command;
  // The service's probability; absent for purely local rows.
  std::optional<double> probability;
  // Present when the row runs a parameterised action with a typed value.
  std::optional<ResolvedAction> action;

  // The row that searches `query`'s words on the hit's site, with the service's probability.
  static ResultRow web(const WebSearchHit& hit, std::string_view query);

  // The command id, or for an action row the command id, "#" and the choice's key: one
  // action typed with two values gives two rows.
  std::string id() const;
  // The choice's detail when it has one, else the command's.
  const std::string& detail() const;
  const ActionInvocation* invocation() const;
  // A parameterised action without a usable value is shown but cannot run.
  bool canRun() const;

  bool operator==(const ResultRow&) const = default;
};

}  // namespace quillo::core
