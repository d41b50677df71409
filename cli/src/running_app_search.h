#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "quillo/app/file_search_answer.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

namespace quillo::cli {

// The running program's answer from its live file index, when it runs on this session's bus,
// answers within a fraction of a second and indexes exactly `folders`; none otherwise, and the
// caller searches its own index. `files` tells whether the program holds its lock file.
std::optional<app::FileSearchAnswer> runningAppFileSearch(const std::string& query, std::size_t limit,
                                                          const std::vector<std::string>& folders,
                                                          const platform::System& system,
                                                          const platform::FileSystem& files);

}  // namespace quillo::cli
