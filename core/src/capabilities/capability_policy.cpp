#include "quillo/core/capabilities/capability_policy.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <utility>

#include "quillo/base/unicode.h"

namespace quillo::core::CapabilityPolicy {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kAppNames{{
    {"com.apple.systemevents", "System"},
}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kHints{{
    {"capability.com.apple.systemevents/aprp.thme",
     "Switch the Mac between the light and the dark appearance: dark mode, light mode, night mode"},
}};

constexpr std::array<std::string_view, 14> kBlockedEvents{
    "fndrlogo", "fndrrest", "fndrshut", "fndrslep", "fndrempt", "fndrejct", "ichtlogi",
    "ichtlogo", "miscttrm", "miscbegi", "miscendt", "prcsclic", "misccopy", "GURLGURL",
};

constexpr std::array<std::string_view, 14> kBlockedWords{
    "delete",    "erase",  "empty",   "trash", "remove", "wipe", "reset",
    "uninstall", "format", "restart", "shut",  "log",    "quit", "eject",
};

constexpr std::array<std::string_view, 1> kBlockedContainers{"secp"};

constexpr std::array<std::string_view, 7> kBlockedProperties{"qdel", "pFix", "warn", "pisf",
                                                             "pvis", "xpsa", "usla"};

template <class Table>
std::optional<std::string_view> lookUp(const Table& table, std::string_view key) {
  for (const auto& [name, value] : table) {
    if (name == key) return value;
  }
  return std::nullopt;
}

template <class Table>
bool holds(const Table& table, std::string_view key) {
  return std::find(table.begin(), table.end(), key) != table.end();
}

}  // namespace

std::optional<std::string_view> appName(std::string_view bundleID) {
  return lookUp(kAppNames, bundleID);
}

std::optional<std::string_view> hint(std::string_view commandID) {
  return lookUp(kHints, commandID);
}

bool isBlockedEvent(std::string_view event) {
  return holds(kBlockedEvents, event);
}

bool isBlockedProperty(std::string_view code) {
  return holds(kBlockedProperties, code);
}

bool isBlockedContainer(std::string_view code) {
  return holds(kBlockedContainers, code);
}

bool hasBlockedWord(std::string_view name) {
  const std::vector<std::string> pieces = words(name);
  return std::any_of(pieces.begin(), pieces.end(),
                     [](const std::string& word) { return holds(kBlockedWords, word); });
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> result;
  std::u32string word;
  const auto flush = [&] {
    if (!word.empty()) result.push_back(base::utf8(word));
    word.clear();
  };
  for (const char32_t c : base::lowercasedScalars(text)) {
    if (u_isalnum(static_cast<UChar32>(c))) {
      word.push_back(c);
    } else {
      flush();
    }
  }
  flush();
  return result;
}

}  // namespace quillo::core::CapabilityPolicy
