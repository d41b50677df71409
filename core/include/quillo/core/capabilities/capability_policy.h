#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::core {

// What keeps destructive or meaningless operations of scriptable applications out of the
// launcher, and the names and descriptions that read better than a dictionary's own. Constant
// tables; safe from any thread.
namespace CapabilityPolicy {

// The display name for an application whose own name says little ("System" for the system's
// scripting host); none for every other application.
std::optional<std::string_view> appName(std::string_view bundleID);

// A better description than the dictionary's for the command with this id, when there is one.
std::optional<std::string_view> hint(std::string_view commandID);

// Eight-character event codes that are never offered (log out, shut down, empty the trash, ...).
bool isBlockedEvent(std::string_view event);
// Property codes that are never offered, and codes of objects whose properties are never offered.
bool isBlockedProperty(std::string_view code);
bool isBlockedContainer(std::string_view code);
// Whether the name holds a word such as "delete", "quit" or "restart" (compared after
// lower-casing, word by word; see `words`).
bool hasBlockedWord(std::string_view name);

// The lower-cased words of a text, split at every character that is neither a letter nor a
// digit: "Log-out now" gives "log", "out", "now".
std::vector<std::string> words(std::string_view text);

}  // namespace CapabilityPolicy

}  // namespace quillo::core
