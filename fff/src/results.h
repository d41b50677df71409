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
  std::uint64_t totalMatched = 0;
};

// `Handle` is the opaque C type the result is handed out as; it only tells the kinds apart.
template <class Handle>
struct TypedResults final : OwnedResults {};

// Copies the matched entries out of the index (the caller holds its lock). An entry whose size
// and time the scan has not read yet has them read now, from the tree at `root`.
void fillResults(const Index& index, const std::string& root, const Matches& matches, OwnedResults& results);

template <class Handle>
std::unique_ptr<TypedResults<Handle>> buildResults(const Index& index, const std::string& root,
                                                   const Matches& matches) {
  auto results = std::make_unique<TypedResults<Handle>>();
  fillResults(index, root, matches, *results);
  results->totalMatched = matches.total;
  return results;
}

}  // namespace fff
