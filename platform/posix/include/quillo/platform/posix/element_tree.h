#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "quillo/platform/accessibility.h"

namespace quillo::platform::posix {

// A tree file that cannot be read or does not describe an element tree; what() is one line.
class ElementTreeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Accessibility elements held in memory, as captured from a running application and saved as
// JSON. In the file, an element is an object whose keys are attribute names; a string, Boolean
// or number is that attribute's value; an array is a list of elements; {"point": [x, y]} and
// {"size": [w, h]} are a point and a size; {"error": ...} is an attribute whose read fails; any
// other object is an element. Each object is one element. The top object is the application.
//
// The tree hands out AXElement handles: handles of one node of one tree are equal, handles of a
// different tree never are. A tree is not copyable, so that no two trees share an identity.
// Thread-safety: const members may run concurrently; anything that changes the tree may not run
// alongside anything else.
class ElementTree {
 public:
  using NodeID = std::size_t;

  // The attribute exists but reading it fails.
  struct Failure {
    bool operator==(const Failure&) const = default;
  };
  struct Element {
    NodeID node = 0;
    bool operator==(const Element&) const = default;
  };
  struct Elements {
    std::vector<NodeID> nodes;
    bool operator==(const Elements&) const = default;
  };
  using Value = std::variant<std::string, bool, double, Point, Size, Element, Elements, Failure>;

  // A tree of one element without attributes: the application.
  ElementTree();
  ElementTree(ElementTree&&) noexcept = default;
  ElementTree& operator=(ElementTree&&) noexcept = default;
  ElementTree(const ElementTree&) = delete;
  ElementTree& operator=(const ElementTree&) = delete;

  static ElementTree parse(std::string_view json);
  static ElementTree load(const std::filesystem::path& file);

  NodeID root() const noexcept { return 0; }
  std::size_t size() const noexcept { return nodes_.size(); }

  // A new element without attributes; nodes are numbered in the order they were added, which for a
  // parsed tree is the order the file lists them.
  NodeID add();
  // Sets, or replaces, one attribute of a node.
  void set(NodeID node, std::string name, Value value);
  // The stored value, null when the node has no such attribute.
  const Value* find(NodeID node, std::string_view name) const;

  AXElement element(NodeID node) const;
  // The node behind a handle this tree handed out; absent for any other handle.
  std::optional<NodeID> node(const AXElement& element) const;

  // The attribute as the seam reads it: absent when missing or failing.
  std::optional<AttributeValue> read(NodeID node, std::string_view name) const;
  // A value the seam writes, as the tree stores it; absent for elements of another tree.
  std::optional<Value> stored(const AttributeValue& value) const;

 private:
  struct Identity {};
  using Attributes = std::vector<std::pair<std::string, Value>>;

  std::shared_ptr<const Identity> identity_;
  std::vector<Attributes> nodes_;
};

}  // namespace quillo::platform::posix
