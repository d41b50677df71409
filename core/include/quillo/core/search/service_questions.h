#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stop_token>
#include <string_view>

#include "quillo/core/files/file_ranker.h"
#include "quillo/core/files/file_route.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/ranking/semantic_ranker.h"
#include "quillo/core/search/service_outcome.h"
#include "quillo/core/service/backend_client.h"

// Whether and how a search asks the ranking service, decided once for the launcher and
// quillo-cli. A failure of the service is part of the outcome, never the search's own: the
// local rows are a valid answer. Only a cancellation (base::Cancelled) is thrown, so that the
// caller drops a stale search instead of showing a failure.
namespace quillo::core {

// What a typed query does with the ranking service.
enum class ServiceQuestion {
  off,   // there is no ranker to ask with
  idle,  // a bang names a web site, or local matching settles the query
  ask,
};

// The one rule the launcher and quillo-cli share: off without a ranker; idle when the query
// names a web site by its bang word or is not worth asking (RavoQuestions::shouldAsk with the
// best local hit's score, none without local hits); otherwise ask.
ServiceQuestion serviceQuestion(std::string_view query, bool canAsk, std::optional<int> bestLocalScore);

// The ranker's answer as an outcome: answered, or failed with the failure's message. Throws
// base::Cancelled when `stop` was requested.
ServiceOutcome rankOutcome(const SemanticRanker& ranker, std::string_view query, std::stop_token stop = {});

// Makes the client on first need; may throw (the network library cannot be loaded, say).
using ServiceConnection = std::function<std::shared_ptr<BackendClient>()>;

// The commands scope: idle when the query is not worth asking (a strong local hit settles a
// short query), otherwise the service ranks every command of the index. The client is made only
// for a query that is asked.
ServiceOutcome askServiceAboutCommands(std::string_view query, const CommandIndex& index,
                                       const UsageCounts& usage, const ServiceConnection& connect,
                                       std::stop_token stop = {});

struct FileQuestionOptions {
  // Receives the "[quillo-file-route] shortlist …" line when given.
  std::ostream* routeLog = nullptr;
  // Called with the hits so far after each chunk of a broad search.
  FileRanker::Update onUpdate{};
  std::stop_token stop{};
};

// The files scope, along the decided route: idle for a local route or a query not worth asking;
// the shortlist is checked first when the route has one, and the broad search runs when the
// service accepts none of it or there is none.
ServiceOutcome askServiceAboutFiles(std::string_view query, const FileRouteDecision& decision,
                                    const FileRanker& ranker, const FileQuestionOptions& options = {});

}  // namespace quillo::core
