#include "quillo/platform/desktop/atspi_accessibility.h"

#include <atspi/atspi-constants.h>

#include <QHash>
#include <algorithm>
#include <deque>
#include <functional>
#include <map>

#include "atspi_bus.h"
#include "quillo/platform/desktop/atspi_mapping.h"

namespace quillo::platform::desktop {
namespace {

using atspi::ObjectRef;

// What a handle stands for: the bus object itself, or an element the readers expect that the
// toolkit does not publish.
enum class Part { object, foldedMenu, systemMenu };

class Element final : public AXElement::Handle {
 public:
  Element(ObjectRef object, Part part) : object_(std::move(object)), part_(part) {}

  const ObjectRef& object() const { return object_; }
  Part part() const { return part_; }

  bool isSame(const Handle& other) const override {
    const auto* element = dynamic_cast<const Element*>(&other);
    return element && element->object_ == object_ && element->part_ == part_;
  }
  std::size_t identityHash() const override {
    return qHash(object_.service) ^ (qHash(object_.path) * 31) ^ static_cast<std::size_t>(part_);
  }

 private:
  ObjectRef object_;
  Part part_;
};

AXElement elementOf(ObjectRef object, Part part = Part::object) {
  return AXElement(std::make_shared<const Element>(std::move(object), part));
}

const Element* handleOf(const AXElement& element) {
  return dynamic_cast<const Element*>(&element.handle());
}

std::vector<AXElement> elementsOf(const std::vector<ObjectRef>& objects) {
  std::vector<AXElement> elements;
  elements.reserve(objects.size());
  for (const ObjectRef& object : objects)
    elements.push_back(elementOf(object));
  return elements;
}

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

// Levels below a window searched for its menu bar: toolkits put it at most a few boxes deep.
constexpr int kMenuBarDepth = 4;

// The calls one batch of attributes of one object needs, each sent once and all before the first
// wait, so that the batch costs one round trip.
class Calls {
 public:
  Calls(const atspi::Bus& bus, ObjectRef object, int timeout)
      : bus_(bus), object_(std::move(object)), timeout_(timeout) {}

  QDBusPendingCall& role() {
    return once(role_, [&] { return call(atspi::kAccessible, "GetRole"); });
  }
  QDBusPendingCall& name() {
    return once(name_, [&] { return bus_.property(object_, atspi::kAccessible, "Name", timeout_); });
  }
  QDBusPendingCall& children() {
    return once(children_, [&] { return call(atspi::kAccessible, "GetChildren"); });
  }
  QDBusPendingCall& states() {
    return once(states_, [&] { return call(atspi::kAccessible, "GetState"); });
  }
  QDBusPendingCall& keyBinding() {
    return once(keyBinding_, [&] { return call(atspi::kAction, "GetKeyBinding", {0}); });
  }
  QDBusPendingCall& extents() {
    return once(extents_, [&] { return call(atspi::kComponent, "GetExtents", {0U}); });
  }

 private:
  QDBusPendingCall call(const char* interface, const char* method, const QVariantList& arguments = {}) {
    return bus_.call(object_, interface, method, arguments, timeout_);
  }
  static QDBusPendingCall& once(std::optional<QDBusPendingCall>& slot,
                                const std::function<QDBusPendingCall()>& send) {
    if (!slot) slot = send();
    return *slot;
  }

  const atspi::Bus& bus_;
  ObjectRef object_;
  int timeout_;
  std::optional<QDBusPendingCall> role_, name_, children_, states_, keyBinding_, extents_;
};

}  // namespace

namespace atspi {

// The bus and what never changes on it.
class Connection {
 public:
  explicit Connection(std::unique_ptr<atspi::Bus> bus) : bus_(std::move(bus)) {}

  const atspi::Bus& bus() const { return *bus_; }

  // Roles never change for one object, and every children read needs the parent's.
  std::optional<std::uint32_t> role(const ObjectRef& object, QDBusPendingCall* pending, int timeout) {
    {
      std::lock_guard lock(mutex_);
      if (const auto found = roles_.find(key(object)); found != roles_.end()) return found->second;
    }
    const auto role = atspi::unsignedReply(
        pending ? *pending : bus_->call(object, atspi::kAccessible, "GetRole", {}, timeout));
    if (role) {
      std::lock_guard lock(mutex_);
      roles_[key(object)] = *role;
    }
    return role;
  }

  bool knowsRole(const ObjectRef& object) {
    std::lock_guard lock(mutex_);
    return roles_.contains(key(object));
  }

 private:
  static std::pair<QString, QString> key(const ObjectRef& object) { return {object.service, object.path}; }

  std::unique_ptr<atspi::Bus> bus_;
  std::mutex mutex_;
  std::map<std::pair<QString, QString>, std::uint32_t> roles_;
};

}  // namespace atspi

namespace {

// Reads attributes of one bus object through one batch of calls.
class Reader {
 public:
  Reader(atspi::Connection& cache, const atspi::Bus& bus, const ObjectRef& object, int timeout)
      : cache_(cache), bus_(bus), object_(object), timeout_(timeout), calls_(bus, object, timeout) {}

  // Sends what `name` needs without waiting.
  void prepare(std::string_view name) {
    if (name == "AXRole" || name == "AXChildren" || name == "AXValue") {
      if (!cacheKnowsRole()) calls_.role();
    }
    if (name == "AXTitle" || name == "AXDescription" || name == "AXValue") calls_.name();
    if (name == "AXChildren") calls_.children();
    if (name == "AXEnabled" || name == "AXSelected" || name == "AXOrientation") calls_.states();
    if (name == "AXMenuItemCmdChar" || name == "AXMenuItemCmdModifiers") calls_.keyBinding();
    if (name == "AXPosition" || name == "AXSize") calls_.extents();
  }

  std::optional<AttributeValue> read(std::string_view name);

 private:
  bool cacheKnowsRole();
  std::optional<std::uint32_t> role();
  std::vector<AXElement> windows();
  std::optional<AXElement> activeWindow();
  std::optional<AXElement> menuBar();
  std::optional<double> valueFraction();

  atspi::Connection& cache_;
  const atspi::Bus& bus_;
  ObjectRef object_;
  int timeout_;
  Calls calls_;
};

}  // namespace

namespace {

bool Reader::cacheKnowsRole() {
  return cache_.knowsRole(object_);
}

std::optional<std::uint32_t> Reader::role() {
  return cache_.role(object_, cacheKnowsRole() ? nullptr : &calls_.role(), timeout_);
}

std::optional<AttributeValue> Reader::read(std::string_view name) {
  if (name == "AXRole") {
    const auto found = role();
    if (!found) return std::nullopt;
    return std::string(atspi::axRole(*found));
  }
  if (name == "AXTitle" || name == "AXDescription") {
    const auto text = atspi::propertyReply(calls_.name());
    if (!text) return std::nullopt;
    return text->toString().toStdString();
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
    const auto text = atspi::propertyReply(calls_.name());
    if (!text) return std::nullopt;
    return text->toString().toStdString();
  }
  if (name == "AXChildren") {
    const auto found = role();
    if (found && atspi::foldsItsMenu(*found)) {
      // Still wait for the children, so that an object gone away reads as absent.
      if (!atspi::objectsReply(calls_.children())) return std::nullopt;
      return std::vector<AXElement>{elementOf(object_, Part::foldedMenu)};
    }
    const auto objects = atspi::objectsReply(calls_.children());
    if (!objects) return std::nullopt;
    std::vector<AXElement> children = elementsOf(*objects);
    if (found == ATSPI_ROLE_MENU_BAR) children.insert(children.begin(), elementOf(object_, Part::systemMenu));
    return children;
  }
  if (name == "AXEnabled" || name == "AXSelected" || name == "AXOrientation") {
    const auto states = atspi::statesReply(calls_.states());
    if (!states) return std::nullopt;
    if (name == "AXEnabled") return hasState(*states, ATSPI_STATE_ENABLED);
    if (name == "AXSelected") return hasState(*states, ATSPI_STATE_SELECTED);
    if (hasState(*states, ATSPI_STATE_VERTICAL)) return std::string("AXVerticalOrientation");
    if (hasState(*states, ATSPI_STATE_HORIZONTAL)) return std::string("AXHorizontalOrientation");
    return std::nullopt;
  }
  if (name == "AXMenuItemCmdChar" || name == "AXMenuItemCmdModifiers") {
    const auto binding = atspi::stringReply(calls_.keyBinding());
    if (!binding) return std::nullopt;
    const auto key = atspi::menuKey(binding->toStdString());
    if (!key) return std::nullopt;
    if (name == "AXMenuItemCmdChar") return key->character;
    return static_cast<double>(key->modifiers);
  }
  if (name == "AXPosition" || name == "AXSize") {
    const auto extents = atspi::extentsReply(calls_.extents());
    if (!extents) return std::nullopt;
    const auto& [x, y, width, height] = *extents;
    if (name == "AXPosition") return Point{static_cast<double>(x), static_cast<double>(y)};
    return Size{static_cast<double>(width), static_cast<double>(height)};
  }
  if (object_.path != atspi::kApplicationRoot) return std::nullopt;
  if (name == "AXWindows") return windows();
  if (name == "AXFocusedWindow" || name == "AXMainWindow") {
    auto window = activeWindow();
    if (!window) return std::nullopt;
    return *std::move(window);
  }
  if (name == "AXMenuBar") {
    auto bar = menuBar();
    if (!bar) return std::nullopt;
    return *std::move(bar);
  }
  return std::nullopt;
}

std::vector<AXElement> Reader::windows() {
  return elementsOf(atspi::objectsReply(calls_.children()).value_or(std::vector<ObjectRef>{}));
}

std::optional<AXElement> Reader::activeWindow() {
  const auto objects = atspi::objectsReply(calls_.children());
  if (!objects) return std::nullopt;
  std::vector<QDBusPendingCall> states;
  for (const ObjectRef& object : *objects)
    states.push_back(bus_.call(object, atspi::kAccessible, "GetState", {}, timeout_));
  for (std::size_t index = 0; index < objects->size(); ++index) {
    const auto state = atspi::statesReply(states[index]);
    if (state && hasState(*state, ATSPI_STATE_ACTIVE)) return elementOf((*objects)[index]);
  }
  return std::nullopt;
}

// The menu bar of the active window, else of the first window with one: level by level, with the
// roles of one level asked for together.
std::optional<AXElement> Reader::menuBar() {
  const auto windows = atspi::objectsReply(calls_.children());
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
      std::vector<QDBusPendingCall> roles, children;
      for (const ObjectRef& object : level) {
        roles.push_back(bus_.call(object, atspi::kAccessible, "GetRole", {}, timeout_));
        children.push_back(bus_.call(object, atspi::kAccessible, "GetChildren", {}, timeout_));
      }
      std::vector<ObjectRef> below;
      for (std::size_t index = 0; index < level.size(); ++index) {
        const auto found = cache_.role(level[index], &roles[index], timeout_);
        if (found == ATSPI_ROLE_MENU_BAR) return elementOf(level[index]);
        // Menus and their items hold no menu bar.
        if (found == ATSPI_ROLE_MENU || found == ATSPI_ROLE_POPUP_MENU || found == ATSPI_ROLE_MENU_ITEM)
          continue;
        const auto objects = atspi::objectsReply(children[index]);
        if (objects) below.insert(below.end(), objects->begin(), objects->end());
      }
      level = std::move(below);
    }
  }
  return std::nullopt;
}

std::optional<double> Reader::valueFraction() {
  QDBusPendingCall current = bus_.property(object_, atspi::kValue, "CurrentValue", timeout_);
  QDBusPendingCall minimum = bus_.property(object_, atspi::kValue, "MinimumValue", timeout_);
  QDBusPendingCall maximum = bus_.property(object_, atspi::kValue, "MaximumValue", timeout_);
  const auto value = atspi::doubleReply(current);
  const auto low = atspi::doubleReply(minimum);
  const auto high = atspi::doubleReply(maximum);
  if (!value || !low || !high) return std::nullopt;
  return atspi::fractionOf(*value, *low, *high);
}

// The elements the toolkit does not publish answer from what they stand for.
std::optional<AttributeValue> readPart(const Element& element, std::string_view name, Reader& reader) {
  if (element.part() == Part::systemMenu) {
    if (name == "AXRole") return std::string("AXMenuBarItem");
    if (name == "AXTitle") return std::string();
    if (name == "AXEnabled") return true;
    if (name == "AXChildren") return std::vector<AXElement>{};
    return std::nullopt;
  }
  // The menu folded into its item: the item's children are its items.
  if (name == "AXRole") return std::string("AXMenu");
  if (name == "AXEnabled") return true;
  if (name == "AXChildren") {
    auto children = reader.read("AXChildren");
    if (!children) return std::nullopt;
    return children;
  }
  return std::nullopt;
}

}  // namespace

AtspiAccessibility::AtspiAccessibility() = default;
AtspiAccessibility::~AtspiAccessibility() = default;

atspi::Connection* AtspiAccessibility::bus() {
  std::lock_guard lock(connecting_);
  if (!bus_) {
    if (auto connected = atspi::Bus::connect(timeoutMilliseconds_.load()))
      bus_ = std::make_unique<atspi::Connection>(std::move(connected));
  }
  return bus_.get();
}

bool AtspiAccessibility::isTrusted(TrustCheck check) {
  const int timeout = timeoutMilliseconds_.load();
  if (atspi::accessibilityEnabled(timeout).value_or(false)) return true;
  if (check == TrustCheck::prompt) atspi::enableAccessibility(timeout);
  return atspi::accessibilityEnabled(timeout).value_or(false);
}

void AtspiAccessibility::setMessagingTimeout(std::chrono::duration<double> timeout) {
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count();
  timeoutMilliseconds_.store(static_cast<int>(std::clamp<std::int64_t>(milliseconds, 1, 60'000)));
}

std::optional<AXElement> AtspiAccessibility::applicationElement(ProcessID pid) {
  atspi::Connection* connection = bus();
  if (!connection) return std::nullopt;
  const int timeout = timeoutMilliseconds_.load();
  const auto applications = atspi::objectsReply(connection->bus().call(
      {"org.a11y.atspi.Registry", atspi::kApplicationRoot}, atspi::kAccessible, "GetChildren", {}, timeout));
  if (!applications) return std::nullopt;
  std::vector<QDBusPendingCall> processes;
  for (const ObjectRef& application : *applications)
    processes.push_back(connection->bus().processOf(application.service, timeout));
  for (std::size_t index = 0; index < applications->size(); ++index) {
    const auto process = atspi::unsignedReply(processes[index]);
    if (process && static_cast<ProcessID>(*process) == pid)
      return elementOf({(*applications)[index].service, atspi::kApplicationRoot});
  }
  return std::nullopt;
}

std::optional<AttributeValue> AtspiAccessibility::attribute(const AXElement& element, std::string_view name) {
  const std::array<std::string_view, 1> names{name};
  auto values = attributes(element, names);
  if (!values) return std::nullopt;
  return std::move(values->front());
}

std::optional<std::vector<std::optional<AttributeValue>>> AtspiAccessibility::attributes(
    const AXElement& element, std::span<const std::string_view> names) {
  const Element* handle = handleOf(element);
  atspi::Connection* connection = bus();
  if (!handle || !connection) return std::nullopt;
  Reader reader(*connection, connection->bus(), handle->object(), timeoutMilliseconds_.load());
  std::vector<std::optional<AttributeValue>> values;
  values.reserve(names.size());
  if (handle->part() != Part::object) {
    for (std::string_view name : names)
      values.push_back(readPart(*handle, name, reader));
    return values;
  }
  for (std::string_view name : names)
    reader.prepare(name);
  for (std::string_view name : names)
    values.push_back(reader.read(name));
  return values;
}

bool AtspiAccessibility::setAttribute(const AXElement& element, std::string_view name,
                                      const AttributeValue& value) {
  const Element* handle = handleOf(element);
  atspi::Connection* connection = bus();
  if (!handle || !connection || handle->part() != Part::object) return false;
  const atspi::Bus& bus = connection->bus();
  const int timeout = timeoutMilliseconds_.load();
  const ObjectRef& object = handle->object();
  if (name == "AXValue") {
    const double* fraction = std::get_if<double>(&value);
    if (!fraction) return false;
    QDBusPendingCall minimum = bus.property(object, atspi::kValue, "MinimumValue", timeout);
    QDBusPendingCall maximum = bus.property(object, atspi::kValue, "MaximumValue", timeout);
    const auto low = atspi::doubleReply(minimum);
    const auto high = atspi::doubleReply(maximum);
    if (!low || !high) return false;
    QDBusPendingCall set = bus.setProperty(object, atspi::kValue, "CurrentValue",
                                           atspi::valueAt(*fraction, *low, *high), timeout);
    set.waitForFinished();
    return !set.isError();
  }
  if (name == "AXSelected") {
    if (std::get_if<bool>(&value) == nullptr || !std::get<bool>(value)) return false;
    QDBusPendingCall parent = bus.property(object, atspi::kAccessible, "Parent", timeout);
    QDBusPendingCall index = bus.call(object, atspi::kAccessible, "GetIndexInParent", {}, timeout);
    const auto container = atspi::objectReply(parent);
    const auto position = atspi::intReply(index);
    if (container && position) {
      if (atspi::boolReply(bus.call(*container, atspi::kSelection, "SelectChild", {*position}, timeout)) ==
          true)
        return true;
    }
    // Rows that are not selectable children of a list select by being pressed.
    return performAction(element, "AXPress");
  }
  return false;
}

bool AtspiAccessibility::performAction(const AXElement& element, std::string_view action) {
  const Element* handle = handleOf(element);
  atspi::Connection* connection = bus();
  if (!handle || !connection || handle->part() != Part::object) return false;
  const atspi::Bus& bus = connection->bus();
  const int timeout = timeoutMilliseconds_.load();
  const auto names =
      atspi::actionNamesReply(bus.call(handle->object(), atspi::kAction, "GetActions", {}, timeout));
  if (!names || names->empty()) return false;
  // Toolkits name the default action differently; the first one is the default where none matches.
  static const QStringList kPressNames{"press", "click", "activate", "toggle", "jump"};
  const QString wanted =
      QString::fromUtf8(action.data(), static_cast<qsizetype>(action.size())).mid(2).toLower();
  int chosen = 0;
  for (int index = 0; index < static_cast<int>(names->size()); ++index) {
    const QString candidate = (*names)[static_cast<std::size_t>(index)].toLower();
    if (candidate == wanted || (wanted == "press" && kPressNames.contains(candidate))) {
      chosen = index;
      break;
    }
  }
  return atspi::boolReply(bus.call(handle->object(), atspi::kAction, "DoAction", {chosen}, timeout)) == true;
}

}  // namespace quillo::platform::desktop
