#include "quillo/core/matching/match_target.h"

#include "quillo/base/unicode.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {

MatchTarget::MatchTarget(std::string_view text) : MatchTarget(base::lowercasedScalars(text)) {}

MatchTarget::MatchTarget(std::u32string lowercasedScalars) : scalars(std::move(lowercasedScalars)) {
  wordStart.resize(scalars.size());
  bool afterSeparator = true;
  for (std::size_t index = 0; index < scalars.size(); ++index) {
    const bool separator = fuzzy::isSeparator(scalars[index]);
    wordStart[index] = !separator && afterSeparator;
    if (wordStart[index]) wordStartBits |= fuzzy::signatureBit(scalars[index]);
    afterSeparator = separator;
  }
  bits = fuzzy::signature(scalars);
}

}  // namespace quillo::core
