#include "quillo/platform/posix/element_tree.h"

#include <algorithm>
#include <cstdint>

#include "quillo/base/hashing.h"

namespace quillo::platform::posix {
namespace {

// A handle names its tree by the address of the tree's identity, which it keeps alive so that
// the address is never reused while the handle exists.
class TreeHandle final : public AXElement::Handle {
 public:
  TreeHandle(std::shared_ptr<const void> tree, ElementTree::NodeID node)
      : tree_(std::move(tree)), node_(node) {}

  bool isSame(const Handle& other) const override {
    const auto* handle = dynamic_cast<const TreeHandle*>(&other);
    return handle != nullptr && handle->tree_ == tree_ && handle->node_ == node_;
  }
  std::size_t identityHash() const override {
    return base::Hasher().addAll(reinterpret_cast<std::uintptr_t>(tree_.get()), node_).value();
  }

  const void* tree() const noexcept { return tree_.get(); }
  ElementTree::NodeID node() const noexcept { return node_; }

 private:
  std::shared_ptr<const void> tree_;
  ElementTree::NodeID node_;
};

}  // namespace

ElementTree::ElementTree() : identity_(std::make_shared<const Identity>()), nodes_(1) {}

ElementTree::NodeID ElementTree::add() {
  nodes_.emplace_back();
  return nodes_.size() - 1;
}

void ElementTree::set(NodeID node, std::string name, Value value) {
  Attributes& attributes = nodes_.at(node);
  const auto existing = std::ranges::find(attributes, name, &Attributes::value_type::first);
  if (existing != attributes.end()) {
    existing->second = std::move(value);
  } else {
    attributes.emplace_back(std::move(name), std::move(value));
  }
}

const ElementTree::Value* ElementTree::find(NodeID node, std::string_view name) const {
  const Attributes& attributes = nodes_.at(node);
  const auto found = std::ranges::find(attributes, name, &Attributes::value_type::first);
  return found == attributes.end() ? nullptr : &found->second;
}

AXElement ElementTree::element(NodeID node) const {
  if (node >= nodes_.size()) throw std::out_of_range("no such element in the tree");
  return AXElement(std::make_shared<TreeHandle>(identity_, node));
}

std::optional<ElementTree::NodeID> ElementTree::node(const AXElement& element) const {
  const auto* handle = dynamic_cast<const TreeHandle*>(&element.handle());
  if (handle == nullptr || handle->tree() != identity_.get()) return std::nullopt;
  return handle->node();
}

std::optional<AttributeValue> ElementTree::read(NodeID node, std::string_view name) const {
  const Value* value = find(node, name);
  if (value == nullptr) return std::nullopt;
  return std::visit(
      [this](const auto& stored) -> std::optional<AttributeValue> {
        using T = std::decay_t<decltype(stored)>;
        if constexpr (std::is_same_v<T, Failure>) {
          return std::nullopt;
        } else if constexpr (std::is_same_v<T, Element>) {
          return AttributeValue(element(stored.node));
        } else if constexpr (std::is_same_v<T, Elements>) {
          std::vector<AXElement> elements;
          elements.reserve(stored.nodes.size());
          for (NodeID child : stored.nodes)
            elements.push_back(element(child));
          return AttributeValue(std::move(elements));
        } else {
          return AttributeValue(stored);
        }
      },
      *value);
}

std::optional<ElementTree::Value> ElementTree::stored(const AttributeValue& value) const {
  return std::visit(
      [this](const auto& written) -> std::optional<Value> {
        using T = std::decay_t<decltype(written)>;
        if constexpr (std::is_same_v<T, AXElement>) {
          const auto id = node(written);
          if (!id) return std::nullopt;
          return Value(Element{*id});
        } else if constexpr (std::is_same_v<T, std::vector<AXElement>>) {
          Elements elements;
          for (const AXElement& each : written) {
            const auto id = node(each);
            if (!id) return std::nullopt;
            elements.nodes.push_back(*id);
          }
          return Value(std::move(elements));
        } else {
          return Value(written);
        }
      },
      value);
}

}  // namespace quillo::platform::posix
