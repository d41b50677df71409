#include "arguments.h"

#include <charconv>
#include <string_view>

namespace quillo::cli {

std::size_t parseLimit(std::string_view text) {
  std::size_t limit = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), limit);
  if (error != std::errc() || end != text.data() + text.size() || limit == 0) {
    throw UsageError("--limit takes a whole number of at least 1, not '" + std::string(text) + "'");
  }
  return limit;
}

void walkCommandLine(
    std::span<const std::string> words, const std::function<void(const std::string&)>& operand,
    const std::function<void(const std::string& name, const std::function<std::string()>& value)>& option) {
  bool optionsEnded = false;
  for (std::size_t index = 0; index < words.size(); ++index) {
    const std::string& word = words[index];
    if (optionsEnded || word == "-" || !word.starts_with("-")) {
      operand(word);
      continue;
    }
    // "--name=value" and "--name value" are the same.
    const auto equals = word.find('=');
    const std::string name = word.substr(0, equals);
    if (name == "--") {
      optionsEnded = true;
      continue;
    }
    option(name, [&]() -> std::string {
      if (equals != std::string::npos) return word.substr(equals + 1);
      if (index + 1 >= words.size()) throw UsageError(name + " needs a value");
      return words[++index];
    });
  }
}

Arguments parseArguments(std::span<const std::string> words, const ArgumentSpec& spec) {
  Arguments arguments;
  std::vector<std::string> queryWords;
  walkCommandLine(
      words, [&](const std::string& word) { queryWords.push_back(word); },
      [&](const std::string& name, const std::function<std::string()>& value) {
        if (name == "-h" || name == "--help") {
          arguments.help = true;
        } else if (name == "--json") {
          arguments.json = true;
        } else if (name == "--limit" && spec.takesLimit) {
          arguments.limit = parseLimit(value());
        } else if (name == "--applications" && spec.takesApplications) {
          const std::string folder = value();
          if (folder.empty()) throw UsageError("--applications needs a folder");
          arguments.applications.push_back(folder);
        } else if (name == "--desktop-entries" && spec.takesApplications) {
          const std::string folder = value();
          if (folder.empty()) throw UsageError("--desktop-entries needs a folder");
          arguments.desktopEntries.push_back(folder);
        } else if (name == "--platform" && spec.takesApplications) {
          const std::string platform = value();
          arguments.platform = core::actionPlatformFromRaw(platform);
          if (!arguments.platform)
            throw UsageError("--platform takes macos or linux, not '" + platform + "'");
        } else if (name == "--now" && spec.takesClock) {
          arguments.now = value();
        } else if (name == "--time-zone" && spec.takesClock) {
          arguments.timeZone = value();
        } else if (name == "--locale" && spec.takesClock) {
          arguments.locale = value();
        } else if (name == "--service" && spec.takesService) {
          arguments.service = value();
        } else if (name == "--key-file" && spec.takesService) {
          arguments.keyFile = value();
          if (arguments.keyFile->empty()) throw UsageError("--key-file needs a file");
        } else if (name == "--credential-file" && spec.takesService) {
          arguments.credentialFile = value();
          if (arguments.credentialFile->empty()) throw UsageError("--credential-file needs a file");
        } else if (name == "--ca-file" && spec.takesService) {
          arguments.caFile = value();
          if (arguments.caFile->empty()) throw UsageError("--ca-file needs a file");
        } else if (name == "--scope" && spec.takesScope) {
          const std::string scope = value();
          const auto known = core::searchScopeFromRaw(scope);
          if (!known) throw UsageError("--scope takes commands or files, not '" + scope + "'");
          arguments.scope = *known;
        } else if (name == "--tree" && spec.takesTree) {
          arguments.tree = value();
          if (arguments.tree->empty()) throw UsageError("--tree needs a file");
        } else if (name == "--bundle-id" && spec.takesBundleID) {
          arguments.bundleID = value();
          if (arguments.bundleID->empty()) throw UsageError("--bundle-id needs an identifier");
        } else {
          throw UsageError("unknown option '" + name + "'");
        }
      });
  for (const std::string& word : queryWords) {
    if (!arguments.query.empty()) arguments.query += ' ';
    arguments.query += word;
  }
  arguments.operands = std::move(queryWords);
  return arguments;
}

}  // namespace quillo::cli
