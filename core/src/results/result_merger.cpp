#include "quillo/core/results/result_merger.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "quillo/core/matching/fuzzy_matcher.h"

namespace quillo::core {
namespace {

bool isToggle(const ParsedValue& value) {
  return std::holds_alternative<parsed::Toggle>(value);
}

bool isBooleanCapability(const Command& command) {
  const ActionDefinition* definition = command.definition();
  if (definition == nullptr) return false;
  const auto* scriptable = std::get_if<definition::ScriptableCapability>(definition);
  return scriptable != nullptr && scriptable->capability.value &&
         std::holds_alternative<Capability::Boolean>(*scriptable->capability.value);
}

std::unordered_map<std::string, double> probabilitiesById(const SemanticResult* semantic) {
  std::unordered_map<std::string, double> byId;
  if (semantic == nullptr) return byId;
  for (const SemanticHit& hit : semantic->hits) {
    auto [entry, inserted] = byId.emplace(hit.command.id, hit.probability);
    if (!inserted) entry->second = std::max(entry->second, hit.probability);
  }
  return byId;
}

bool localRowsLead(const MergeInput& input) {
  // A web row without a probability is a site the user typed a bang for: it always leads.
  const bool typedSite = input.web && !input.web->probability;
  return !input.local.empty() && input.local.front().score >= FuzzyMatcher::strongMatch && !typedSite;
}

std::vector<ResultRow> uniqueRows(const MergeInput& input) {
  const auto probabilities = probabilitiesById(input.semantic);
  std::vector<ResultRow> localRows;
  for (const LocalHit& hit : input.local) {
    const auto probability = probabilities.find(hit.command.id);
    localRows.push_back(
        {hit.command, probability == probabilities.end() ? std::nullopt : std::optional(probability->second),
         std::nullopt});
  }
  std::vector<ResultRow> serviceRows;
  if (input.web) serviceRows.push_back(*input.web);
  if (input.semantic != nullptr) {
    for (const SemanticHit& hit : input.semantic->hits)
      serviceRows.push_back({hit.command, hit.probability, std::nullopt});
  }

  const bool localFirst = localRowsLead(input);
  auto& first = localFirst ? localRows : serviceRows;
  auto& rest = localFirst ? serviceRows : localRows;
  std::vector<ResultRow> ordered = std::move(first);
  ordered.insert(ordered.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));

  std::unordered_set<std::string> seen;
  std::vector<ResultRow> unique;
  for (ResultRow& row : ordered) {
    if (seen.insert(row.id()).second) unique.push_back(std::move(row));
  }
  return unique;
}

}  // namespace

std::vector<ResultRow> ResultMerger::merge(const MergeInput& input, InvocationResolving resolve) {
  std::unordered_set<std::string> localIds;
  for (const LocalHit& hit : input.local)
    localIds.insert(hit.command.id);
  ParsedQuery withoutToggles = input.query;
  std::erase_if(withoutToggles.values, isToggle);

  std::vector<ResultRow> rows;
  const std::vector<ResultRow> unique = uniqueRows(input);
  for (std::size_t index = 0; index < unique.size(); ++index) {
    const ResultRow& row = unique[index];
    const Command& command = row.command;
    if (std::holds_alternative<target::StopKeepingAwake>(command.target)) {
      // Nothing to stop unless a keep-awake runs with its end still ahead.
      const auto& until = input.context.awakeUntil;
      if (!until || *until <= input.context.now) continue;
      rows.push_back({command, row.probability,
                      ResolvedAction{std::nullopt, "Keeping awake until " + clockText(*until, input.context),
                                     "running"}});
      continue;
    }
    const ActionDefinition* definition = command.definition();
    if (definition == nullptr || resolve == nullptr) {
      rows.push_back(row);
      continue;
    }
    // "on" and "off" typed for something the service found belong to the words, not to a
    // Boolean capability that local matching did not name.
    const bool dropToggles = !localIds.contains(command.id) && isBooleanCapability(command);
    const ParsedQuery& values = dropToggles ? withoutToggles : input.query;
    const bool presets = input.offersPresets && !input.isStale && index == 0;
    for (ResolvedAction& action : resolve(*definition, values, presets, input.context)) {
      rows.push_back({command, row.probability, std::move(action)});
    }
  }
  if (input.limit && rows.size() > *input.limit) {
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(*input.limit), rows.end());
  }
  return rows;
}

std::optional<std::size_t> SelectionRule::keptIndex(const std::vector<ResultRow>& previous,
                                                    std::size_t selected, const std::vector<ResultRow>& next,
                                                    bool userMoved) {
  if (!userMoved || selected >= previous.size()) return std::nullopt;
  const std::string id = previous[selected].id();
  for (std::size_t index = 0; index < next.size(); ++index) {
    if (next[index].id() == id) return index;
  }
  return std::nullopt;
}

}  // namespace quillo::core
