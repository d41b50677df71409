#pragma once

#include <optional>
#include <string_view>

namespace quillo::core {

// What a search looks through.
enum class SearchScope {
  commands,  // applications, settings panes, actions, capabilities, web searches
  files,     // the files and folders in the search folders
};

std::string_view rawValue(SearchScope scope);
std::optional<SearchScope> searchScopeFromRaw(std::string_view raw);

}  // namespace quillo::core
