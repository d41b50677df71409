#include "quillo/core/capabilities/capability_catalog.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "quillo/core/capabilities/capability_policy.h"
#include "quillo/core/capabilities/sdef_reader.h"
#include "quillo/core/system/bundle_info.h"

namespace quillo::core::CapabilityCatalog {
namespace {

// Dictionaries larger than this are not what a launcher command comes from.
constexpr std::size_t kLargestDictionary = 16 * 1024 * 1024;

std::string upperFirst(std::string_view word) {
  UChar32 first = 0;
  int32_t offset = 0;
  U8_NEXT(reinterpret_cast<const uint8_t*>(word.data()), offset, static_cast<int32_t>(word.size()), first);
  if (first < 0) return std::string(word);
  // Title case of a single scalar; a scalar that changes length when upper-cased keeps its form.
  const UChar32 upper = u_toupper(first);
  char buffer[U8_MAX_LENGTH];
  int32_t length = 0;
  UBool failed = false;
  U8_APPEND(reinterpret_cast<uint8_t*>(buffer), length, U8_MAX_LENGTH, upper, failed);
  if (failed) return std::string(word);
  return std::string(buffer, static_cast<std::size_t>(length)) +
         std::string(word.substr(static_cast<std::size_t>(offset)));
}

std::string displayName(const std::filesystem::path& bundle, const BundleInfo& info,
                        const std::string& bundleID) {
  if (const auto name = CapabilityPolicy::appName(bundleID)) return std::string(*name);
  for (const std::string_view key : {"CFBundleDisplayName", "CFBundleName"}) {
    if (auto name = info.string(key); name && !name->empty()) return *name;
  }
  return bundle.stem().string();
}

std::optional<std::string> readDictionary(const platform::FileSystem& files,
                                          const std::filesystem::path& path) {
  try {
    return files.readFile(path, kLargestDictionary);
  } catch (const platform::FileSystemError&) {
    return std::nullopt;
  }
}

}  // namespace

const std::vector<std::filesystem::path>& systemApps() {
  static const std::vector<std::filesystem::path> apps{"/System/Library/CoreServices/System Events.app"};
  return apps;
}

std::vector<Capability> capabilities(const platform::FileSystem& files, const std::filesystem::path& bundle) {
  const auto info = BundleInfo::read(files, bundle);
  if (!info) return {};
  const auto bundleID = info->string("CFBundleIdentifier");
  if (!bundleID || bundleID->empty()) return {};
  const auto path = SdefReader::dictionaryPath(files, bundle);
  if (!path) return {};
  const auto data = readDictionary(files, *path);
  if (!data) return {};
  const Capability::App app{displayName(bundle, *info, *bundleID), *bundleID,
                            base::Url::file(bundle.string())};
  return SdefReader::capabilities(*data, app);
}

std::vector<Command> commands(const platform::FileSystem& files,
                              const std::vector<std::filesystem::path>& bundles) {
  std::vector<Command> result;
  for (const std::filesystem::path& bundle : bundles) {
    for (const Capability& capability : capabilities(files, bundle))
      result.push_back(command(capability));
  }
  return result;
}

std::string commandID(const Capability& capability) {
  std::string key;
  if (const auto* command = std::get_if<Capability::CommandOperation>(&capability.operation)) {
    key = command->event;
  } else {
    for (const std::string& code : std::get<Capability::PropertyOperation>(capability.operation).path) {
      if (!key.empty()) key += '.';
      key += code;
    }
  }
  return "capability." + capability.app.bundleID + "/" + key;
}

std::string title(const Capability& capability) {
  std::string text = capability.app.name + ": " + titled(capability.name);
  if (capability.container) text += " of " + titled(*capability.container);
  return text;
}

Command command(const Capability& capability) {
  std::string id = commandID(capability);
  std::string hint = std::string(CapabilityPolicy::hint(id).value_or(capability.summary));
  return Command(std::move(id), title(capability), Command::Kind::capability, std::move(hint), "", "",
                 target::Definition{definition::ScriptableCapability{capability}});
}

std::string titled(std::string_view text) {
  std::string result;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    if (end > start) {
      if (!result.empty()) result += ' ';
      result += upperFirst(text.substr(start, end - start));
    }
    start = end + 1;
  }
  return result;
}

}  // namespace quillo::core::CapabilityCatalog
