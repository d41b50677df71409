#include "quillo/core/capabilities/capability_target.h"

#include <unicode/uchar.h>

#include <algorithm>

#include "quillo/base/unicode.h"
#include "quillo/core/capabilities/capability_policy.h"
#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

// A word of the term: where it starts and its scalars.
struct TermWord {
  int start;
  std::u32string scalars;
};

std::vector<TermWord> termWords(const MatchTarget& term) {
  std::vector<TermWord> words;
  for (std::size_t i = 0; i < term.scalars.size(); ++i) {
    const bool letter = u_isalnum(static_cast<UChar32>(term.scalars[i]));
    if (!letter) continue;
    if (i == 0 || !u_isalnum(static_cast<UChar32>(term.scalars[i - 1]))) {
      words.push_back({static_cast<int>(i), {}});
    }
    words.back().scalars.push_back(term.scalars[i]);
  }
  return words;
}

bool startsWith(const std::u32string& word, const std::u32string& prefix) {
  return word.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), word.begin());
}

// A word the query carries as an enumerator's name ("dark", "li" for light) rather than as a
// word of the capability's name.
bool isChoice(const std::string& word, const std::set<std::string>& choices) {
  return std::any_of(choices.begin(), choices.end(), [&](const std::string& choice) {
    return choice == word || (word.size() >= 2 && choice.starts_with(word));
  });
}

// For each query word, the index of the term word it begins: the word right after the previous
// match when it fits, else the first unused one. None when some query word begins no term word.
std::optional<std::vector<std::size_t>> wordMatches(const std::vector<std::u32string>& query,
                                                    const std::vector<TermWord>& words) {
  std::vector<bool> used(words.size(), false);
  std::vector<std::size_t> matches;
  for (const std::u32string& word : query) {
    std::optional<std::size_t> found;
    if (!matches.empty()) {
      const std::size_t next = matches.back() + 1;
      if (next < words.size() && !used[next] && startsWith(words[next].scalars, word)) found = next;
    }
    for (std::size_t i = 0; !found && i < words.size(); ++i) {
      if (!used[i] && startsWith(words[i].scalars, word)) found = i;
    }
    if (!found) return std::nullopt;
    used[*found] = true;
    matches.push_back(*found);
  }
  return matches;
}

}  // namespace

CapabilityTarget CapabilityTarget::of(const Capability& capability) {
  std::string text = capability.app.name + " " + capability.name;
  if (capability.container) text += " " + *capability.container;
  CapabilityTarget target;
  target.term = MatchTarget(text);
  target.appLength = static_cast<int>(base::lowercasedScalars(capability.app.name).size());
  if (capability.value) {
    if (const auto* enumeration = std::get_if<Capability::Enumeration>(&*capability.value)) {
      for (const Capability::Enumerator& enumerator : enumeration->enumerators) {
        for (std::string& word : CapabilityPolicy::words(enumerator.name))
          target.choiceWords.insert(std::move(word));
      }
    }
  }
  return target;
}

std::optional<int> CapabilityTarget::score(const CapabilityQuery& query) const {
  const std::vector<TermWord> words = termWords(term);
  const auto beginsTermWord = [&](const std::u32string& scalars) {
    return std::any_of(words.begin(), words.end(),
                       [&](const TermWord& t) { return startsWith(t.scalars, scalars); });
  };
  std::vector<std::u32string> scalarsOf;
  for (const std::string& word : query.words)
    scalarsOf.push_back(base::lowercasedScalars(word));
  // Whether only the value comes after word `at`: choices, fillers, or nothing (the value parser
  // has taken numbers and toggles out already).
  const auto valueFollows = [&](std::size_t at) {
    for (std::size_t next = at + 1; next < query.words.size(); ++next) {
      if (CapabilityQuery::isFiller(query.words[next])) continue;
      if (beginsTermWord(scalarsOf[next]) || !isChoice(query.words[next], choiceWords)) return false;
    }
    return true;
  };
  std::vector<std::u32string> named;
  for (std::size_t at = 0; at < query.words.size(); ++at) {
    const std::string& word = query.words[at];
    // "theme to the forest": the words between the name and its value are not part of the name,
    // even where they begin one of its words ("the" of "theme").
    if (CapabilityQuery::isFiller(word) && !named.empty() && valueFollows(at)) continue;
    if (!beginsTermWord(scalarsOf[at]) && isChoice(word, choiceWords)) continue;
    named.push_back(scalarsOf[at]);
  }
  if (named.empty()) return std::nullopt;

  const auto firstNameWord = static_cast<std::size_t>(
      std::find_if(words.begin(), words.end(), [this](const TermWord& w) { return w.start > appLength; }) -
      words.begin());
  if (auto matches = wordMatches(named, words)) {
    // Leading words that name the application neither help nor hurt; the name itself must be named.
    std::size_t skipped = 0;
    while (skipped < matches->size() && (*matches)[skipped] < firstNameWord)
      ++skipped;
    if (skipped == matches->size()) return std::nullopt;
    int typed = 0;
    bool inOrder = (*matches)[skipped] == firstNameWord;
    bool whole = true;
    for (std::size_t i = skipped; i < matches->size(); ++i) {
      typed += static_cast<int>(named[i].size());
      if (i > skipped && (*matches)[i] != (*matches)[i - 1] + 1) inOrder = false;
      whole = whole && words[(*matches)[i]].scalars == named[i];
    }
    if (inOrder && whole && matches->back() + 1 == words.size()) return fuzzy::kWholeTitle;
    const int nameLength = static_cast<int>(term.size()) - appLength - 1;
    if (inOrder) return fuzzy::kTitlePrefix.clamped(fuzzy::titlePrefixScore(typed, nameLength));
    const int offset = words[(*matches)[skipped]].start - words[firstNameWord].start;
    return fuzzy::kWordStart.clamped(fuzzy::wordStartScore(typed, offset));
  }

  // Words run together ("darkmode") or scattered letters: the fuzzy matcher over the whole term.
  std::u32string joined;
  for (const std::u32string& word : named)
    joined += word;
  return fuzzy::score(joined, FuzzyMatcher::bits(joined), term);
}

}  // namespace quillo::core
