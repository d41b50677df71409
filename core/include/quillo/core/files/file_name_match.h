#pragma once

#include <string_view>

namespace quillo::core {

// How well a typed query names one file.
enum class FileNameStrength { weak, strong, exact };

// exact: the query is the name, with or without its extension (or with a shortened one);
// strong: the name's words begin with the query's words, or hold them all in order;
// weak: anything else.
FileNameStrength fileNameStrength(std::string_view query, std::string_view fileName);

}  // namespace quillo::core
