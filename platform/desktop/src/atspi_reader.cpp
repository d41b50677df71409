#include "atspi_reader.h"

#include <atspi/atspi-constants.h>

#include <algorithm>

#include "quillo/platform/desktop/atspi_mapping.h"

namespace quillo::platform::desktop::atspi {
namespace {

bool hasState(std::uint64_t states, AtspiStateType state) {
  return (states >> static_cast<unsigned>(state)) & 1U;
}

bool isValueRole(std::uint32_t role) {
  return role == ATSPI_ROLE_SCROLL_BAR || role == ATSPI_ROLE_SLIDER || role == ATSPI_ROLE_SPIN_BUTTON ||
         role == ATSPI_ROLE_PROGRESS_BAR;
}

bool isTextRole(std::uint32_t role) {
  return role == ATSPI_ROLE_LABEL || role == ATSPI_ROLE_STATIC || role == ATSPI_ROLE_HEADING;
}

// Boxes that may turn out to be scroll areas: toolkits publish some scroll areas as plain boxes
// holding scroll bars.
bool isBox(std::uint32_t role) {
  return role == ATSPI_ROLE_FILLER || role == ATSPI_ROLE_PANEL || role == ATSPI_ROLE_SCROLL_PANE;
}

// Levels below a window searched for its menu bar: toolkits put it at most a few boxes deep.
constexpr int kMenuBarDepth = 4;
// Items of a menu read together: five calls each, so this many calls wait at most at once.
constexpr std::size_t kPrefetchedAtOnce = 80;
// Elements one prefetch reads at most: a few thousand menu items take well under a second.
constexpr std::size_t kMostPrefetched = 5000;

QDBusPendingCall& once(std::optional<QDBusPendingCall>& slot, const Bus& bus, const ObjectRef& object,
                       const char* interface, const char* method, const QVariantList& arguments,
                       int timeout) {
  if (!slot) slot = bus.call(object, interface, method, arguments, timeout);
  return *slot;
}

}  // namespace

QDBusPendingCall& Calls::role() {
  return once(role_, bus_, object_, kAccessible, "GetRole", {}, timeout_);
}
QDBusPendingCall& Calls::name() {
  if (!name_) name_ = bus_.property(object_, kAccessible, "Name", timeout_);
  return *name_;
}
QDBusPendingCall& Calls::children() {
  return once(children_, bus_, object_, kAccessible, "GetChildren", {}, timeout_);
}
QDBusPendingCall& Calls::states() {
  return once(states_, bus_, object_, kAccessible, "GetState", {}, timeout_);
}
QDBusPendingCall& Calls::keyBinding() {
  return once(keyBinding_, bus_, object_, kAction, "GetKeyBinding", {0}, timeout_);
}
QDBusPendingCall& Calls::extents() {
  return once(extents_, bus_, object_, kComponent, "GetExtents", {0U}, timeout_);
}

Reader::Reader(Connection& connection, const Element& element, int timeout)
    : connection_(connection),
      bus_(connection.bus()),
      object_(element.object()),
      kind_(element.kind()),
      timeout_(timeout),
      calls_(connection.bus(), element.object(), timeout),
      known_(connection.known(element.object())) {}

void Reader::prepare(std::string_view name) {
  if (kind_ != Kind::object && kind_ != Kind::settingsWindow) return;
  if (name == "AXRole" || name == "AXChildren" || name == "AXValue") {
    if (!connection_.knowsRole(object_)) calls_.role();
  }
  const Known known = known_.value_or(Known{});
  if ((name == "AXTitle" || name == "AXDescription" || name == "AXValue") && !known.name) calls_.name();
  if (name == "AXChildren" && !known.children) calls_.children();
  if ((name == "AXEnabled" || name == "AXSelected" || name == "AXOrientation") && !known.states)
    calls_.states();
  if ((name == "AXMenuItemCmdChar" || name == "AXMenuItemCmdModifiers") && !known.keyBinding)
    calls_.keyBinding();
  if (name == "AXPosition" || name == "AXSize" || name == "AXOrientation") calls_.extents();
}

std::optional<AttributeValue> Reader::read(std::string_view name) {
  if (kind_ == Kind::object) return readObject(name);
  if (kind_ == Kind::settingsWindow && name != "AXChildren") return readObject(name);
  return readStandIn(name);
}

std::optional<std::uint32_t> Reader::role() {
  return connection_.role(object_, connection_.knowsRole(object_) ? nullptr : &calls_.role(), timeout_);
}

std::optional<QString> Reader::name() {
  if (known_ && known_->name) return known_->name;
  const auto value = propertyReply(calls_.name());
  if (!value) return std::nullopt;
  return value->toString();
}

std::optional<std::uint64_t> Reader::states() {
  if (known_ && known_->states) return known_->states;
  return statesReply(calls_.states());
}

std::optional<QString> Reader::keyBinding() {
  if (known_ && known_->keyBinding) return known_->keyBinding;
  return stringReply(calls_.keyBinding());
}

std::optional<std::vector<ObjectRef>> Reader::childObjects() {
  if (known_ && known_->children) return known_->children;
  return objectsReply(calls_.children());
}

std::optional<AttributeValue> Reader::readObject(std::string_view name) {
  if (name == "AXRole") {
    const auto found = role();
    if (!found) return std::nullopt;
    if (isBox(*found) && *found != ATSPI_ROLE_SCROLL_PANE) {
      const auto objects = childObjects();
      if (objects && withScrollBarsLifted(connection_, *objects, timeout_).hasScrollBars)
        return std::string("AXScrollArea");
    }
    return std::string(axRole(*found));
  }
  if (name == "AXTitle" || name == "AXDescription") {
    const auto text = this->name();
    if (!text) return std::nullopt;
    return text->toStdString();
  }
  if (name == "AXValue") {
    const auto found = role();
    if (!found) return std::nullopt;
    if (isValueRole(*found)) {
      const auto fraction = valueFraction();
      if (!fraction) return std::nullopt;
      return *fraction;
    }
    if (!isTextRole(*found)) return std::nullopt;
    const auto text = this->name();
    if (!text) return std::nullopt;
    return text->toStdString();
  }
  if (name == "AXChildren") {
    auto found = children();
    if (!found) return std::nullopt;
    return *std::move(found);
  }
  if (name == "AXEnabled" || name == "AXSelected") {
    const auto states = this->states();
    if (!states) return std::nullopt;
    return hasState(*states, name == "AXEnabled" ? ATSPI_STATE_ENABLED : ATSPI_STATE_SELECTED);
  }
  if (name == "AXOrientation") {
    auto found = orientation();
    if (!found) return std::nullopt;
    return *std::move(found);
  }
  if (name == "AXMenuItemCmdChar" || name == "AXMenuItemCmdModifiers") {
    const auto binding = keyBinding();
    if (!binding) return std::nullopt;
    const auto key = menuKey(binding->toStdString());
    if (!key) return std::nullopt;
    if (name == "AXMenuItemCmdChar") return key->character;
    return static_cast<double>(key->modifiers);
  }
  if (name == "AXPosition" || name == "AXSize") {
    const auto extents = extentsReply(calls_.extents());
    if (!extents) return std::nullopt;
    const auto& [x, y, width, height] = *extents;
    if (name == "AXPosition") return Point{static_cast<double>(x), static_cast<double>(y)};
    return Size{static_cast<double>(width), static_cast<double>(height)};
  }
  if (object_.path != kApplicationRoot) return std::nullopt;
  if (name == "AXWindows") return windows();
  if (name == "AXFocusedWindow" || name == "AXMainWindow") {
    auto found = activeWindow();
    if (!found) return std::nullopt;
    return *std::move(found);
  }
  if (name == "AXMenuBar") {
    auto bar = menuBar();
    if (!bar) return std::nullopt;
    return *std::move(bar);
  }
  return std::nullopt;
}

std::optional<std::vector<AXElement>> Reader::children() {
  const auto found = role();
  const auto objects = childObjects();
  if (!objects) return std::nullopt;
  // The folded menu stands between the item and its items.
  if (found && foldsItsMenu(*found)) return std::vector<AXElement>{elementOf(object_, Kind::foldedMenu)};
  if (found == ATSPI_ROLE_MENU_BAR || found == ATSPI_ROLE_POPUP_MENU)
    prefetchItems(connection_, *objects, timeout_);
  if (found && isBox(*found))
    return elementsOf(withScrollBarsLifted(connection_, *objects, timeout_).children);
  if (found == ATSPI_ROLE_SPLIT_PANE) return splitPaneChildren(connection_, object_, *objects, timeout_);
  std::vector<AXElement> elements = elementsOf(*objects);
  if (found == ATSPI_ROLE_MENU_BAR) elements.insert(elements.begin(), elementOf(object_, Kind::systemMenu));
  return elements;
}

std::optional<std::string> Reader::orientation() {
  const auto states = this->states();
  if (!states) return std::nullopt;
  if (hasState(*states, ATSPI_STATE_VERTICAL)) return "AXVerticalOrientation";
  if (hasState(*states, ATSPI_STATE_HORIZONTAL)) return "AXHorizontalOrientation";
  // Toolkits that leave the state out still lay a bar out along its direction.
  const auto extents = extentsReply(calls_.extents());
  if (!extents || (*extents)[2] == (*extents)[3]) return std::nullopt;
  return (*extents)[3] > (*extents)[2] ? "AXVerticalOrientation" : "AXHorizontalOrientation";
}

AXElement Reader::window(const ObjectRef& object) {
  const auto application = connection_.applicationName(object.service, timeout_);
  const bool sidebarLayout = application && laysOutSidebarBesidePane(application->toStdString());
  return elementOf(object, sidebarLayout ? Kind::settingsWindow : Kind::object);
}

std::vector<AXElement> Reader::windows() {
  std::vector<AXElement> found;
  for (const ObjectRef& object : objectsReply(calls_.children()).value_or(std::vector<ObjectRef>{}))
    found.push_back(window(object));
  return found;
}

std::optional<AXElement> Reader::activeWindow() {
  const auto objects = objectsReply(calls_.children());
  if (!objects) return std::nullopt;
  std::vector<QDBusPendingCall> states;
  for (const ObjectRef& object : *objects)
    states.push_back(bus_.call(object, kAccessible, "GetState", {}, timeout_));
  for (std::size_t index = 0; index < objects->size(); ++index) {
    const auto state = statesReply(states[index]);
    if (state && hasState(*state, ATSPI_STATE_ACTIVE)) return window((*objects)[index]);
  }
  return std::nullopt;
}

// The menu bar of the active window, else of the first window with one: level by level, with the
// roles and children of one level asked for together.
std::optional<AXElement> Reader::menuBar() {
  if (auto known = connection_.menuBar(object_.service)) return elementOf(*std::move(known));
  const std::uint64_t generation = connection_.generation(object_.service);
  auto found = searchMenuBar();
  if (found) connection_.rememberMenuBar(*found, generation);
  if (!found) return std::nullopt;
  return elementOf(*std::move(found));
}

std::optional<ObjectRef> Reader::searchMenuBar() {
  const auto windows = objectsReply(calls_.children());
  if (!windows) return std::nullopt;
  std::vector<ObjectRef> ordered = *windows;
  if (const auto active = activeWindow()) {
    const ObjectRef& first = handleOf(*active)->object();
    std::stable_partition(ordered.begin(), ordered.end(),
                          [&](const ObjectRef& each) { return each == first; });
  }
  for (const ObjectRef& window : ordered) {
    std::vector<ObjectRef> level{window};
    for (int depth = 0; depth <= kMenuBarDepth && !level.empty(); ++depth) {
      const auto roles = rolesOf(connection_, level, timeout_);
      std::vector<ObjectRef> containers;
      for (std::size_t index = 0; index < level.size(); ++index) {
        if (roles[index] == ATSPI_ROLE_MENU_BAR) return level[index];
        // Menus and their items hold no menu bar.
        const auto role = roles[index];
        if (role != ATSPI_ROLE_MENU && role != ATSPI_ROLE_POPUP_MENU && role != ATSPI_ROLE_MENU_ITEM)
          containers.push_back(level[index]);
      }
      std::vector<ObjectRef> below;
      for (const auto& objects : childrenOf(bus_, containers, timeout_)) {
        if (objects) below.insert(below.end(), objects->begin(), objects->end());
      }
      level = std::move(below);
    }
  }
  return std::nullopt;
}

std::optional<double> Reader::valueFraction() {
  QDBusPendingCall current = bus_.property(object_, kValue, "CurrentValue", timeout_);
  QDBusPendingCall minimum = bus_.property(object_, kValue, "MinimumValue", timeout_);
  QDBusPendingCall maximum = bus_.property(object_, kValue, "MaximumValue", timeout_);
  const auto value = doubleReply(current);
  const auto low = doubleReply(minimum);
  const auto high = doubleReply(maximum);
  if (!value || !low || !high) return std::nullopt;
  return fractionOf(*value, *low, *high);
}

// The elements the toolkit does not publish answer from what they stand for.
std::optional<AttributeValue> Reader::readStandIn(std::string_view name) {
  switch (kind_) {
    case Kind::systemMenu:
      if (name == "AXRole") return std::string("AXMenuBarItem");
      if (name == "AXTitle") return std::string();
      if (name == "AXEnabled") return true;
      if (name == "AXChildren") return std::vector<AXElement>{};
      return std::nullopt;
    case Kind::foldedMenu:
      if (name == "AXRole") return std::string("AXMenu");
      if (name == "AXEnabled") return true;
      if (name == "AXChildren") {
        const auto objects = childObjects();
        if (!objects) return std::nullopt;
        prefetchItems(connection_, *objects, timeout_);
        return elementsOf(*objects);
      }
      return std::nullopt;
    case Kind::settingsWindow:
      // Only its children differ from the window's own: one split group.
      if (name == "AXChildren") return std::vector<AXElement>{elementOf(object_, Kind::splitGroup)};
      return std::nullopt;
    case Kind::splitGroup:
      if (name == "AXRole") return std::string("AXSplitGroup");
      if (name == "AXChildren") {
        if (auto parts = sidebarAndPane(connection_, object_, timeout_)) return *std::move(parts);
        // Without a sidebar, a group without a splitter: the readers take the window as the pane.
        auto found = children();
        if (!found) return std::nullopt;
        return *std::move(found);
      }
      return std::nullopt;
    case Kind::splitter:
      if (name == "AXRole") return std::string("AXSplitter");
      return std::nullopt;
    case Kind::object:
      break;
  }
  return std::nullopt;
}

void prefetchItems(Connection& connection, const std::vector<ObjectRef>& items, int timeout) {
  const Bus& bus = connection.bus();
  std::size_t budget = kMostPrefetched;
  // Level by level: the items, then what they hold, down to the deepest submenu.
  std::vector<ObjectRef> level = items;
  while (!level.empty() && budget > 0) {
    std::vector<ObjectRef> below;
    for (std::size_t first = 0; first < level.size() && budget > 0; first += kPrefetchedAtOnce) {
      struct Pending {
        ObjectRef object;
        std::optional<QDBusPendingCall> role;
        QDBusPendingCall name, states, keyBinding, children;
      };
      std::vector<Pending> pending;
      std::optional<std::uint64_t> generation;
      for (std::size_t index = first; index < std::min(level.size(), first + kPrefetchedAtOnce) && budget > 0;
           ++index) {
        const ObjectRef& item = level[index];
        // What is known was read with everything below it, since the last change forgot it all.
        if (connection.knows(item)) continue;
        --budget;
        if (!generation) generation = connection.generation(item.service);
        pending.push_back({item,
                           connection.knowsRole(item)
                               ? std::nullopt
                               : std::optional(bus.call(item, kAccessible, "GetRole", {}, timeout)),
                           bus.property(item, kAccessible, "Name", timeout),
                           bus.call(item, kAccessible, "GetState", {}, timeout),
                           bus.call(item, kAction, "GetKeyBinding", {0}, timeout),
                           bus.call(item, kAccessible, "GetChildren", {}, timeout)});
      }
      for (Pending& each : pending) {
        connection.role(each.object, each.role ? &*each.role : nullptr, timeout);
        Known known;
        if (const auto name = propertyReply(each.name)) known.name = name->toString();
        known.states = statesReply(each.states);
        known.keyBinding = stringReply(each.keyBinding);
        known.children = objectsReply(each.children);
        // An element that went away is read again, and found gone, when asked for.
        if (!known.name || !known.states || !known.children) continue;
        below.insert(below.end(), known.children->begin(), known.children->end());
        connection.remember(each.object, std::move(known), *generation);
      }
    }
    level = std::move(below);
  }
}

}  // namespace quillo::platform::desktop::atspi
