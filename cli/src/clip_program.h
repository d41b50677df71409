#pragma once

#include <cstdio>
#include <span>
#include <string>

namespace quillo::cli {

// `quillo-cli clip ...` runs the clipboard commands' own program, quillo-cli-clip, in this
// process's place: SQLite, image decoding, text recognition and the rest load only for them,
// so the other commands keep their fast start-up. Returns only when it cannot be started.
int runClipProgram(std::span<const std::string> arguments, std::FILE* input, std::FILE* output);

}  // namespace quillo::cli
