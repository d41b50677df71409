#include "quillo/core/matching/fuzzy_matcher.h"

#include <algorithm>

#include "quillo/base/unicode.h"

namespace quillo::core {

PreparedQuery FuzzyMatcher::prepare(std::string_view text) {
  PreparedQuery query;
  query.scalars = base::lowercasedScalars(text);
  std::erase(query.scalars, U' ');
  query.bits = fuzzy::signature(query.scalars);
  return query;
}

}  // namespace quillo::core
