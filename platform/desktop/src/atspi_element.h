#pragma once

#include <QHash>
#include <chrono>
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
enum class Kind {
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
  Element(ObjectRef object, Kind kind) : object_(std::move(object)), kind_(kind) {}

  const ObjectRef& object() const { return object_; }
  Kind kind() const { return kind_; }

  bool isSame(const Handle& other) const override {
    const auto* element = dynamic_cast<const Element*>(&other);
    return element && element->object_ == object_ && element->kind_ == kind_;
  }
  std::size_t identityHash() const override {
    return qHash(object_.service) ^ (qHash(object_.path) * 31) ^ static_cast<std::size_t>(kind_);
  }

 private:
  ObjectRef object_;
  Kind kind_;
};

inline AXElement elementOf(ObjectRef object, Kind kind = Kind::object) {
  return AXElement(std::make_shared<const Element>(std::move(object), kind));
}

inline const Element* handleOf(const AXElement& element) {
  return dynamic_cast<const Element*>(&element.handle());
}

inline std::vector<AXElement> elementsOf(const std::vector<ObjectRef>& objects, Kind kind = Kind::object) {
  std::vector<AXElement> elements;
  elements.reserve(objects.size());
  for (const ObjectRef& object : objects)
    elements.push_back(elementOf(object, kind));
  return elements;
}

// What a menu's prefetch learned about one element, kept until its application reports a change.
struct Known {
  std::optional<QString> name;
  std::optional<std::uint64_t> states;
  std::optional<QString> keyBinding;
  std::optional<std::vector<ObjectRef>> children;
};

class ChangeListener;

// The bus, and what is remembered about it: roles, which never change for one object; the names
// of applications; and per application, what a menu's prefetch read and where its menu bar is,
// both forgotten as soon as the application reports any change.
class Connection {
 public:
  Connection(std::unique_ptr<Bus> bus, std::chrono::milliseconds memory);
  ~Connection();

  const Bus& bus() const { return *bus_; }

  // The role, from the cache or from `pending` (a GetRole call already sent), else asked now.
  std::optional<std::uint32_t> role(const ObjectRef& object, QDBusPendingCall* pending, int timeout);
  bool knowsRole(const ObjectRef& object);
  // The name of the application that owns `service`.
  std::optional<QString> applicationName(const QString& service, int timeout);

  // Counts the changes an application reported; what was read before a change is not kept.
  std::uint64_t generation(const QString& service);
  std::optional<Known> known(const ObjectRef& object);
  bool knows(const ObjectRef& object);
  void remember(const ObjectRef& object, Known known, std::uint64_t readInGeneration);
  std::optional<ObjectRef> menuBar(const QString& service);
  void rememberMenuBar(const ObjectRef& bar, std::uint64_t readInGeneration);
  // Forgets what was read from the application: it reported a change, or was told to change.
  void changed(const QString& service);

 private:
  // Forgets what was read from the application once it is older than `memory_`; holds `mutex_`.
  void expire(const QString& service);
  void forget(const QString& service);

  using Key = std::pair<QString, QString>;

  std::unique_ptr<Bus> bus_;
  std::mutex mutex_;
  std::map<Key, std::uint32_t> roles_;
  std::map<QString, QString> applicationNames_;
  std::map<QString, std::uint64_t> generations_;
  std::map<Key, Known> known_;
  std::map<QString, ObjectRef> menuBars_;
  std::chrono::milliseconds memory_;
  std::map<QString, std::chrono::steady_clock::time_point> readSince_;
  // Declared last, so that it stops before anything it changes goes away.
  std::unique_ptr<ChangeListener> listener_;
};

}  // namespace quillo::platform::desktop::atspi
