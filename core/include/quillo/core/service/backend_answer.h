#pragma once

#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

#include "quillo/core/files/file_entry.h"
#include "quillo/core/files/file_search_interpretation.h"

namespace quillo::core {

// The service's answer to every ranking question. Candidates are keyed by position: "c" and the
// zero-based index in the request's list; "none" is the probability that no candidate fits.
struct BackendAnswer {
  struct Usage {
    long long inputTokens = 0;
    long long outputTokens = 0;
    bool operator==(const Usage&) const = default;
  };

  struct WebSearchAnswer {
    // By web-search site id.
    std::map<std::string, double> siteProbabilities{};
    // By span of query words, "s" + first + "_" + last (inclusive, zero-based), and "none".
    std::optional<std::map<std::string, double>> termProbabilities{};
    bool operator==(const WebSearchAnswer&) const = default;
  };

  std::map<std::string, double> probabilities{};
  Usage usage{};
  std::optional<WebSearchAnswer> webSearch{};
  // For file ranking: whether the service took each candidate for a file or a folder.
  std::optional<std::map<std::string, FileEntry::Kind>> candidateKinds{};
  std::optional<FileSearchInterpretation> interpretation{};

  bool operator==(const BackendAnswer&) const = default;
};

// Decoding fails with DecodingError, never with a partly filled answer: "probabilities" and
// "usage" are required, an interpretation must pass its validation.
void from_json(const nlohmann::json& json, BackendAnswer& answer);
void to_json(nlohmann::json& json, const BackendAnswer& answer);

}  // namespace quillo::core
