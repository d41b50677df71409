#pragma once

#include <string>
#include <vector>

#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/values/parsed_query.h"
#include "quillo/core/values/resolver_context.h"

namespace quillo::core {

// Turns a parameterised action and the values typed with it into the choices to show: keep awake
// for 35 minutes and when that ends, keep awake until 4:30 and how long that is, volume 50%, a
// screenshot in 5 seconds; or one row that says why the typed value does not work. Pure apart from
// the context; safe from any thread.
namespace InvocationResolver {

// Choices for the built-in actions; commands of scriptable applications go to CapabilityResolver.
std::vector<ResolvedAction> resolve(const ActionDefinition& definition, const ParsedQuery& query,
                                    bool offersPresets, const ResolverContext& context);

// "35 minutes", "1 hour, 30 minutes", "5 seconds": US English with wide unit names, rounded to
// the minute from one minute on.
std::string spanText(long long seconds);

}  // namespace InvocationResolver

}  // namespace quillo::core
