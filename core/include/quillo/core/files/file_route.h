#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/commands/command.h"

namespace quillo::core {

// How the launcher answers a query in its file scope once the index has answered.
enum class FileRoute {
  exactLocal,         // a file is named exactly: the local rows stand
  strongLocal,        // local rows stand although the service could rank
  localOnly,          // no service to ask
  validateShortlist,  // ask the service whether the strong local rows fit
  broadSearch,        // ask the service to rank recent files of the kinds the query describes
};

std::string_view rawValue(FileRoute route);

struct FileRouteInput {
  // Hits on the search folders' own names, then the index's name hits.
  std::vector<LocalHit> folderHits;
  std::vector<LocalHit> nameHits;
  bool canRank = false;               // a broad search through the service is possible
  bool canValidateShortlist = false;  // the service can be asked about a shortlist
  bool validateShortlists = true;
};

struct FileRouteDecision {
  FileRoute route = FileRoute::localOnly;
  // The local rows: folder hits first, each command once.
  std::vector<LocalHit> hits;
  std::size_t strongCount = 0;
  // The strong rows the service is asked about (validateShortlist only), at most 12.
  std::vector<Command> shortlist;

  bool isLocal() const;
  // The "[quillo-file-route] route=…" line that debugging shows.
  std::string logLine() const;
};

// The one decision the launcher and quillo-cli share.
FileRouteDecision decideFileRoute(std::string_view query, FileRouteInput input);

// File-route lines are written when QUILLO_LOG_LEVEL, trimmed and lower-cased, is "debug".
bool fileRouteLogging(const std::optional<std::string>& logLevel);

}  // namespace quillo::core
