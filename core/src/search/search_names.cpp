#include "quillo/base/enum_names.h"
#include "quillo/core/search/search_scope.h"
#include "quillo/core/search/service_outcome.h"

namespace quillo::core {
namespace {

constexpr base::EnumNames<SearchScope, 2> kSearchScopes({{
    {SearchScope::commands, "commands"},
    {SearchScope::files, "files"},
}});

constexpr base::EnumNames<ServiceState, 4> kStates({{
    {ServiceState::off, "off"},
    {ServiceState::idle, "idle"},
    {ServiceState::answered, "answered"},
    {ServiceState::failed, "failed"},
}});

}  // namespace

std::string_view rawValue(SearchScope scope) {
  return kSearchScopes.name(scope);
}

std::optional<SearchScope> searchScopeFromRaw(std::string_view raw) {
  return kSearchScopes.value(raw);
}

std::string_view rawValue(ServiceState state) {
  return kStates.name(state);
}

std::optional<ServiceState> serviceStateFromRaw(std::string_view raw) {
  return kStates.value(raw);
}

}  // namespace quillo::core
