#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "quillo/platform/accessibility.h"

namespace quillo::platform::desktop {

namespace atspi {
class Connection;
}

// Accessibility over the desktop's accessibility bus (AT-SPI2), spoken directly with QtDBus on a
// connection of its own. Every call blocks only its caller: the calls of one attribute batch go
// out together and the batch waits for the slowest answer, so readers run on worker threads and
// the main thread never waits for another application.
//
// Elements appear as the readers know them from other systems: the application's "AXMenuBar" is
// the menu bar of its active window (else of its first window that has one), led by an empty menu
// where other systems put their system menu; a menu-bar title or submenu item that the toolkit
// folds together with its menu gets one "AXMenu" child holding the items. Roles, states, key
// bindings, extents and values map to the attributes the readers ask for (see atspi_mapping.h).
//
// Trust is whether the bus says accessibility is enabled (org.a11y.Status.IsEnabled): toolkits
// publish their trees only then. A `prompt` check turns it on, which is the user's choice made by
// pressing the button that asks for it.
//
// Reading a menu bar reads every item below it at once, level by level, and keeps what it read per
// application until the application reports a change on the bus, or `menuMemory` has passed: Qt
// reports no change to a menu that is not showing.
//
// Needs a QCoreApplication; connects on first use. Safe for concurrent use.
class AtspiAccessibility final : public Accessibility {
 public:
  struct Options {
    std::chrono::milliseconds menuMemory{3000};
  };

  AtspiAccessibility();
  explicit AtspiAccessibility(Options options);
  ~AtspiAccessibility() override;
  AtspiAccessibility(const AtspiAccessibility&) = delete;
  AtspiAccessibility& operator=(const AtspiAccessibility&) = delete;

  bool isTrusted(TrustCheck check) override;
  void setMessagingTimeout(std::chrono::duration<double> timeout) override;
  std::optional<AXElement> applicationElement(ProcessID pid) override;
  std::optional<AttributeValue> attribute(const AXElement& element, std::string_view name) override;
  std::optional<std::vector<std::optional<AttributeValue>>> attributes(
      const AXElement& element, std::span<const std::string_view> names) override;
  bool setAttribute(const AXElement& element, std::string_view name, const AttributeValue& value) override;
  bool performAction(const AXElement& element, std::string_view action) override;

 private:
  // The bus connection, made on first use; absent while the desktop has no accessibility bus.
  atspi::Connection* bus();

  Options options_;
  std::atomic<int> timeoutMilliseconds_{500};
  std::mutex connecting_;
  std::unique_ptr<atspi::Connection> bus_;
};

}  // namespace quillo::platform::desktop
