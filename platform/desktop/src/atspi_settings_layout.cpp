#include <atspi/atspi-constants.h>

#include <algorithm>
#include <array>

#include "atspi_reader.h"

namespace quillo::platform::desktop::atspi {
namespace {

// How far below a settings window its sidebar may lie, and how many elements are looked at
// before giving up, so that a large pane never turns one read into thousands of calls.
constexpr int kSidebarDepth = 8;
constexpr std::size_t kMostElements = 400;

bool isList(std::optional<std::uint32_t> role) {
  return role == ATSPI_ROLE_LIST || role == ATSPI_ROLE_LIST_BOX || role == ATSPI_ROLE_TREE ||
         role == ATSPI_ROLE_TREE_TABLE;
}

bool isHandle(std::optional<std::uint32_t> role) {
  return role == ATSPI_ROLE_UNKNOWN || role == ATSPI_ROLE_SEPARATOR || role == ATSPI_ROLE_INVALID;
}

bool isBox(std::optional<std::uint32_t> role) {
  return role == ATSPI_ROLE_FILLER || role == ATSPI_ROLE_PANEL;
}

}  // namespace

std::vector<std::optional<std::uint32_t>> rolesOf(Connection& connection,
                                                  const std::vector<ObjectRef>& objects, int timeout) {
  std::vector<std::optional<QDBusPendingCall>> pending;
  for (const ObjectRef& object : objects) {
    if (connection.knowsRole(object))
      pending.emplace_back();
    else
      pending.emplace_back(connection.bus().call(object, kAccessible, "GetRole", {}, timeout));
  }
  std::vector<std::optional<std::uint32_t>> roles;
  for (std::size_t index = 0; index < objects.size(); ++index)
    roles.push_back(connection.role(objects[index], pending[index] ? &*pending[index] : nullptr, timeout));
  return roles;
}

std::vector<std::optional<std::vector<ObjectRef>>> childrenOf(const Bus& bus,
                                                              const std::vector<ObjectRef>& objects,
                                                              int timeout) {
  std::vector<QDBusPendingCall> pending;
  for (const ObjectRef& object : objects)
    pending.push_back(bus.call(object, kAccessible, "GetChildren", {}, timeout));
  std::vector<std::optional<std::vector<ObjectRef>>> children;
  for (QDBusPendingCall& call : pending)
    children.push_back(objectsReply(call));
  return children;
}

Flattened withScrollBarsLifted(Connection& connection, const std::vector<ObjectRef>& children, int timeout) {
  const auto roles = rolesOf(connection, children, timeout);
  std::vector<ObjectRef> boxes;
  for (std::size_t index = 0; index < children.size(); ++index) {
    if (isBox(roles[index])) boxes.push_back(children[index]);
  }
  const auto inBoxes = childrenOf(connection.bus(), boxes, timeout);
  Flattened result;
  std::size_t box = 0;
  for (std::size_t index = 0; index < children.size(); ++index) {
    if (roles[index] == ATSPI_ROLE_SCROLL_BAR) result.hasScrollBars = true;
    if (!isBox(roles[index])) {
      result.children.push_back(children[index]);
      continue;
    }
    const auto& inside = inBoxes[box++];
    const auto insideRoles = inside ? rolesOf(connection, *inside, timeout) : decltype(roles){};
    const bool onlyBars = !insideRoles.empty() && std::ranges::all_of(insideRoles, [](const auto& role) {
      return role == ATSPI_ROLE_SCROLL_BAR;
    });
    if (!onlyBars) {
      result.children.push_back(children[index]);
      continue;
    }
    result.hasScrollBars = true;
    result.children.insert(result.children.end(), inside->begin(), inside->end());
  }
  return result;
}

std::vector<AXElement> splitPaneChildren(Connection& connection, const ObjectRef& pane,
                                         const std::vector<ObjectRef>& children, int timeout) {
  std::vector<QDBusPendingCall> pending;
  for (const ObjectRef& child : children)
    pending.push_back(connection.bus().call(child, kComponent, "GetExtents", {0U}, timeout));
  const auto roles = rolesOf(connection, children, timeout);
  struct Placed {
    ObjectRef object;
    std::array<int, 4> extents;
  };
  std::vector<Placed> placed;
  for (std::size_t index = 0; index < children.size(); ++index) {
    const auto extents = extentsReply(pending[index]).value_or(std::array<int, 4>{});
    // The toolkit's own handles (of no role the readers know, or hidden) give way to ours.
    if (isHandle(roles[index]) || extents[2] == 0 || extents[3] == 0) continue;
    placed.push_back({children[index], extents});
  }
  std::ranges::stable_sort(placed, [](const Placed& a, const Placed& b) {
    return std::pair(a.extents[0], a.extents[1]) < std::pair(b.extents[0], b.extents[1]);
  });
  std::vector<AXElement> elements;
  for (const Placed& each : placed) {
    if (!elements.empty()) elements.push_back(elementOf(pane, Kind::splitter));
    elements.push_back(elementOf(each.object));
  }
  return elements;
}

std::optional<std::vector<AXElement>> sidebarAndPane(Connection& connection, const ObjectRef& window,
                                                     int timeout) {
  // Breadth first, remembering each element's parent and children, until the first list.
  struct Node {
    ObjectRef object;
    std::size_t parent;
    std::vector<ObjectRef> children;
  };
  std::vector<Node> nodes{{window, 0, {}}};
  std::vector<std::size_t> level{0};
  std::optional<std::size_t> list;
  for (int depth = 0; depth < kSidebarDepth && !list && !level.empty() && nodes.size() < kMostElements;
       ++depth) {
    std::vector<ObjectRef> objects;
    for (std::size_t index : level)
      objects.push_back(nodes[index].object);
    const auto children = childrenOf(connection.bus(), objects, timeout);
    std::vector<std::size_t> below;
    for (std::size_t at = 0; at < level.size(); ++at) {
      if (!children[at]) continue;
      nodes[level[at]].children = *children[at];
      for (const ObjectRef& child : *children[at]) {
        nodes.push_back({child, level[at], {}});
        below.push_back(nodes.size() - 1);
      }
    }
    std::vector<ObjectRef> belowObjects;
    for (std::size_t index : below)
      belowObjects.push_back(nodes[index].object);
    const auto roles = rolesOf(connection, belowObjects, timeout);
    for (std::size_t at = 0; at < below.size() && !list; ++at) {
      if (isList(roles[at])) list = below[at];
    }
    level = std::move(below);
  }
  if (!list) return std::nullopt;

  std::vector<AXElement> parts{elementOf(nodes[*list].object), elementOf(window, Kind::splitter)};
  // What follows the sidebar's branch, from the sidebar's own siblings up to the window's children.
  for (std::size_t at = *list; at != 0; at = nodes[at].parent) {
    const std::vector<ObjectRef>& siblings = nodes[nodes[at].parent].children;
    const auto self = std::ranges::find(siblings, nodes[at].object);
    if (self == siblings.end()) continue;
    for (auto next = self + 1; next != siblings.end(); ++next)
      parts.push_back(elementOf(*next));
  }
  return parts;
}

}  // namespace quillo::platform::desktop::atspi
