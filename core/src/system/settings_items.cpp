#include "settings_items.h"

#include <array>

namespace quillo::core::settings {
namespace {

using platform::AXElement;

// The split group lies this many levels below the window at most.
constexpr int kSplitGroupDepth = 3;
// Guards against an application whose element tree loops back on itself.
constexpr int kDeepestItem = 64;

constexpr std::array<std::string_view, 2> kShapeAttributes{"AXRole", "AXChildren"};
constexpr std::array<std::string_view, 4> kItemAttributes{"AXRole", "AXValue", "AXDescription", "AXChildren"};

struct Shape {
  std::string role;
  std::vector<AXElement> children;
};

Shape shapeOf(const AX& ax, const AXElement& element) {
  const AX::Values values = ax.attributes(element, kShapeAttributes);
  if (values.empty()) return {};
  return {AX::as<std::string>(values[0]).value_or(""),
          AX::as<std::vector<AXElement>>(values[1]).value_or(std::vector<AXElement>{})};
}

// The first split group, level by level.
std::optional<Shape> splitGroup(const AX& ax, const AXElement& window) {
  std::vector<AXElement> level = ax.children(window);
  for (int depth = 1; depth <= kSplitGroupDepth && !level.empty(); ++depth) {
    std::vector<AXElement> below;
    for (const AXElement& element : level) {
      Shape shape = shapeOf(ax, element);
      if (shape.role == "AXSplitGroup") return shape;
      below.insert(below.end(), shape.children.begin(), shape.children.end());
    }
    level = std::move(below);
  }
  return std::nullopt;
}

// Where an element lies: what holds the items below it.
struct Context {
  std::optional<AXElement> row;
  std::optional<AXElement> scrollArea;
};

class Collector {
 public:
  Collector(const AX& ax, std::size_t labelLimit) : ax_(ax), labelLimit_(labelLimit) {}

  void visit(const AXElement& element, const Context& context, int depth) {
    if (depth > kDeepestItem) return;
    const AX::Values values = ax_.attributes(element, kItemAttributes);
    if (values.empty()) return;
    const std::string role = AX::as<std::string>(values[0]).value_or("");
    const auto text = AX::as<std::string>(role == "AXStaticText" ? values[1] : values[2]);
    if (const auto label = text ? cleanLabel(*text, labelLimit_) : std::nullopt) {
      if (role == "AXHeading") {
        items_.push_back({*label, std::nullopt});
      } else {
        items_.push_back({*label, SettingsRowRef{.element = element,
                                                 .container = context.row.value_or(element),
                                                 .isInRow = context.row.has_value(),
                                                 .scrollArea = context.scrollArea}});
      }
    }
    Context below = context;
    if (role == "AXScrollArea") below.scrollArea = element;
    if (role == "AXRow") below.row = element;
    for (const AXElement& child :
         AX::as<std::vector<AXElement>>(values[3]).value_or(std::vector<AXElement>{}))
      visit(child, below, depth + 1);
  }

  std::vector<FoundItem> take() { return std::move(items_); }

 private:
  const AX& ax_;
  std::size_t labelLimit_;
  std::vector<FoundItem> items_;
};

}  // namespace

WindowParts split(const AX& ax, const AXElement& window) {
  if (const auto group = splitGroup(ax, window)) {
    WindowParts parts;
    bool afterSplitter = false;
    for (const AXElement& child : group->children) {
      if (!afterSplitter && shapeOf(ax, child).role == "AXSplitter") {
        afterSplitter = true;
        continue;
      }
      (afterSplitter ? parts.pane : parts.sidebar).push_back(child);
    }
    if (afterSplitter) return parts;
  }
  // No split group, or one without a splitter: the whole window is the pane.
  return {.sidebar = {}, .pane = ax.children(window)};
}

std::vector<FoundItem> collect(const AX& ax, std::span<const AXElement> roots, std::size_t labelLimit) {
  Collector collector(ax, labelLimit);
  for (const AXElement& root : roots)
    collector.visit(root, Context{}, 0);
  return collector.take();
}

}  // namespace quillo::core::settings
