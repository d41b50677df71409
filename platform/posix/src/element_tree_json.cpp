#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>

#include "quillo/base/bounded_read.h"
#include "quillo/platform/posix/element_tree.h"

namespace quillo::platform::posix {
namespace {

using nlohmann::json;

// Deep enough for any real menu or window (each element and each list is one level), shallow
// enough that reading never runs out of stack.
constexpr int kMaxNesting = 512;
// Captured applications take a few megabytes at most.
constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

// nlohmann's messages begin with a tag such as "[json.exception.parse_error.101] ".
std::string withoutTag(const std::string& message) {
  const auto end = message.find("] ");
  return message.starts_with("[json.") && end != std::string::npos ? message.substr(end + 2) : message;
}

// Refuses nesting beyond kMaxNesting while parsing, before the deeper levels are built.
bool withinNesting(int depth, json::parse_event_t event, json&) {
  if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
      depth >= kMaxNesting) {
    throw ElementTreeError("not an element tree: it nests deeper than " + std::to_string(kMaxNesting) +
                           " levels");
  }
  return true;
}

class Reader {
 public:
  explicit Reader(ElementTree& tree) : tree_(tree) {}

  void readElement(const json& object, ElementTree::NodeID node) {
    for (const auto& [name, value] : object.items()) {
      const Step step(*this, name);
      tree_.set(node, name, readValue(value));
    }
  }

 private:
  // Where the reader is ("AXMenuBar.AXChildren[1]"), one segment longer while a step lives: one
  // string for the whole read, so deep trees do not copy their path at every level.
  class Step {
   public:
    Step(Reader& reader, std::string_view name) : reader_(reader), size_(reader.where_.size()) {
      if (!reader_.where_.empty()) reader_.where_ += '.';
      reader_.where_ += name;
    }
    Step(Reader& reader, std::size_t index) : reader_(reader), size_(reader.where_.size()) {
      reader_.where_ += "[" + std::to_string(index) + "]";
    }
    ~Step() { reader_.where_.resize(size_); }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    Reader& reader_;
    std::size_t size_;
  };

  [[noreturn]] void malformed(const std::string& problem) const {
    throw ElementTreeError("not an element tree: " + (where_.empty() ? "the top" : where_) + " " + problem);
  }

  static bool hasOnlyKey(const json& object, const char* key) {
    return object.size() == 1 && object.contains(key);
  }

  std::pair<double, double> pair(const json& value, const char* name) {
    const Step step(*this, name);
    if (!value.is_array() || value.size() != 2 || !value[0].is_number() || !value[1].is_number())
      malformed("needs two numbers");
    return {value[0].get<double>(), value[1].get<double>()};
  }

  ElementTree::Value readValue(const json& value) {
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
        return readElements(value);
      case json::value_t::object:
        if (hasOnlyKey(value, "point")) {
          const auto [x, y] = pair(value["point"], "point");
          return Point{x, y};
        }
        if (hasOnlyKey(value, "size")) {
          const auto [width, height] = pair(value["size"], "size");
          return Size{width, height};
        }
        if (hasOnlyKey(value, "error")) return ElementTree::Failure{};
        return ElementTree::Element{readChild(value)};
      default:
        malformed("is neither a string, a Boolean, a number, a list nor an object");
    }
  }

  ElementTree::Elements readElements(const json& list) {
    ElementTree::Elements elements;
    for (std::size_t index = 0; index < list.size(); ++index) {
      const json& entry = list[index];
      const Step step(*this, index);
      if (!entry.is_object() || hasOnlyKey(entry, "point") || hasOnlyKey(entry, "size") ||
          hasOnlyKey(entry, "error")) {
        malformed("is not an element");
      }
      elements.nodes.push_back(readChild(entry));
    }
    return elements;
  }

  ElementTree::NodeID readChild(const json& object) {
    const ElementTree::NodeID node = tree_.add();
    readElement(object, node);
    return node;
  }

  ElementTree& tree_;
  std::string where_;
};

}  // namespace

ElementTree ElementTree::parse(std::string_view text) {
  json document;
  try {
    document = json::parse(text, withinNesting);
  } catch (const json::exception& error) {
    // Syntax errors and numbers out of range ("1E999") alike.
    throw ElementTreeError("not JSON: " + withoutTag(error.what()));
  }
  if (!document.is_object()) {
    throw ElementTreeError("not an element tree: the top is not an object (the application element)");
  }
  ElementTree tree;
  Reader(tree).readElement(document, tree.root());
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
  const std::optional<std::string> text = base::readAtMost(stream, kMaxFileBytes);
  if (stream.bad()) throw ElementTreeError("cannot read " + file.string());
  if (!text) {
    throw ElementTreeError(file.string() + " is not a saved tree: it is larger than " +
                           std::to_string(kMaxFileBytes >> 20) + " MB");
  }
  try {
    return parse(*text);
  } catch (const ElementTreeError& error) {
    throw ElementTreeError(file.string() + " is " + error.what());
  }
}

}  // namespace quillo::platform::posix
