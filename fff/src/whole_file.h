#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace fff {

// Writes `bytes` under a temporary name beside `path` and renames it over `path`, so that a
// reader finds the old file or the new one whole, never a part. On success `written`, when
// given, describes the file as renamed (a rename may stamp its change time), or is all zeros
// when that cannot be read. Returns false, leaving no temporary file, when it could not be
// written.
bool replaceWhole(const std::string& path, std::string_view bytes, struct stat* written = nullptr);

}  // namespace fff
