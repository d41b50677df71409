#include "clip_arguments.h"

#include <algorithm>
#include <array>
#include <functional>

#include "arguments.h"
#include "quillo/base/unicode.h"

namespace quillo::cli {
namespace {

using clipboard::ClipboardFilter;

constexpr std::array<std::pair<ClipOption, std::string_view>, 15> kNames{{
    {ClipOption::database, "--database"},
    {ClipOption::json, "--json"},
    {ClipOption::pinned, "--pinned"},
    {ClipOption::includePinned, "--include-pinned"},
    {ClipOption::title, "--title"},
    {ClipOption::file, "--file"},
    {ClipOption::type, "--type"},
    {ClipOption::app, "--app"},
    {ClipOption::bundleID, "--bundle-id"},
    {ClipOption::source, "--source"},
    {ClipOption::separator, "--separator"},
    {ClipOption::style, "--style"},
    {ClipOption::filter, "--filter"},
    {ClipOption::limit, "--limit"},
    {ClipOption::store, "--store"},
}};

ClipboardFilter parseFilter(std::string_view text) {
  for (ClipboardFilter filter : clipboard::kAllClipboardFilters) {
    if (base::equalsIgnoringAsciiCase(text, rawValue(filter))) return filter;
  }
  throw UsageError("--filter takes all, text, images, files, links or pinned, not '" + std::string(text) +
                   "'");
}

// Sets the option's field in `arguments`, reading its value when it takes one.
void apply(ClipOption option, const std::function<std::string()>& value, ClipArguments& arguments) {
  switch (option) {
    case ClipOption::database:
      arguments.database = value();
      if (arguments.database->empty()) throw UsageError("--database needs a file");
      break;
    case ClipOption::json:
      arguments.json = true;
      break;
    case ClipOption::pinned:
      arguments.pinned = true;
      break;
    case ClipOption::includePinned:
      arguments.includePinned = true;
      break;
    case ClipOption::title:
      arguments.title = value();
      break;
    case ClipOption::file:
      arguments.file = value();
      break;
    case ClipOption::type:
      arguments.type = value();
      break;
    case ClipOption::app:
      arguments.app = value();
      break;
    case ClipOption::bundleID:
      arguments.bundleID = value();
      break;
    case ClipOption::source:
      arguments.source = value();
      break;
    case ClipOption::separator:
      arguments.separator = value();
      break;
    case ClipOption::style: {
      const std::string text = value();
      const auto style = clipboard::textStyleFromRaw(text);
      if (!style) throw UsageError("--style takes original, plain or clean, not '" + text + "'");
      arguments.style = *style;
      break;
    }
    case ClipOption::filter:
      arguments.filter = parseFilter(value());
      break;
    case ClipOption::limit:
      arguments.limit = parseLimit(value());
      break;
    case ClipOption::store:
      arguments.store = value();
      break;
  }
}

}  // namespace

std::string_view optionName(ClipOption option) {
  for (const auto& [candidate, name] : kNames) {
    if (candidate == option) return name;
  }
  return {};
}

ClipArguments parseClipArguments(std::span<const std::string> words) {
  ClipArguments arguments;
  walkCommandLine(
      words, [&](const std::string& word) { arguments.operands.push_back(word); },
      [&](const std::string& name, const std::function<std::string()>& value) {
        if (name == "-h" || name == "--help") {
          arguments.help = true;
          return;
        }
        const auto* known = std::find_if(kNames.begin(), kNames.end(),
                                         [&](const auto& entry) { return entry.second == name; });
        if (known == kNames.end()) throw UsageError("unknown option '" + name + "'");
        apply(known->first, value, arguments);
        arguments.given.push_back(known->first);
      });
  return arguments;
}

}  // namespace quillo::cli
