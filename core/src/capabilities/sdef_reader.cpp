#include "quillo/core/capabilities/sdef_reader.h"

#include <algorithm>
#include <map>
#include <pugixml.hpp>
#include <string>

#include "quillo/base/unicode.h"
#include "quillo/core/capabilities/capability_policy.h"
#include "quillo/core/system/bundle_info.h"

namespace quillo::core::SdefReader {
namespace {

using Enumerations = std::map<std::string, std::vector<Capability::Enumerator>, std::less<>>;

bool isCode(std::string_view code, std::size_t length) {
  return code.size() == length && base::isAscii(code);
}

bool isVisible(const pugi::xml_node& node) {
  return std::string_view(node.attribute("hidden").value()) != "yes";
}

// Hidden suites are left out whole, and with them everything they declare.
std::vector<pugi::xml_node> visibleSuites(const pugi::xml_document& document) {
  std::vector<pugi::xml_node> suites;
  for (const pugi::xml_node& suite : document.child("dictionary").children("suite")) {
    if (isVisible(suite)) suites.push_back(suite);
  }
  return suites;
}

Enumerations enumerationsOf(const std::vector<pugi::xml_node>& suites) {
  Enumerations table;
  for (const pugi::xml_node& suite : suites) {
    for (const pugi::xml_node& enumeration : suite.children("enumeration")) {
      const std::string_view name = enumeration.attribute("name").value();
      if (name.empty() || !isVisible(enumeration)) continue;
      std::vector<Capability::Enumerator> enumerators;
      for (const pugi::xml_node& enumerator : enumeration.children("enumerator")) {
        const std::string_view label = enumerator.attribute("name").value();
        const std::string_view code = enumerator.attribute("code").value();
        // A code we could not send is as good as none.
        if (label.empty() || !isCode(code, 4) || !isVisible(enumerator)) continue;
        enumerators.push_back({std::string(label), std::string(code)});
      }
      if (!enumerators.empty()) table.emplace(std::string(name), std::move(enumerators));
    }
  }
  return table;
}

// The name of an element's type: its "type" attribute, or its first "type" child's.
std::string_view typeName(const pugi::xml_node& node) {
  if (const pugi::xml_attribute type = node.attribute("type")) return type.value();
  const pugi::xml_node child = node.child("type");
  if (!child || std::string_view(child.attribute("list").value()) == "yes") return {};
  return child.attribute("type").value();
}

std::optional<Capability::Value> valueOf(const pugi::xml_node& node, const Enumerations& enumerations) {
  const std::string_view type = typeName(node);
  if (type == "boolean") return Capability::Boolean{};
  if (type == "integer") return Capability::Integer{};
  if (const auto found = enumerations.find(type); found != enumerations.end()) {
    return Capability::Enumeration{found->second};
  }
  return std::nullopt;
}

class Reader {
 public:
  Reader(const pugi::xml_document& document, const Capability::App& app)
      : app_(app), suites_(visibleSuites(document)), enumerations_(enumerationsOf(suites_)) {}

  std::vector<Capability> read() {
    for (const pugi::xml_node& suite : suites_) {
      for (const pugi::xml_node& command : suite.children("command")) {
        if (isVisible(command)) readCommand(command);
      }
    }
    readProperties("application", {}, std::nullopt, true);
    return std::move(capabilities_);
  }

 private:
  void readCommand(const pugi::xml_node& command) {
    const std::string_view name = command.attribute("name").value();
    const std::string_view code = command.attribute("code").value();
    if (name.empty() || !isCode(code, 8)) return;
    // The standard suites (open, quit, get, set, activate, ...) are not commands of their own.
    if (code.starts_with("core") || code.starts_with("aevt") || code == "miscactv") return;
    if (CapabilityPolicy::isBlockedEvent(code) || CapabilityPolicy::hasBlockedWord(name)) return;

    std::vector<pugi::xml_node> required;
    for (const pugi::xml_node& input : command.children()) {
      const std::string_view element = input.name();
      if (element != "direct-parameter" && element != "parameter") continue;
      if (std::string_view(input.attribute("optional").value()) != "yes") required.push_back(input);
    }
    if (required.size() > 1) return;
    Capability capability{.app = app_,
                          .name = std::string(name),
                          .container = std::nullopt,
                          .summary = command.attribute("description").value(),
                          .operation = Capability::CommandOperation{std::string(code), std::nullopt},
                          .value = std::nullopt};
    if (required.size() == 1) {
      const pugi::xml_node& input = required.front();
      // The direct parameter travels under "----" unless the dictionary names a keyword.
      std::string_view keyword = input.attribute("code").value();
      if (keyword.empty() && std::string_view(input.name()) == "direct-parameter") keyword = "----";
      if (!isVisible(input) || !isCode(keyword, 4)) return;
      auto value = valueOf(input, enumerations_);
      if (!value) return;
      capability.operation = Capability::CommandOperation{std::string(code), std::string(keyword)};
      capability.value = std::move(value);
    }
    capabilities_.push_back(std::move(capability));
  }

  // The visible classes and class extensions that describe the class named `name`.
  std::vector<pugi::xml_node> classesNamed(std::string_view name) const {
    std::vector<pugi::xml_node> found;
    for (const pugi::xml_node& suite : suites_) {
      for (const pugi::xml_node& node : suite.children()) {
        const std::string_view element = node.name();
        const bool matches = (element == "class" && name == node.attribute("name").value()) ||
                             (element == "class-extension" && name == node.attribute("extends").value());
        if (matches && isVisible(node)) found.push_back(node);
      }
    }
    return found;
  }

  // The settable properties of the class `className` at `path`; on the application class, also
  // those of its preference objects, one level down.
  void readProperties(std::string_view className, const std::vector<std::string>& path,
                      const std::optional<std::string>& container, bool followsHolders) {
    for (const pugi::xml_node& holder : classesNamed(className)) {
      for (const pugi::xml_node& property : holder.children("property")) {
        if (isVisible(property)) readProperty(property, path, container, followsHolders);
      }
    }
  }

  void readProperty(const pugi::xml_node& property, const std::vector<std::string>& path,
                    const std::optional<std::string>& container, bool followsHolders) {
    const std::string_view name = property.attribute("name").value();
    const std::string_view code = property.attribute("code").value();
    if (name.empty() || !isCode(code, 4)) return;
    std::vector<std::string> extended = path;
    extended.emplace_back(code);

    if (followsHolders && name.ends_with("preferences")) {
      // A preference object is read-only itself; its own properties are what can be set.
      if (CapabilityPolicy::isBlockedContainer(code)) return;
      const std::string_view type = typeName(property);
      if (!type.empty() && type != "application") readProperties(type, extended, std::string(name), false);
      return;
    }
    // A property without "access" is read-write.
    if (std::string_view(property.attribute("access").value()) == "r") return;
    if (CapabilityPolicy::isBlockedProperty(code) || CapabilityPolicy::hasBlockedWord(name)) return;
    auto value = valueOf(property, enumerations_);
    if (!value) return;
    capabilities_.push_back({.app = app_,
                             .name = std::string(name),
                             .container = container,
                             .summary = property.attribute("description").value(),
                             .operation = Capability::PropertyOperation{std::move(extended)},
                             .value = std::move(value)});
  }

  const Capability::App& app_;
  std::vector<pugi::xml_node> suites_;
  Enumerations enumerations_;
  std::vector<Capability> capabilities_;
};

bool isGuarded(std::string_view data) {
  // UTF-16 documents and entity declarations (the way to entity expansion attacks) are refused
  // before any parsing.
  if (data.starts_with("\xFF\xFE") || data.starts_with("\xFE\xFF")) return true;
  return data.find("<!ENTITY") != std::string_view::npos;
}

}  // namespace

std::vector<Capability> capabilities(std::string_view data, const Capability::App& app) {
  if (data.empty() || isGuarded(data)) return {};
  pugi::xml_document document;
  // The document type declaration is skipped, not parsed, and nothing external is ever loaded.
  const pugi::xml_parse_result parsed =
      document.load_buffer(data.data(), data.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) return {};
  return Reader(document, app).read();
}

std::optional<std::filesystem::path> dictionaryPath(const platform::FileSystem& files,
                                                    const std::filesystem::path& bundle) {
  const auto info = BundleInfo::read(files, bundle);
  if (!info) return std::nullopt;
  const auto name = info->string("OSAScriptingDefinition");
  if (!name || name->empty()) return std::nullopt;
  std::filesystem::path file(*name);
  // A name that climbs out of the bundle's resources is not the bundle's dictionary.
  if (file.is_absolute() || file.filename() != file) return std::nullopt;
  if (!file.has_extension()) file += ".sdef";
  return bundle / "Contents" / "Resources" / file;
}

}  // namespace quillo::core::SdefReader
