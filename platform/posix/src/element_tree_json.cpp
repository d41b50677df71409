#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "quillo/platform/posix/element_tree.h"

namespace quillo::platform::posix {
namespace {

using nlohmann::json;

[[noreturn]] void malformed(const std::string& where, const std::string& problem) {
  throw ElementTreeError("not an element tree: " + (where.empty() ? "the top" : where) + " " + problem);
}

// nlohmann's messages begin with a tag such as "[json.exception.parse_error.101] ".
std::string withoutTag(const std::string& message) {
  const auto end = message.find("] ");
  return message.starts_with("[json.") && end != std::string::npos ? message.substr(end + 2) : message;
}

class Reader {
 public:
  explicit Reader(ElementTree& tree) : tree_(tree) {}

  void readElement(const json& object, ElementTree::NodeID node, const std::string& where) {
    for (const auto& [name, value] : object.items()) {
      const std::string path = where.empty() ? name : where + "." + name;
      tree_.set(node, name, readValue(value, path));
    }
  }

 private:
  static bool hasOnlyKey(const json& object, const char* key) {
    return object.size() == 1 && object.contains(key);
  }

  static std::pair<double, double> pair(const json& value, const std::string& where) {
    if (!value.is_array() || value.size() != 2 || !value[0].is_number() || !value[1].is_number())
      malformed(where, "needs two numbers");
    return {value[0].get<double>(), value[1].get<double>()};
  }

  ElementTree::Value readValue(const json& value, const std::string& where) {
    switch (value.type()) {
      case json::value_t::string:
        return value.get<std::string>();
      case json::value_t::boolean:
        return value.get<bool>();
      case json::value_t::number_integer:
      case json::value_t::number_unsigned:
      case json::value_t::number_float:
        return value.get<double>();
      case json::value_t::array:
        return readElements(value, where);
      case json::value_t::object:
        if (hasOnlyKey(value, "point")) {
          const auto [x, y] = pair(value["point"], where + ".point");
          return Point{x, y};
        }
        if (hasOnlyKey(value, "size")) {
          const auto [width, height] = pair(value["size"], where + ".size");
          return Size{width, height};
        }
        if (hasOnlyKey(value, "error")) return ElementTree::Failure{};
        return ElementTree::Element{readChild(value, where)};
      default:
        malformed(where, "is neither a string, a Boolean, a number, a list nor an object");
    }
  }

  ElementTree::Elements readElements(const json& list, const std::string& where) {
    ElementTree::Elements elements;
    for (std::size_t index = 0; index < list.size(); ++index) {
      const json& entry = list[index];
      const std::string path = where + "[" + std::to_string(index) + "]";
      if (!entry.is_object() || hasOnlyKey(entry, "point") || hasOnlyKey(entry, "size") ||
          hasOnlyKey(entry, "error")) {
        malformed(path, "is not an element");
      }
      elements.nodes.push_back(readChild(entry, path));
    }
    return elements;
  }

  ElementTree::NodeID readChild(const json& object, const std::string& where) {
    const ElementTree::NodeID node = tree_.add();
    readElement(object, node, where);
    return node;
  }

  ElementTree& tree_;
};

}  // namespace

ElementTree ElementTree::parse(std::string_view text) {
  json document;
  try {
    document = json::parse(text);
  } catch (const json::parse_error& error) {
    throw ElementTreeError("not JSON: " + withoutTag(error.what()));
  }
  if (!document.is_object()) malformed("", "is not an object (the application element)");
  ElementTree tree;
  Reader(tree).readElement(document, tree.root(), "");
  return tree;
}

ElementTree ElementTree::load(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error))
    throw ElementTreeError("cannot read " + file.string() + ": it is a folder");
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    const bool exists = std::filesystem::exists(file, error);
    throw ElementTreeError("cannot read " + file.string() + (exists ? "" : ": no such file"));
  }
  std::ostringstream text;
  text << stream.rdbuf();
  if (stream.bad()) throw ElementTreeError("cannot read " + file.string());
  try {
    return parse(text.str());
  } catch (const ElementTreeError& error) {
    throw ElementTreeError(file.string() + " is " + error.what());
  }
}

}  // namespace quillo::platform::posix
