#pragma once

#include <QHash>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "atspi_bus.h"
#include "quillo/platform/ax_element.h"

// Elements of the accessibility bus as the seam hands them out, and what is remembered about the
// bus. Private to the AT-SPI implementation.
namespace quillo::platform::desktop::atspi {

// What a handle stands for: the bus object itself, or an element the readers expect that the
// toolkit does not publish.
enum class Part {
  object,
  // The menu a toolkit folds into its title item.
  foldedMenu,
  // The empty menu that leads a menu bar where other systems have their system menu.
  systemMenu,
  // A window of a settings program laid out as a sidebar beside a pane: its one child is the
  // split group.
  settingsWindow,
  // That window's sidebar, a splitter and its pane.
  splitGroup,
  splitter,
};

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

inline AXElement elementOf(ObjectRef object, Part part = Part::object) {
  return AXElement(std::make_shared<const Element>(std::move(object), part));
}

inline const Element* handleOf(const AXElement& element) {
  return dynamic_cast<const Element*>(&element.handle());
}

inline std::vector<AXElement> elementsOf(const std::vector<ObjectRef>& objects, Part part = Part::object) {
  std::vector<AXElement> elements;
  elements.reserve(objects.size());
  for (const ObjectRef& object : objects)
    elements.push_back(elementOf(object, part));
  return elements;
}

// The bus, and what never changes on it: an object's role, an application's name.
class Connection {
 public:
  explicit Connection(std::unique_ptr<Bus> bus) : bus_(std::move(bus)) {}

  const Bus& bus() const { return *bus_; }

  // The role, from the cache or from `pending` (a GetRole call already sent), else asked now.
  std::optional<std::uint32_t> role(const ObjectRef& object, QDBusPendingCall* pending, int timeout);
  bool knowsRole(const ObjectRef& object);
  // The name of the application that owns `service`.
  std::optional<QString> applicationName(const QString& service, int timeout);

 private:
  using Key = std::pair<QString, QString>;

  std::unique_ptr<Bus> bus_;
  std::mutex mutex_;
  std::map<Key, std::uint32_t> roles_;
  std::map<QString, QString> applicationNames_;
};

}  // namespace quillo::platform::desktop::atspi
