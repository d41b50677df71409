#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "quillo/clipboard/clipboard_entry.h"

namespace quillo::cli {

// A history entry as quillo-cli prints it: every field always present, null when it does not apply.
nlohmann::ordered_json entryJson(const clipboard::ClipboardEntry& entry);

// Pretty-printed, ill-formed UTF-8 replaced, followed by a line feed.
void printJsonDocument(std::FILE* output, const nlohmann::ordered_json& json);

// The text on one line: line breaks and tabs become spaces.
std::string oneLine(std::string_view text);

}  // namespace quillo::cli
