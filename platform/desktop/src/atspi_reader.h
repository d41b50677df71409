#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "atspi_element.h"
#include "quillo/platform/accessibility.h"

// Reading one element's attributes from the bus. Private to the AT-SPI implementation.
namespace quillo::platform::desktop::atspi {

// The calls one batch of attributes of one object needs, each sent once and all before the first
// wait, so that the batch costs one round trip.
class Calls {
 public:
  Calls(const Bus& bus, ObjectRef object, int timeout)
      : bus_(bus), object_(std::move(object)), timeout_(timeout) {}

  QDBusPendingCall& role();
  QDBusPendingCall& name();
  QDBusPendingCall& children();
  QDBusPendingCall& states();
  QDBusPendingCall& keyBinding();
  QDBusPendingCall& extents();

 private:
  const Bus& bus_;
  ObjectRef object_;
  int timeout_;
  std::optional<QDBusPendingCall> role_, name_, children_, states_, keyBinding_, extents_;
};

class Reader {
 public:
  Reader(Connection& connection, const Element& element, int timeout);

  // Sends what `name` needs without waiting.
  void prepare(std::string_view name);
  // One attribute, after `prepare` for every name of the batch.
  std::optional<AttributeValue> read(std::string_view name);

 private:
  std::optional<AttributeValue> readObject(std::string_view name);
  // What the element says, from what a prefetch learned or else from the calls of this batch.
  std::optional<QString> name();
  std::optional<std::uint64_t> states();
  std::optional<QString> keyBinding();
  std::optional<std::vector<ObjectRef>> childObjects();
  std::optional<AttributeValue> readStandIn(std::string_view name);
  std::optional<std::uint32_t> role();
  std::optional<std::vector<AXElement>> children();
  std::optional<std::string> orientation();
  std::vector<AXElement> windows();
  std::optional<AXElement> activeWindow();
  std::optional<AXElement> menuBar();
  std::optional<ObjectRef> searchMenuBar();
  std::optional<double> valueFraction();
  // A window of the application, as the application's layout shows it.
  AXElement window(const ObjectRef& object);

  Connection& connection_;
  const Bus& bus_;
  ObjectRef object_;
  Kind kind_;
  int timeout_;
  Calls calls_;
  std::optional<Known> known_;
};

// Reads what the menu reader asks of each item of a menu, for all items at once (within a budget
// of calls in flight), and remembers it until the application reports a change.
void prefetchItems(Connection& connection, const std::vector<ObjectRef>& items, int timeout);

// Roles of several objects, asked for together; absent where the call failed.
std::vector<std::optional<std::uint32_t>> rolesOf(Connection& connection,
                                                  const std::vector<ObjectRef>& objects, int timeout);
// Children of several objects, asked for together.
std::vector<std::optional<std::vector<ObjectRef>>> childrenOf(const Bus& bus,
                                                              const std::vector<ObjectRef>& objects,
                                                              int timeout);

// The children of a container with any box that holds only scroll bars replaced by its scroll
// bars, so that a scroll area's bars are its children as the readers expect; `hasScrollBars`
// tells whether there are any.
struct Flattened {
  std::vector<ObjectRef> children;
  bool hasScrollBars = false;
};
Flattened withScrollBarsLifted(Connection& connection, const std::vector<ObjectRef>& children, int timeout);

// A split pane's children in reading order (by position: left to right, then top to bottom) with a
// splitter between each two, where the toolkit publishes neither the order nor the handles.
std::vector<AXElement> splitPaneChildren(Connection& connection, const ObjectRef& pane,
                                         const std::vector<ObjectRef>& children, int timeout);

// A settings window's sidebar (the first list in reading order), then a splitter, then its pane
// (what follows the sidebar's branch at every level, nearest first). Absent without a list.
std::optional<std::vector<AXElement>> sidebarAndPane(Connection& connection, const ObjectRef& window,
                                                     int timeout);

}  // namespace quillo::platform::desktop::atspi
