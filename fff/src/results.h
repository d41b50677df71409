#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fff.h"
#include "index.h"
#include "search.h"

namespace fff {

// The storage behind a search result handed to a caller: items, and their paths in one buffer.
struct OwnedResults {
  virtual ~OwnedResults() = default;
  std::vector<FffItem> items;
  std::string paths;
};

template <class Header>
struct TypedResults final : OwnedResults {
  Header header{};
};

// Copies the matched entries out of the index (the caller holds its lock).
void fillResults(const Index& index, const Matches& matches, OwnedResults& results);

template <class Header>
std::unique_ptr<TypedResults<Header>> buildResults(const Index& index, const Matches& matches) {
  auto results = std::make_unique<TypedResults<Header>>();
  fillResults(index, matches, *results);
  results->header.items = results->items.data();
  results->header.count = static_cast<std::uint32_t>(results->items.size());
  results->header.total_matched = matches.total;
  return results;
}

}  // namespace fff
