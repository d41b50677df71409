#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/clipboard/clipboard_composition.h"
#include "quillo/clipboard/clipboard_filter.h"

namespace quillo::cli {

// The options of `quillo-cli clip`; each action takes some of them.
enum class ClipOption : std::uint8_t {
  database,
  json,
  pinned,
  includePinned,
  title,
  file,
  type,
  app,
  bundleID,
  source,
  separator,
  style,
  filter,
  limit,
  store,
};

// A set of clip options.
class ClipOptions {
 public:
  constexpr ClipOptions(std::initializer_list<ClipOption> options) {
    for (ClipOption option : options)
      bits_ |= bit(option);
  }
  constexpr bool contains(ClipOption option) const { return (bits_ & bit(option)) != 0; }

 private:
  static constexpr std::uint32_t bit(ClipOption option) {
    return std::uint32_t{1} << static_cast<int>(option);
  }
  std::uint32_t bits_ = 0;
};

// The option as it is typed: "--include-pinned".
std::string_view optionName(ClipOption option);

struct ClipArguments {
  bool help = false;
  bool json = false;
  bool pinned = false;
  bool includePinned = false;
  std::optional<std::string> database;
  std::optional<std::string> title;
  std::optional<std::string> file;
  std::optional<std::string> type;
  std::optional<std::string> app;
  std::optional<std::string> bundleID;
  std::optional<std::string> source;
  std::optional<std::string> separator;
  // The entry whose image text `ocr` recognises and stores.
  std::optional<std::string> store;
  clipboard::ClipboardComposition::TextStyle style = clipboard::ClipboardComposition::TextStyle::original;
  clipboard::ClipboardFilter filter = clipboard::ClipboardFilter::all;
  std::size_t limit = std::numeric_limits<std::size_t>::max();
  // Every option the command line gave, in order, so that an action can refuse those it does not take.
  std::vector<ClipOption> given;
  // The action first, then its operands.
  std::vector<std::string> operands;
};

// Reads the command line without judging which options go with which action. Throws UsageError
// for an unknown option or a bad value.
ClipArguments parseClipArguments(std::span<const std::string> words);

}  // namespace quillo::cli
