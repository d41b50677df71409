#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "quillo/service/command_ranker.h"
#include "quillo/service/server.h"

namespace quillo::service {

// A request body of the wrong shape: answered 400 "invalid_request".
class InvalidRequest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The service's operations over checked requests: "/v1/rank/commands", "/v1/files/types",
// "/v1/rank/files" and "/v1/warmup". Every answer carries "usage": the words read (query and
// candidates) as input and the values written as output. Thread-safe.
class RavoOperations {
 public:
  RavoOperations(const Vocabulary& vocabulary, const WordNet* wordNet, CommandRanker::Options options = {});

  // None for a path that is not an operation.
  std::optional<Reply> answer(const std::string& path, const CheckedRequest& request) const;

  // The answer to a command-ranking body; throws InvalidRequest for a body of the wrong shape.
  nlohmann::json rankCommands(const nlohmann::json& body) const;
  // The reading of a described file search, with the interpretation the client acts on.
  nlohmann::json fileTypes(const nlohmann::json& body) const;
  // The probability of each file for the query, with the kind each was taken for.
  nlohmann::json rankFiles(const nlohmann::json& body) const;

 private:
  const Vocabulary& vocabulary_;
  const WordNet* wordNet_;
  CommandRanker ranker_;
};

}  // namespace quillo::service
