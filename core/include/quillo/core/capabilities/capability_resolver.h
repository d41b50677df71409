#pragma once

#include <string>
#include <vector>

#include "quillo/core/actions/action_invocation.h"
#include "quillo/core/capabilities/capability.h"
#include "quillo/core/values/parsed_query.h"

namespace quillo::core {

// Turns a scriptable application's capability and the typed values into the choices to show:
// "Turn on", "Turn off" and "Switch" for a boolean, a typed number for an integer, the
// enumerators the query names, or one row that says what to type. Pure; safe from any thread.
namespace CapabilityResolver {

std::vector<ResolvedAction> rows(const Capability& capability, const ParsedQuery& query, bool offersPresets);

// The row detail that says what a capability of this kind takes ("Type on or off").
std::string hint(const Capability& capability);

}  // namespace CapabilityResolver

}  // namespace quillo::core
