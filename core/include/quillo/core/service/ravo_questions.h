#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "quillo/base/hashing.h"
#include "quillo/core/web/web_search.h"

// The questions the launcher puts to the ranking service: what is asked about (the scope), the
// tuning of every service-backed feature in one place, and whether a typed query is worth asking.
namespace quillo::core::RavoQuestions {

namespace scope {
// The menu commands of the named application.
struct Menu {
  std::string app;
  bool operator==(const Menu&) const = default;
  friend void hashInto(base::Hasher& h, const Menu& s) { h.add(s.app); }
};
// The System Settings sections of the named application.
struct Sections {
  std::string app;
  bool operator==(const Sections&) const = default;
  friend void hashInto(base::Hasher& h, const Sections& s) { h.add(s.app); }
};
// The rows of one System Settings pane.
struct Pane {
  std::string name;
  bool operator==(const Pane&) const = default;
  friend void hashInto(base::Hasher& h, const Pane& s) { h.add(s.name); }
};
// The Mac commands of the command index.
struct Commands {
  bool operator==(const Commands&) const = default;
  friend void hashInto(base::Hasher&, const Commands&) {}
};
// File searches; never sent to the command-ranking call.
struct Files {
  bool operator==(const Files&) const = default;
  friend void hashInto(base::Hasher&, const Files&) {}
};
}  // namespace scope

using Scope = std::variant<scope::Menu, scope::Sections, scope::Pane, scope::Commands, scope::Files>;

inline constexpr std::size_t maxOptionsPerRequest = 254;
inline constexpr std::size_t maxSemanticRows = 4;
inline constexpr double minimumProbability = 0.08;
inline constexpr double minimumSectionProbability = 0.03;
inline constexpr double minimumRevealProbability = 0.3;
inline constexpr double minimumSiteProbability = 0.5;
inline constexpr std::size_t maxSpanWords = 14;
inline constexpr std::size_t maxSectionsTried = 3;
inline constexpr std::size_t minimumQueryLength = 3;
inline constexpr std::size_t sentenceWordCount = 3;
inline constexpr std::chrono::duration<double> debounce{0.09};
inline constexpr std::chrono::duration<double> fileDebounce{0.25};
inline constexpr std::chrono::duration<double> timeout{2.0};
inline constexpr std::chrono::duration<double> fileTimeout{6.0};
inline constexpr double minimumMediaTypeProbability = 0.5;
inline constexpr double minimumFileProbability = 0.5;
inline constexpr double minimumFilenameIntentProbability = 0.5;
inline constexpr std::size_t maxFileCandidates = 500;
inline constexpr std::size_t filesPerRequest = 125;
inline constexpr std::size_t fileShortlistLimit = 12;
inline constexpr bool classifyFileShortlistIntent = true;
inline constexpr bool validateFileShortlistWithRavo = true;

// Whether the typed query is worth asking the service about: at least three characters, and
// either no strong local hit (score 800 and up) or a sentence of three or more words.
// `bestLocalScore` is the best local hit's score, none without local hits.
bool shouldAsk(std::string_view query, std::optional<int> bestLocalScore);

// Every contiguous run of `wordCount` words, by start and then by end: 0..<1, 0..<2, ..., 1..<2, ...
std::vector<WordRange> spans(std::size_t wordCount);

// The query without leading and trailing spaces and tabs, lower-cased: how answers are keyed.
std::string normalized(std::string_view query);

}  // namespace quillo::core::RavoQuestions

template <>
struct std::hash<quillo::core::RavoQuestions::Scope> {
  std::size_t operator()(const quillo::core::RavoQuestions::Scope& scope) const {
    return quillo::base::hashOf(scope);
  }
};
